// Leafmark's entry point: one running instance per user. `leafmark PAGE` hands the
// page to a running Leafmark when there is one; otherwise it starts and opens it.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>

#include "app/AppLocation.h"
#include "app/ButtonPictures.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/OpenRequest.h"
#include "app/QtDialogs.h"
#include "shared/NativePath.h"
#include "shared/SharedState.h"

int main(int argc, char** argv) {
    using namespace leafmark;
    // --help and --version print and end before any window (or display) is needed.
    if (const app::InfoRequest info = app::infoRequestOf(argc, argv);
        info != app::InfoRequest::None) {
        QCoreApplication core(argc, argv);
        const QString text = info == app::InfoRequest::Help
                                 ? app::usageText(app::AppLocation::ofRunningProgram())
                                 : app::versionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafmark"));
    QApplication::setWindowIcon(app::applicationIcon());

    // The page is named by the bytes given (Qt's own argument list would turn a name
    // that is not UTF-8 into another name); Qt's options are gone from argv by now.
    const QString given = argc > 1 ? fromNativePath(argv[1]) : QString();
    // Made absolute as text: QFileInfo would pass a relative name through Qt's encoding.
    const QString page =
        given.isEmpty() ? QString()
                        : QDir::cleanPath(QDir::isAbsolutePath(given)
                                              ? given
                                              : QDir::currentPath() + QLatin1Char('/') + given);
    const app::AppLocation location = app::AppLocation::ofRunningProgram();
    const QString serverName = app::openRequestServerName(location.baseName);

    if (!page.isEmpty()) {
        switch (app::sendOpenRequest(serverName, page)) {
            case app::HandOver::Delivered:
                return 0;
            case app::HandOver::NoServer:
                break;  // none runs: this one starts and opens it
            case app::HandOver::Failed:
                std::fprintf(stderr, "leafmark: the running Leafmark did not take %s\n",
                             nativePath(page).constData());
                return 1;
        }
    }

    SharedState state;
    app::QtDialogs dialogs;
    app::MainWindow window(state, dialogs, location);
    // A Leafmark already running without a page request keeps the open requests.
    app::OpenRequestServer server([&window](const QString& path) { window.openRequest(path); });
    // The window works without it; only pages sent by later starts go unheard.
    if (const imaging::Status heard = server.listen(serverName); !heard)
        std::fprintf(stderr, "leafmark: open requests are not heard: %s\n", heard.reason().c_str());
    window.show();
    if (!page.isEmpty()) window.openRequest(page);
    return app.exec();
}
