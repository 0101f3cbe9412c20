// The page view as a widget: drawn scale and origin in each size mode, scrolling,
// band selection, mouse buttons, the 1-bit renderings on screen, failed loads and
// the scaled-page cache.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "imaging/widget/PageView.h"
#include "support/TestPages.h"

namespace leafmark::imaging {
namespace {

constexpr QRgb kBack = qRgb(220, 219, 197);

// A white 1-bit page with optional black rectangles.
PixPtr whitePage(int w, int h) { return PixPtr(pixCreate(w, h, 1)); }
void blackRect(PIX* p, int x, int y, int w, int h) {
    pixRasterop(p, x, y, w, h, PIX_SET, nullptr, 0, 0);
}

// A frameless view whose viewport is `size` while no scroll bar shows.
struct ShownView {
    PageView view;
    explicit ShownView(QSize size) {
        view.setFrameShape(QFrame::NoFrame);
        view.resize(size);
        view.show();
        QCoreApplication::processEvents();
    }
    void show(PixPtr page, int dpi = 300) {
        view.engine().setImage(std::move(page), dpi, dpi);
        view.Repaint();
    }
};

bool isBlack(QRgb c) { return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40; }

TEST(PageViewScale, FitModesReportTheDrawnScale) {
    ShownView v(QSize(800, 600));
    PixPtr page = whitePage(2550, 3300);
    blackRect(page.get(), 0, 0, 40, 3300);  // left edge band, visible at any scale
    v.show(std::move(page));

    v.view.setSizeMode(kSizeFitPage);
    const double fit = 100.0 * std::min(800.0 / 2550, 600.0 / 3300);
    EXPECT_NEAR(v.view.zoomPercent(), fit, 1e-3);
    const int drawnWidth = static_cast<int>(std::lround(2550 * fit / 100));
    EXPECT_FLOAT_EQ(v.view.viewLeft(), (800 - drawnWidth) / 2);
    EXPECT_FLOAT_EQ(v.view.viewTop(), 0);
    // The page is where the view says it is.
    const QImage shot = v.view.grabPage();
    const int left = static_cast<int>(v.view.viewLeft());
    EXPECT_TRUE(isBlack(shot.pixel(left + 1, 300)));
    EXPECT_EQ(shot.pixel(left - 2, 300), kBack);

    v.view.setSizeMode(kSizeFitWidth);
    const int vpWidth = v.view.viewport()->width();
    EXPECT_LT(vpWidth, 800) << "a tall page at fit width needs a vertical scroll bar";
    EXPECT_NEAR(v.view.zoomPercent() * 2550 / 100, vpWidth, 0.5);
    EXPECT_FLOAT_EQ(v.view.viewLeft(), 0);
    const float widthZoom = v.view.zoomPercent();

    // Leaving a fit mode for size mode 4 keeps the page at the size it had.
    v.view.setSizeMode(kSizeZoom);
    EXPECT_FLOAT_EQ(v.view.zoomPercent(), widthZoom);
    v.view.setZoomPercent(40);
    EXPECT_FLOAT_EQ(v.view.zoomPercent(), 40);
    // Values that cannot be drawn are refused.
    v.view.setZoomPercent(0);
    v.view.setZoomPercent(-5);
    v.view.setZoomPercent(std::nanf(""));
    EXPECT_FLOAT_EQ(v.view.zoomPercent(), 40);
}

TEST(PageViewScale, WithoutAPageTheStoredZoomIsReported) {
    ShownView v(QSize(300, 200));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(50);
    v.view.setSizeMode(kSizeFitPage);
    EXPECT_FLOAT_EQ(v.view.zoomPercent(), 50);
    EXPECT_EQ(v.view.grabPage().pixel(150, 100), kBack);
}

TEST(PageViewScroll, OriginGoesNegativeAndTheDrawingFollows) {
    ShownView v(QSize(800, 600));
    PixPtr page = whitePage(2550, 3300);
    blackRect(page.get(), 400, 600, 4, 4);
    v.show(std::move(page));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(100);
    v.view.horizontalScrollBar()->setValue(300);
    v.view.verticalScrollBar()->setValue(500);
    EXPECT_FLOAT_EQ(v.view.viewLeft(), -300);
    EXPECT_FLOAT_EQ(v.view.viewTop(), -500);
    const QImage shot = v.view.grabPage();
    EXPECT_TRUE(isBlack(shot.pixel(101, 101)));
    EXPECT_FALSE(isBlack(shot.pixel(96, 96)));
}

TEST(PageViewScroll, LargeZoomDrawsOnlyWhatIsSeenAndStaysCorrect) {
    ShownView v(QSize(400, 300));
    PixPtr page = whitePage(2550, 3300);
    blackRect(page.get(), 2000, 3000, 2, 2);  // far from the first screenful
    v.show(std::move(page));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(400);
    EXPECT_FLOAT_EQ(v.view.zoomPercent(), 400);
    v.view.grabPage();
    v.view.horizontalScrollBar()->setValue(2000 * 4 - 100);
    v.view.verticalScrollBar()->setValue(3000 * 4 - 100);
    ASSERT_FLOAT_EQ(v.view.viewLeft(), -7900);
    const QImage shot = v.view.grabPage();
    EXPECT_TRUE(isBlack(shot.pixel(100, 100)));
    EXPECT_TRUE(isBlack(shot.pixel(107, 107)));
    EXPECT_FALSE(isBlack(shot.pixel(109, 100)));
}

void drag(QWidget* w, QPoint from, QPoint to) {
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, (from + to) / 2);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

TEST(PageViewScroll, ZoomKeepsTheCentreOnceScrolledAndTheTopLeftOtherwise) {
    ShownView v(QSize(400, 300));
    v.show(whitePage(2000, 3000));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(50);
    ASSERT_FLOAT_EQ(v.view.viewLeft(), 0);
    v.view.setZoomPercent(80);
    EXPECT_FLOAT_EQ(v.view.viewLeft(), 0);
    EXPECT_FLOAT_EQ(v.view.viewTop(), 0);

    v.view.horizontalScrollBar()->setValue(300);
    v.view.verticalScrollBar()->setValue(500);
    const QPointF centre(v.view.viewport()->width() / 2.0, v.view.viewport()->height() / 2.0);
    const auto pageAtCentre = [&] {
        return (centre - QPointF(v.view.viewLeft(), v.view.viewTop())) /
               (v.view.zoomPercent() / 100);
    };
    const QPointF before = pageAtCentre();
    v.view.setZoomPercent(120);
    const QPointF after = pageAtCentre();
    EXPECT_NEAR(after.x(), before.x(), 1.0);
    EXPECT_NEAR(after.y(), before.y(), 1.0);
}

TEST(PageViewBand, DragSetsANormalisedBand) {
    ShownView v(QSize(400, 300));
    v.show(whitePage(600, 400));
    v.view.setBandSelect(true);
    QSignalSpy done(&v.view, &PageView::BandDone);

    drag(v.view.viewport(), QPoint(110, 60), QPoint(150, 80));
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(QRectF(v.view.bandLeft(), v.view.bandTop(), v.view.bandWidth(), v.view.bandHeight()),
              QRectF(110, 60, 40, 20));

    // Dragged up and to the left: the same rectangle.
    drag(v.view.viewport(), QPoint(150, 80), QPoint(110, 60));
    ASSERT_EQ(done.count(), 2);
    EXPECT_EQ(QRectF(v.view.bandLeft(), v.view.bandTop(), v.view.bandWidth(), v.view.bandHeight()),
              QRectF(110, 60, 40, 20));

    // A vertical drag is a band of zero width.
    drag(v.view.viewport(), QPoint(30, 10), QPoint(30, 50));
    ASSERT_EQ(done.count(), 3);
    EXPECT_FLOAT_EQ(v.view.bandWidth(), 0);
    EXPECT_FLOAT_EQ(v.view.bandHeight(), 40);

    // A click without movement is no band.
    QTest::mouseClick(v.view.viewport(), Qt::LeftButton, {}, QPoint(70, 70));
    EXPECT_EQ(done.count(), 3);

    v.view.setBandSelect(false);
    drag(v.view.viewport(), QPoint(10, 10), QPoint(90, 90));
    EXPECT_EQ(done.count(), 3);
    EXPECT_FLOAT_EQ(v.view.bandLeft(), 30);
}

TEST(PageViewMouse, ButtonsAreReportedInPagePixels) {
    ShownView v(QSize(400, 300));
    v.show(whitePage(600, 400));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(50);  // 300 x 200, centred at (50, 50)
    ASSERT_FLOAT_EQ(v.view.viewLeft(), 50);
    ASSERT_FLOAT_EQ(v.view.viewTop(), 50);
    QSignalSpy spy(&v.view, &PageView::PageMouseButton);

    QTest::mouseClick(v.view.viewport(), Qt::RightButton, {}, QPoint(110, 60));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 2);
    EXPECT_EQ(spy[0][1].toInt(), 0);
    EXPECT_FLOAT_EQ(spy[0][2].toFloat(), 120);
    EXPECT_FLOAT_EQ(spy[0][3].toFloat(), 20);

