#include "AppTestSupport.h"

#include <leptonica/allheaders.h>

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QTest>

#include "batch/ui/ProcessWindow.h"
#include "imaging/widget/PageView.h"

namespace leafmark::testing {

int shownPixel(app::MainWindow& w, int x, int y) {
    PIX* pix = w.pageView().engine().pix();
    if (!pix) return -1;
    l_uint32 v = 0;
    if (pixGetPixel(pix, x, y, &v) != 0) return -1;
    return static_cast<int>(v);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(5);
    }
    return true;
}

AppTest::AppTest() {
    appDir = tmp.path() + QStringLiteral("/app/");
    pageDir = tmp.path() + QStringLiteral("/pages");
    QDir().mkpath(appDir);
    QDir().mkpath(pageDir);
}

AppTest::~AppTest() {
    if (window) {
        delete window->processWindow();
        window.reset();
    }
}

void AppTest::writeSettings(const QStringList& lines) {
    QFile f(appDir + QStringLiteral("leafmark.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(lines.join(QLatin1Char('\n')).toUtf8() + "\n");
}

QString AppTest::settingsText() const {
    QFile f(appDir + QStringLiteral("leafmark.ini"));
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}

app::MainWindow& AppTest::makeWindow() {
    window = std::make_unique<app::MainWindow>(
        state, dialogs, app::AppLocation{appDir, QStringLiteral("leafmark")});
    window->setQuitHandler([this] { ++quitCalls; });
    window->setUrlOpener([this](const QUrl& u) {
        openedUrls << u;
        return false;
    });
    window->show();
    return *window;
}

void AppTest::makePages(int count) {
    for (int i = 1; i <= count; ++i) writePage(page(i), markedPage(4));
}

QString AppTest::page(int n) const {
    return pageDir + QStringLiteral("/%1.tif").arg(n, 8, 10, QLatin1Char('0'));
}

void AppTest::openThroughMenu(int n) {
    dialogs.openAnswers.push_back(page(n));
    trigger(app::MenuItem::Open);
}

void AppTest::trigger(app::MenuItem item) { window->menuAction(item)->trigger(); }

}  // namespace leafmark::testing
