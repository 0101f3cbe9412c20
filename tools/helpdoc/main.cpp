// leafmark-helpdoc GUIDE.md OUT.pdf [TITLE]: builds the help document.
#include <QGuiApplication>
#include <cstdio>

#include "HelpDoc.h"

int main(int argc, char** argv) {
    // A build machine has no display; the offscreen platform lays out text.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || args.size() > 4) {
        std::fprintf(stderr, "usage: leafmark-helpdoc GUIDE.md OUT.pdf [TITLE]\n");
        return 2;
    }
    const QString title = args.size() == 4 ? args[3] : QStringLiteral("Leafmark Help");
    if (const auto written = leafmark::helpdoc::convertFile(args[1], args[2], title); !written) {
        std::fprintf(stderr, "leafmark-helpdoc: %s\n",
                     qPrintable(QString::fromStdString(written.reason())));
        return 1;
    }
    return 0;
}