    QTest::mouseClick(v.view.viewport(), Qt::MiddleButton, Qt::ShiftModifier, QPoint(50, 50));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[1][0].toInt(), 4);
    EXPECT_EQ(spy[1][1].toInt(), 1);
    EXPECT_FLOAT_EQ(spy[1][2].toFloat(), 0);

    QTest::mouseClick(v.view.viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(60, 50));
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy[2][0].toInt(), 1);
    EXPECT_EQ(spy[2][1].toInt(), 2);
}

TEST(PageViewBitonal, RenderingsOnScreen) {
    ShownView v(QSize(300, 200));
    PixPtr page = whitePage(400, 400);
    blackRect(page.get(), 201, 0, 1, 400);  // thin line centre sampling skips
    for (int y = 0; y < 100; ++y)           // checkerboard, top-left corner
        for (int x = (y % 2); x < 100; x += 2) pixSetPixel(page.get(), x, y, 1);
    v.show(std::move(page));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(25);  // 100 x 100
    const int left = static_cast<int>(v.view.viewLeft());
    const int top = static_cast<int>(v.view.viewTop());

    v.view.setBitonalDisplay(kBitonalNormal);
    QImage shot = v.view.grabPage();
    EXPECT_FALSE(isBlack(shot.pixel(left + 50, top + 60)));

    v.view.setBitonalDisplay(kBitonalFavorBlack);
    shot = v.view.grabPage();
    for (int y = 30; y < 100; y += 7) EXPECT_TRUE(isBlack(shot.pixel(left + 50, top + y)));
    EXPECT_TRUE(isBlack(shot.pixel(left + 10, top + 10)));

    v.view.setBitonalDisplay(kBitonalScaleToGray);
    shot = v.view.grabPage();
    const int line = qGray(shot.pixel(left + 50, top + 60));
    const int board = qGray(shot.pixel(left + 10, top + 10));
    EXPECT_GT(line, 150);
    EXPECT_LT(line, 230);
    EXPECT_GT(board, 100);
    EXPECT_LT(board, 155);
}

