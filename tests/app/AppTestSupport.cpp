#include "AppTestSupport.h"

#include "batch/ui/ProcessWindow.h"
#include "imaging/widget/PageView.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QTest>
#include <QDir>
#include <QFile>
#include <leptonica/allheaders.h>
#include <tiffio.h>
#include <vector>

namespace leafmark::testing {

void writeBlockPage(const QString& path, int width, int height) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(1));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(1));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(COMPRESSION_CCITTFAX4));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, static_cast<uint16_t>(PHOTOMETRIC_MINISWHITE));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(RESUNIT_INCH));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0f);
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
        if (y >= 8 && y < 12) row[0] = 0x0F;  // columns 4..7
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0), 1);
    }
    TIFFClose(tif);
}

QSize diskPageSize(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif) return {0, 0};
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFClose(tif);
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

QString diskDescription(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif) return QString();
    char* text = nullptr;
    QString out;
    if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) == 1 && text)
        out = QString::fromLatin1(text);
    TIFFClose(tif);
    return out;
}

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
    window = std::make_unique<app::MainWindow>(state, dialogs,
                                               app::AppLocation{appDir, QStringLiteral("leafmark")});
    window->setQuitHandler([this] { ++quitCalls; });
    window->setUrlOpener([this](const QUrl& u) {
        openedUrls << u;
        return false;
    });
    window->show();
    return *window;
}

void AppTest::makePages(int count) {
    for (int i = 1; i <= count; ++i) writeBlockPage(page(i));
}

QString AppTest::page(int n) const {
    return pageDir + QStringLiteral("/%1.tif").arg(n, 8, 10, QLatin1Char('0'));
}

void AppTest::openThroughMenu(int n) {
    dialogs.openAnswers.push_back(page(n));
    trigger(QStringLiteral("mnuOpen"));
}

void AppTest::trigger(const QString& itemName) {
    QAction* a = window->menuAction(itemName);
    ASSERT_NE(a, nullptr) << itemName.toStdString();
    a->trigger();
}

}  // namespace leafmark::testing
