// leafmark-icon PICTURE.svg SIZE OUT.png: the program's picture drawn at one
// size, for the icon theme's fixed-size folders.
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    // A build machine has no display; pictures are drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int size = args.size() == 4 ? args[2].toInt(&ok) : 0;
    if (!ok || size < 8 || size > 1024) {
        std::fprintf(stderr, "usage: leafmark-icon PICTURE.svg SIZE OUT.png (SIZE 8 to 1024)\n");
        return 2;
    }
    QImageReader reader(args[1]);
    reader.setScaledSize(QSize(size, size));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        std::fprintf(stderr, "leafmark-icon: cannot draw %s: %s\n", qPrintable(args[1]),
                     qPrintable(reader.errorString()));
        return 1;
    }
    if (!picture.save(args[3], "PNG")) {
        std::fprintf(stderr, "leafmark-icon: cannot write %s\n", qPrintable(args[3]));
        return 1;
    }
    return 0;
}