TEST(PageViewLoad, FailedLoadShowsTheReasonAndNothingOfTheOldPage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ShownView v(QSize(400, 300));
    PixPtr black = whitePage(300, 200);
    pixSetAll(black.get());
    v.show(std::move(black));
    ASSERT_TRUE(isBlack(v.view.grabPage().pixel(200, 150)));

    const std::string bad = (dir.path() + "/broken.tif").toStdString();
    std::ofstream(bad) << "this is not a picture";
    const Status st = v.view.LoadPage(bad);
    EXPECT_FALSE(st.ok());
    EXPECT_FALSE(v.view.engine().hasImage());
    EXPECT_TRUE(v.view.messageText().startsWith("Cannot show this page: "));
    EXPECT_GT(v.view.messageText().size(), QString("Cannot show this page: ").size());
    const QImage shot = v.view.grabPage();
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            ASSERT_FALSE(isBlack(shot.pixel(x, y))) << "old page pixel at " << x << "," << y;

    // A good page afterwards replaces the message.
    const std::string good = (dir.path() + "/good.tif").toStdString();
    PixPtr page = whitePage(300, 200);
    blackRect(page.get(), 0, 0, 300, 200);
    pixSetResolution(page.get(), 200, 200);
    ASSERT_EQ(pixWriteTiff(good.c_str(), page.get(), IFF_TIFF_G4, "w"), 0);
    const auto status = v.view.LoadPage(good);
    ASSERT_TRUE(status.ok()) << status.reason();
    EXPECT_TRUE(v.view.messageText().isEmpty());
    EXPECT_TRUE(isBlack(v.view.grabPage().pixel(200, 150)));
}

