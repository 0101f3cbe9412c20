// Page edits: white-fill of dragged bands, rotations, invert and the white-fill mode.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "ViewTestWindow.h"

namespace leafmark::testing {
namespace {

void drag(QWidget* w, QPoint from, QPoint to) {
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

TEST(WhiteFillBand, HalfZoomBandFillsThePageRectangleAndNothingElse) {
    ViewTestWindow w(QSize(320, 220));
    w.show(solidPage(600, 400, true));
    w.view.setSizeMode(imaging::kSizeZoom);
    w.view.setZoomPercent(50);  // 300 x 200 drawn from (10, 10)
    ASSERT_FLOAT_EQ(w.view.viewLeft(), 10);
    ASSERT_FLOAT_EQ(w.view.viewTop(), 10);

    drag(w.view.viewport(), QPoint(110, 60), QPoint(150, 80));
    EXPECT_EQ(w.state.modified, 1);
    PIX* p = w.view.engine().pix();
    EXPECT_EQ(countBlack(p, 200, 100, 80, 40, true), 0);
    EXPECT_EQ(countBlack(p, 200, 100, 80, 40, false), 600L * 400 - 80 * 40);
    EXPECT_FALSE(w.view.engine().hasRegion());
}

TEST(WhiteFillBand, ScrolledPageWithNegativeOrigin) {
    ViewTestWindow w(QSize(400, 300));
    w.show(solidPage(2000, 2000, true));
    w.view.setSizeMode(imaging::kSizeZoom);
    w.view.setZoomPercent(100);
    w.view.horizontalScrollBar()->setValue(500);
    w.view.verticalScrollBar()->setValue(700);
    ASSERT_FLOAT_EQ(w.view.viewLeft(), -500);

    drag(w.view.viewport(), QPoint(10, 20), QPoint(50, 60));
    PIX* p = w.view.engine().pix();
    EXPECT_EQ(countBlack(p, 510, 720, 40, 40, true), 0);
    EXPECT_EQ(countBlack(p, 510, 720, 40, 40, false), 2000L * 2000 - 40 * 40);
}

TEST(WhiteFillBand, FitModeFillsWhatTheOperatorSawUnderTheBand) {
    ViewTestWindow w(QSize(500, 400));
    w.show(solidPage(2550, 3300, true));
    w.state.windowmode = 1;
    w.commands->redisplay();
    drag(w.view.viewport(), QPoint(200, 100), QPoint(260, 160));
    const QImage shot = w.view.grabPage();
    EXPECT_GT(qGray(shot.pixel(230, 130)), 200);
    EXPECT_LT(qGray(shot.pixel(230, 170)), 60);
    EXPECT_LT(qGray(shot.pixel(190, 130)), 60);
}

TEST(WhiteFillBand, ZeroSizeBandStillMarksThePage) {
    ViewTestWindow w;
    w.show(solidPage(300, 200, true));
    drag(w.view.viewport(), QPoint(50, 20), QPoint(50, 90));  // no width
    EXPECT_EQ(w.state.modified, 1);
    EXPECT_EQ(countBlack(w.view.engine().pix(), 0, 0, 0, 0, false), 300L * 200);
}

TEST(WhiteFillBand, NothingHappensWithWhiteFillOffOrWithoutAPage) {
    ViewTestWindow w;
    w.show(solidPage(300, 200, true));
    w.commands->toggleWhiteFill();
    ASSERT_FALSE(w.whiteOut.isChecked());
    drag(w.view.viewport(), QPoint(10, 10), QPoint(200, 150));
    w.commands->bandDone();  // even if a band is reported
    EXPECT_EQ(w.state.modified, 0);
    EXPECT_EQ(countBlack(w.view.engine().pix(), 0, 0, 0, 0, false), 300L * 200);

    ViewTestWindow empty;
    drag(empty.view.viewport(), QPoint(10, 10), QPoint(200, 150));
    EXPECT_EQ(empty.state.modified, 0);
}

TEST(WhiteFillMode, ToggleSwitchesTheCheckMarkAndTheViewSettings) {
    ViewTestWindow w;
    ASSERT_TRUE(w.view.bandSelect());
    ASSERT_EQ(w.view.cursorShape(), 2);
    w.commands->toggleWhiteFill();
    EXPECT_FALSE(w.whiteOut.isChecked());
    EXPECT_FALSE(w.view.bandSelect());
    EXPECT_EQ(w.view.cursorShape(), 0);
    w.commands->toggleWhiteFill();
    EXPECT_TRUE(w.whiteOut.isChecked());
    EXPECT_TRUE(w.view.bandSelect());
    EXPECT_EQ(w.view.cursorShape(), 2);

    // A menu action that flips its own mark drives setWhiteFill from `toggled`.
    QObject::connect(&w.whiteOut, &QAction::toggled,
                     [&w](bool on) { w.commands->setWhiteFill(on); });
    w.whiteOut.trigger();
    EXPECT_FALSE(w.whiteOut.isChecked());
    EXPECT_FALSE(w.view.bandSelect());
}

imaging::PixPtr markedPage(int w, int h) {
    imaging::PixPtr p(pixCreate(w, h, 1));
    pixRasterop(p.get(), 10, 20, 300, 40, PIX_SET, nullptr, 0, 0);
    pixRasterop(p.get(), w - 50, h - 400, 30, 200, PIX_SET, nullptr, 0, 0);
    return p;
}

TEST(Rotation, QuarterTurnsOfAFullPage) {
    ViewTestWindow w;
    w.show(markedPage(2550, 3300));
    w.commands->rotateClockwise();
    EXPECT_EQ(w.state.modified, 1);
    EXPECT_EQ(w.view.engine().PageWidth(), 3300);
    EXPECT_EQ(w.view.engine().PageHeight(), 2550);
    imaging::PixPtr once(pixCopy(nullptr, w.view.engine().pix()));
    w.commands->rotateClockwise();

    ViewTestWindow half;
    half.show(markedPage(2550, 3300));
    half.commands->rotateUpside();
    EXPECT_EQ(half.state.modified, 1);
    l_int32 same = 0;
    pixEqual(w.view.engine().pix(), half.view.engine().pix(), &same);
    EXPECT_TRUE(same) << "two clockwise quarter turns must equal one half turn";

    // Back a quarter: the page after the first quarter turn again.
    w.commands->rotateAntiClockwise();
    pixEqual(w.view.engine().pix(), once.get(), &same);
    EXPECT_TRUE(same);
}

TEST(Rotation, ViewStateIsNotReapplied) {
    ViewTestWindow w;
    w.show(markedPage(2550, 3300), 300);
    w.state.windowmode = 0;
    w.commands->redisplay();
    w.commands->zoomIn();
    const float zoom = w.view.zoomPercent();
    w.commands->rotateClockwise();
    EXPECT_EQ(w.view.sizeMode(), 4);
    EXPECT_FLOAT_EQ(w.view.zoomPercent(), zoom);

    w.commands->fit();
    w.commands->rotateAntiClockwise();
    EXPECT_EQ(w.view.sizeMode(), 3);
}

TEST(Rotation, WithoutAPageNothingIsMarked) {
    ViewTestWindow w;
    w.commands->rotateClockwise();
    w.commands->rotateUpside();
    EXPECT_EQ(w.state.modified, 0);
    EXPECT_FALSE(w.view.engine().hasImage());
}

TEST(Invert, FlipsThePixelsButNotModified) {
    ViewTestWindow w;
    w.show(markedPage(400, 600));
    const long before = countBlack(w.view.engine().pix(), 0, 0, 0, 0, false);
    w.commands->invert();
    EXPECT_EQ(w.state.modified, 0);
    EXPECT_EQ(countBlack(w.view.engine().pix(), 0, 0, 0, 0, false), 400L * 600 - before);
    w.state.modified = 2;
    w.commands->invert();
    EXPECT_EQ(w.state.modified, 2);
    EXPECT_EQ(countBlack(w.view.engine().pix(), 0, 0, 0, 0, false), before);
}

}  // namespace
}  // namespace leafmark::testing
