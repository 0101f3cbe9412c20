// Margin clean-up on real engine images, and the run's confirmation texts.
#include <gtest/gtest.h>

#include <limits>

#include "batch/core/MarginCleanup.h"
#include "batch/core/RunText.h"
#include "imaging/engine/PageEngine.h"

using namespace leafmark;
using namespace leafmark::batch;
using imaging::PageEngine;
using imaging::PixPtr;

namespace {

// An all-black 1-bit page held by `engine`.
void holdBlackPage(PageEngine& engine, int w, int h, int xr, int yr) {
    PixPtr pix(pixCreate(w, h, 1));
    pixSetAll(pix.get());
    engine.setImage(std::move(pix), xr, yr);
}

bool isWhite(const PageEngine& engine, int x, int y) {
    l_uint32 v = 1;
    pixGetPixel(engine.pix(), x, y, &v);
    return v == 0;
}

int whiteCount(const PageEngine& engine) {
    l_int32 black = 0;
    pixCountPixels(engine.pix(), &black, nullptr);
    return pixGetWidth(engine.pix()) * pixGetHeight(engine.pix()) - black;
}

}  // namespace

TEST(MarginCleanup, HalfInchAt300DpiWhitensFourBandsOf150Pixels) {
    PageEngine engine;
    holdBlackPage(engine, 2550, 3300, 300, 300);
    margincleanup(engine, 0.5);
    // Each band ends exactly at 150 pixels from its edge; the inside stays black.
    for (int y : {0, 149, 1650, 3150, 3299}) {
        EXPECT_TRUE(isWhite(engine, 0, y));
        EXPECT_TRUE(isWhite(engine, 149, y));
        EXPECT_TRUE(isWhite(engine, 2400, y));
        EXPECT_TRUE(isWhite(engine, 2549, y));
    }
    EXPECT_FALSE(isWhite(engine, 150, 1650));
    EXPECT_FALSE(isWhite(engine, 2399, 1650));
    EXPECT_FALSE(isWhite(engine, 1275, 150));
    EXPECT_FALSE(isWhite(engine, 1275, 3149));
    EXPECT_TRUE(isWhite(engine, 1275, 149));
    EXPECT_TRUE(isWhite(engine, 1275, 3150));
    EXPECT_EQ(whiteCount(engine), 2550 * 3300 - 2250 * 3000);
    EXPECT_FALSE(engine.hasRegion());
}

TEST(MarginCleanup, BandsKeepOnePhysicalWidthOnFaxResolution) {
    PageEngine engine;
    holdBlackPage(engine, 1728, 2200, 204, 196);
    margincleanup(engine, 0.25);  // 51 pixels across, 49 down
    EXPECT_TRUE(isWhite(engine, 50, 1000));
    EXPECT_FALSE(isWhite(engine, 51, 1000));
    EXPECT_TRUE(isWhite(engine, 1728 - 51, 1000));
    EXPECT_FALSE(isWhite(engine, 1728 - 52, 1000));
    EXPECT_TRUE(isWhite(engine, 800, 48));
    EXPECT_FALSE(isWhite(engine, 800, 49));
    EXPECT_TRUE(isWhite(engine, 800, 2200 - 49));
    EXPECT_FALSE(isWhite(engine, 800, 2200 - 50));
    EXPECT_EQ(whiteCount(engine), 1728 * 2200 - (1728 - 102) * (2200 - 98));
}

TEST(MarginCleanup, MarginOfHalfThePageOrMoreWhitensAll) {
    // The page is 1 inch wide: 0.5 is exactly half. A margin typed as 1e37 or 1e999
    // (infinity) is wider than single precision holds, and still whitens the page.
    for (double inches : {0.5, 0.8, 5.0, 1e37, std::numeric_limits<double>::infinity()}) {
        PageEngine engine;
        holdBlackPage(engine, 300, 400, 300, 300);
        margincleanup(engine, inches);
        EXPECT_EQ(whiteCount(engine), 300 * 400) << inches;
    }
}

TEST(MarginCleanup, EmptyOrNegativeBandsLeaveThePageAlone) {
    struct Case {
        double inches;
        int xr, yr;
    } cases[] = {{0.0, 300, 300},
                 {-0.5, 300, 300},
                 {0.5, 0, 0},
                 // no resolution times an infinite margin is not a number: no band
                 {std::numeric_limits<double>::infinity(), 0, 0}};
    for (const Case& c : cases) {
        PageEngine engine;
        holdBlackPage(engine, 300, 400, c.xr, c.yr);
        margincleanup(engine, c.inches);
        EXPECT_EQ(whiteCount(engine), 0) << c.inches << " at " << c.xr;
    }
    PageEngine empty;  // no page held: nothing to do, nothing breaks
    margincleanup(empty, 0.5);
    EXPECT_FALSE(empty.hasImage());
}

TEST(RunTexts, PreProcessQuestionNamesTheTickedOperationsInOrder) {
    const QString lines =
        QStringLiteral("\r\n\r\nSource Directory = /in/\r\nOutput Directory = /out/");
    PageOptions all{true, true, true, 0.0};
    EXPECT_EQ(confirmationText(RunKind::PreProcess, all, "/in/", "/out/"),
              "This function will pre-process the files as specified "
              "(Despeckle, Deskew, Margin Cleanup).  OK to continue? " +
                  lines);
    PageOptions marginOnly{true, false, false, 0.0};
    EXPECT_EQ(confirmationText(RunKind::PreProcess, marginOnly, "/in/", "/out/"),
              "This function will pre-process the files as specified "
              "(Margin Cleanup).  OK to continue? " +
                  lines);
    EXPECT_EQ(confirmationText(RunKind::PreProcess, PageOptions{}, "/in/", "/out/"),
              "This function will pre-process the files as specified .  OK to continue? " + lines);
    EXPECT_EQ(confirmationText(RunKind::PostProcess, all, "/in/", "/out/"),
              "This function will deskew the altered files.  OK to continue?" + lines);
}

TEST(RunTexts, EndOfDocumentNamesAreFoundInAnyCase) {
    EXPECT_TRUE(hasEodExtension("00000006ZZZ.EOD"));
    EXPECT_TRUE(hasEodExtension("00000123zzz.eod"));
    EXPECT_FALSE(hasEodExtension("00000123.tif"));
    EXPECT_FALSE(hasEodExtension("EOD"));
    EXPECT_EQ(withSeparator("/a"), "/a/");
    EXPECT_EQ(withSeparator("/"), "/");
}