// Writes a white 1-bit page in strips of 16 rows, then points its last strips
// past the end of the file, as a copy cut short in transfer would read.
void writeDamagedPage(const std::string& path, int w, int h) {
    leafmark::testing::PageSpec white;
    white.width = static_cast<std::uint32_t>(w);
    white.height = static_cast<std::uint32_t>(h);
    white.rowsPerStrip = 16;
    white.ink = leafmark::testing::Ink::White;
    ASSERT_TRUE(leafmark::testing::writeTiff(path, {white}));
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    ASSERT_EQ(bytes.substr(0, 2), "II");
    const auto u16 = [&](std::size_t at) {
        std::uint16_t v;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    };
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    const std::size_t ifd = u32(4);
    for (std::size_t e = 0; e < u16(ifd); ++e) {
        const std::size_t entry = ifd + 2 + 12 * e;
        if (u16(entry) != TIFFTAG_STRIPOFFSETS) continue;
        const std::uint32_t count = u32(entry + 4);
        ASSERT_GT(count, 2u);
        const std::size_t table = u32(entry + 8);
        const std::uint32_t beyond = static_cast<std::uint32_t>(bytes.size()) + 1000;
        for (std::uint32_t i = count / 2; i < count; ++i)
            std::memcpy(bytes.data() + table + 4 * i, &beyond, 4);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(PageViewLoad, DamagedPageIsShownWithANotice) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = (dir.path() + "/cut.tif").toStdString();
    writeDamagedPage(file, 200, 160);
    ShownView v(QSize(400, 300));
    const auto status = v.view.LoadPage(file);
    ASSERT_TRUE(status.ok()) << status.reason();
    ASSERT_TRUE(v.view.engine().damaged());
    EXPECT_TRUE(v.view.messageText().isEmpty());
    const QImage shot = v.view.grabPage();
    // The notice bar spans the top of the view, over page and background alike.
    const QRgb bar = shot.pixel(2, 3);
    EXPECT_GT(qRed(bar), 150);
    EXPECT_LT(qBlue(bar), 100);
    EXPECT_EQ(shot.pixel(398, 3), bar);
    // Below it the page is drawn.
    EXPECT_EQ(qGray(shot.pixel(200, 150)), 255);
}

TEST(PageViewPaint, EveryExposedPixelIsPaintedAndNothingElse) {
    // The view paints opaquely: page where the page is, back colour elsewhere,
    // for exposed areas that straddle the page's edges.
    ShownView v(QSize(400, 300));
    PixPtr page = whitePage(200, 300);
    pixSetAll(page.get());  // all black
    v.show(std::move(page));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(100);
    ASSERT_FLOAT_EQ(v.view.viewLeft(), 100);

    const QRgb sentinel = qRgb(255, 0, 255);
    QImage target(v.view.viewport()->size(), QImage::Format_RGB32);
    target.fill(sentinel);
    QRegion exposed(50, 10, 100, 50);
    exposed += QRect(250, 200, 100, 60);
    // The region's top-left lands at the offset given: keep viewport coordinates.
    v.view.viewport()->render(&target, exposed.boundingRect().topLeft(), exposed,
                              QWidget::RenderFlags());
    for (int y = 0; y < target.height(); y += 3)
        for (int x = 0; x < target.width(); x += 3) {
            const QRgb got = target.pixel(x, y);
            if (!exposed.contains(QPoint(x, y)))
                ASSERT_EQ(got, sentinel) << x << "," << y;
            else if (x >= 100 && x < 300)
                ASSERT_TRUE(isBlack(got)) << x << "," << y;
            else
                ASSERT_EQ(got, kBack) << x << "," << y;
        }

    // A synchronous repaint of the shown view draws a changed rendering.
    const int renders = v.view.renderCount();
    v.view.setBitonalDisplay(kBitonalScaleToGray);
    v.view.viewport()->repaint();
    EXPECT_EQ(v.view.renderCount(), renders + 1);
}

TEST(PageViewCache, ScalesOnlyWhenSomethingChanged) {
    ShownView v(QSize(400, 300));
    v.show(whitePage(1000, 800));
    v.view.setSizeMode(kSizeZoom);
    v.view.setZoomPercent(100);
    v.view.grabPage();
    const int first = v.view.renderCount();
    EXPECT_GE(first, 1);

    v.view.Repaint();
    v.view.grabPage();
    v.view.horizontalScrollBar()->setValue(250);
    v.view.verticalScrollBar()->setValue(300);
    v.view.grabPage();
    EXPECT_EQ(v.view.renderCount(), first) << "scrolling or repainting must not re-scale";

    v.view.setBitonalDisplay(kBitonalFavorBlack);
    v.view.grabPage();
    EXPECT_EQ(v.view.renderCount(), first + 1);
    v.view.setZoomPercent(80);
    v.view.grabPage();
    EXPECT_EQ(v.view.renderCount(), first + 2);
    v.view.engine().setImage(whitePage(1000, 800), 300, 300);
    v.view.Repaint();
    v.view.grabPage();
    EXPECT_EQ(v.view.renderCount(), first + 3);
}

}  // namespace
}  // namespace leafmark::imaging
