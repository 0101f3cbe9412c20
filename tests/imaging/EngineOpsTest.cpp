// Quarter turns, any-angle turns, invert and region fill on small hand-built pages.

#include <gtest/gtest.h>

#include "PixTestPages.h"
#include "imaging/engine/PageEngine.h"

using namespace leafmark::imaging;
using namespace leafmark::imaging::testpages;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

class DepthTest : public ::testing::TestWithParam<int> {};

l_uint32 at(PIX* pix, int x, int y) {
    l_uint32 v = 0;
    pixGetPixel(pix, x, y, &v);
    return v;
}

}  // namespace

TEST_P(DepthTest, QuarterTurnsComposeAsTurnsShould) {
    const int depth = GetParam();
    PageEngine engine;
    PixPtr original = patterned(7, 5, depth);
    engine.setImage(copyOf(original.get()), 300, 200);

    ASSERT_TRUE(engine.Rotate(9000, true, kWhite).ok());
    EXPECT_EQ(pixGetWidth(engine.pix()), 5);
    EXPECT_EQ(pixGetHeight(engine.pix()), 7);
    EXPECT_EQ(pixGetDepth(engine.pix()), depth);
    EXPECT_EQ(engine.XResolution(), 200) << "resolutions swap with the sides";
    EXPECT_EQ(engine.YResolution(), 300);
    // Clockwise: the top-left pixel ends at the top-right.
    EXPECT_EQ(at(engine.pix(), 4, 0), at(original.get(), 0, 0));
    EXPECT_EQ(at(engine.pix(), 0, 0), at(original.get(), 0, 4));

    ASSERT_TRUE(engine.Rotate(27000, true, kWhite).ok());
    EXPECT_TRUE(samePixels(engine.pix(), original.get())) << "90 then 270 is the identity";
    EXPECT_EQ(engine.XResolution(), 300);

    for (int i = 0; i < 4; ++i) ASSERT_TRUE(engine.Rotate(9000, true, kWhite).ok());
    EXPECT_TRUE(samePixels(engine.pix(), original.get())) << "four quarter turns";

    PageEngine half;
    half.setImage(copyOf(original.get()), 300, 200);
    ASSERT_TRUE(half.Rotate(18000, true, kWhite).ok());
    ASSERT_TRUE(engine.Rotate(9000, true, kWhite).ok());
    ASSERT_TRUE(engine.Rotate(9000, true, kWhite).ok());
    EXPECT_TRUE(samePixels(engine.pix(), half.pix())) << "two quarter turns == one half turn";
    EXPECT_EQ(half.XResolution(), 300);
    EXPECT_EQ(at(half.pix(), 6, 4), at(original.get(), 0, 0));
}

TEST_P(DepthTest, InvertTwiceIsIdentityAndInvertsEveryPixel) {
    const int depth = GetParam();
    PageEngine engine;
    PixPtr original = patterned(9, 4, depth);
    engine.setImage(copyOf(original.get()), 300, 300);
    const auto before = engine.generation();
    ASSERT_TRUE(engine.Invert().ok());
    EXPECT_NE(engine.generation(), before);
    const l_uint32 mask = depth == 32 ? 0xFFFFFF00u : (1u << depth) - 1u;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(at(engine.pix(), x, y) & mask, ~at(original.get(), x, y) & mask);
    ASSERT_TRUE(engine.Invert().ok());
    EXPECT_TRUE(samePixels(engine.pix(), original.get()));
}

TEST_P(DepthTest, RegionFillIsCutAtThePageAndTouchesNothingElse) {
    const int depth = GetParam();
    PageEngine engine;
    PixPtr original = patterned(10, 8, depth);
    engine.setImage(copyOf(original.get()), 300, 300);
    // Hangs off the left and bottom edges: page pixels x 0..3, y 5..7 are inside.
    engine.SetRegionRect(-5.0f, 5.0f, 9.0f, 20.0f);
    ASSERT_TRUE(engine.FillRegion(kWhite).ok());
    const l_uint32 white = depth == 1 ? 0u : depth == 8 ? 255u : 0xFFFFFF00u;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x < 4 && y >= 5;
            const l_uint32 v = at(engine.pix(), x, y) & (depth == 32 ? 0xFFFFFF00u : ~0u);
            if (inside)
                ASSERT_EQ(v, white) << x << "," << y;
            else
                ASSERT_EQ(at(engine.pix(), x, y), at(original.get(), x, y)) << x << "," << y;
        }
    EXPECT_EQ(pixGetDepth(engine.pix()), depth);
}

TEST_P(DepthTest, EmptyOrMissingRegionChangesNothing) {
    const int depth = GetParam();
    PageEngine engine;
    PixPtr original = patterned(10, 8, depth);
    engine.setImage(copyOf(original.get()), 300, 300);
    const auto generation = engine.generation();

    EXPECT_FALSE(engine.FillRegion(kWhite).ok()) << "no region set";
    const float empties[][4] = {{2, 2, 0, 5},   {2, 2, 5, 0},       {2, 2, -3, 4},   {2, 2, 4, -3},
                                {20, 2, 5, 5},  {2, -9, 5, 5},      {2, 2, 0.3f, 5}, {2, 2, NAN, 5},
                                {-8, -8, 4, 4}, {2, 2, INFINITY, 5}};
    for (const auto& r : empties) {
        engine.SetRegionRect(r[0], r[1], r[2], r[3]);
        EXPECT_TRUE(engine.FillRegion(kWhite).ok());
    }
    engine.ClearRegion();
    EXPECT_FALSE(engine.hasRegion());
    EXPECT_FALSE(engine.FillRegion(kWhite).ok());
    EXPECT_TRUE(samePixels(engine.pix(), original.get()));
    EXPECT_EQ(engine.generation(), generation);
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthTest, ::testing::Values(1, 8, 32));

TEST(RegionFill, FractionalEdgesRoundToNearestSoBandsMeetWithoutGapOrOverlap) {
    PageEngine engine;
    engine.setImage(PixPtr(pixCreate(100, 10, 8)), 204, 204);
    // 0.1 inch at 204 dpi is 20.4 pixels: left band [0, 20), right band [80, 100).
    engine.SetRegionRect(0.0f, 0.0f, 20.4f, 10.0f);
    ASSERT_TRUE(engine.FillRegion(0xFFFFFF).ok());
    engine.SetRegionRect(100.0f - 20.4f, 0.0f, 20.4f, 10.0f);
    ASSERT_TRUE(engine.FillRegion(0x808080).ok());
    EXPECT_EQ(at(engine.pix(), 19, 3), 255u);
    EXPECT_EQ(at(engine.pix(), 20, 3), 0u);
    EXPECT_EQ(at(engine.pix(), 79, 3), 0u);
    EXPECT_EQ(at(engine.pix(), 80, 3), 128u);
    EXPECT_EQ(at(engine.pix(), 99, 9), 128u);
    // Two regions that abut in page units share no pixel and leave none out.
    engine.SetRegionRect(30.6f, 0.0f, 10.2f, 10.0f);
    ASSERT_TRUE(engine.FillRegion(0x101010).ok());
    engine.SetRegionRect(40.8f, 0.0f, 10.2f, 10.0f);
    ASSERT_TRUE(engine.FillRegion(0x202020).ok());
    EXPECT_EQ(at(engine.pix(), 30, 0), 0u);
    EXPECT_EQ(at(engine.pix(), 31, 0), 16u);
    EXPECT_EQ(at(engine.pix(), 40, 0), 16u);
    EXPECT_EQ(at(engine.pix(), 41, 0), 32u);
    EXPECT_EQ(at(engine.pix(), 50, 0), 32u);
    EXPECT_EQ(at(engine.pix(), 51, 0), 0u);
}

TEST(RegionFill, ColourOnColourPagesAndMappedPagesUsesTheColour) {
    PageEngine engine;
    engine.setImage(PixPtr(pixCreate(6, 6, 32)), 300, 300);
    engine.SetRegionRect(1, 1, 2, 2);
    ASSERT_TRUE(engine.FillRegion(0x12A0C3).ok());
    l_int32 r, g, b;
    extractRGBValues(at(engine.pix(), 2, 2), &r, &g, &b);
    EXPECT_EQ(r, 0x12);
    EXPECT_EQ(g, 0xA0);
    EXPECT_EQ(b, 0xC3);
    EXPECT_EQ(at(engine.pix(), 3, 3), 0u);

    // A 2-colour mapped page (white = index 0, black = index 1) painted white.
    PixPtr mapped(pixCreate(6, 6, 8));
    PIXCMAP* cmap = pixcmapCreate(8);
    pixcmapAddColor(cmap, 255, 255, 255);
    pixcmapAddColor(cmap, 0, 0, 0);
    pixSetColormap(mapped.get(), cmap);
    pixSetAllArbitrary(mapped.get(), 1);
    engine.setImage(std::move(mapped), 300, 300);
    engine.SetRegionRect(0, 0, 3, 6);
    ASSERT_TRUE(engine.FillRegion(0xFFFFFF).ok());
    EXPECT_EQ(at(engine.pix(), 2, 5), 0u) << "white found in the map";
    EXPECT_EQ(at(engine.pix(), 3, 5), 1u);
}

TEST(Rotate, AnyAngleTurnsClockwiseAndGrowsTheFrameOnlyWhenAsked) {
    // A black horizontal bar across the middle of a white 1 bpp page.
    const int w = 200, h = 100;
    PixPtr bar(pixCreate(w, h, 1));
    pixRasterop(bar.get(), 20, 48, 160, 4, PIX_SET, nullptr, 0, 0);
    for (const bool grow : {false, true}) {
        PageEngine engine;
        engine.setImage(copyOf(bar.get()), 300, 300);
        ASSERT_TRUE(engine.Rotate(1000, grow, kWhite).ok());  // 10 degrees
        PIX* out = engine.pix();
        EXPECT_EQ(pixGetDepth(out), 1);
        if (grow) {
            EXPECT_GT(pixGetWidth(out), w);
            EXPECT_GT(pixGetHeight(out), h);
        } else {
            EXPECT_EQ(pixGetWidth(out), w);
            EXPECT_EQ(pixGetHeight(out), h);
        }
        // Turned clockwise: the bar's right part lies lower than its left part.
        const int cx = pixGetWidth(out) / 2;
        auto firstDarkRow = [&](int x) {
            for (int y = 0; y < pixGetHeight(out); ++y)
                if (at(out, x, y)) return y;
            return -1;
        };
        const int leftRow = firstDarkRow(cx - 50);
        const int rightRow = firstDarkRow(cx + 50);
        ASSERT_GE(leftRow, 0);
        ASSERT_GE(rightRow, 0);
        EXPECT_NEAR(rightRow - leftRow, 100 * std::tan(10 * M_PI / 180), 2.5);
        // New corners are white.
        EXPECT_EQ(at(out, 0, 0), 0u);
        EXPECT_EQ(at(out, pixGetWidth(out) - 1, pixGetHeight(out) - 1), 0u);
    }
}

TEST(Rotate, FillColourPaintsTheNewAreaOnGrayAndColour) {
    for (const int depth : {8, 32}) {
        PageEngine engine;
        PixPtr page(pixCreate(60, 40, depth));
        pixSetAll(page.get());  // white page
        engine.setImage(std::move(page), 300, 300);
        ASSERT_TRUE(engine.Rotate(4500, true, 0x000000).ok());
        EXPECT_EQ(pixGetDepth(engine.pix()), depth);
        EXPECT_EQ(at(engine.pix(), 0, 0) & (depth == 32 ? 0xFFFFFF00u : 0xFFu), 0u)
            << "the corner brought in is the fill colour";
        const int cx = pixGetWidth(engine.pix()) / 2, cy = pixGetHeight(engine.pix()) / 2;
        EXPECT_EQ(at(engine.pix(), cx, cy) & (depth == 32 ? 0xFFFFFF00u : 0xFFu),
                  depth == 32 ? 0xFFFFFF00u : 0xFFu);
    }
}

TEST(Rotate, QuarterTurnWithoutResizeKeepsTheFrameAndFillsTheRest) {
    PageEngine engine;
    PixPtr page(pixCreate(8, 4, 8));  // black 8 x 4
    engine.setImage(std::move(page), 300, 150);
    ASSERT_TRUE(engine.Rotate(9000, false, 0xFFFFFF).ok());
    EXPECT_EQ(pixGetWidth(engine.pix()), 8);
    EXPECT_EQ(pixGetHeight(engine.pix()), 4);
    EXPECT_EQ(engine.XResolution(), 300) << "the frame kept its orientation";
    EXPECT_EQ(at(engine.pix(), 0, 0), 255u);  // outside the turned 4 x 8 image
    EXPECT_EQ(at(engine.pix(), 7, 3), 255u);
    EXPECT_EQ(at(engine.pix(), 3, 2), 0u);  // the turned image, centred
}

TEST(Operations, WithoutAPageFailAndDoNothing) {
    PageEngine engine;
    EXPECT_FALSE(engine.Rotate(9000, true, kWhite).ok());
    EXPECT_FALSE(engine.Invert().ok());
    engine.SetRegionRect(0, 0, 5, 5);
    EXPECT_FALSE(engine.FillRegion(kWhite).ok());
    EXPECT_FALSE(engine.Despeckle().ok());
    EXPECT_FALSE(engine.Deskew().applied);
    EXPECT_FALSE(engine.hasImage());
}

TEST(Invert, MappedPagesInvertColoursNotIndices) {
    // Index 0 = dark red, 1 = light gray, 2 = white: indices inverted would be garbage.
    PixPtr page(pixCreate(3, 1, 8));
    PIXCMAP* cmap = pixcmapCreate(8);
    pixcmapAddColor(cmap, 200, 0, 0);
    pixcmapAddColor(cmap, 200, 200, 200);
    pixcmapAddColor(cmap, 255, 255, 255);
    pixSetColormap(page.get(), cmap);
    for (int x = 0; x < 3; ++x) pixSetPixel(page.get(), x, 0, static_cast<l_uint32>(x));
    PageEngine engine;
    engine.setImage(std::move(page), 300, 300);
    ASSERT_TRUE(engine.Invert().ok());
    PIXCMAP* turned = pixGetColormap(engine.pix());
    ASSERT_NE(turned, nullptr);
    l_int32 r, g, b;
    pixcmapGetColor(turned, static_cast<l_int32>(at(engine.pix(), 0, 0)), &r, &g, &b);
    EXPECT_EQ(r, 55);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
    pixcmapGetColor(turned, static_cast<l_int32>(at(engine.pix(), 2, 0)), &r, &g, &b);
    EXPECT_EQ(r + g + b, 0);
    EXPECT_EQ(pixGetDepth(engine.pix()), 8);
}

TEST(Invert, AlphaOfATransparentPageIsKept) {
    PixPtr page(pixCreate(2, 1, 32));
    pixSetSpp(page.get(), 4);
    l_uint32 v;
    composeRGBAPixel(10, 20, 30, 77, &v);
    pixSetPixel(page.get(), 0, 0, v);
    PageEngine engine;
    engine.setImage(std::move(page), 300, 300);
    ASSERT_TRUE(engine.Invert().ok());
    l_int32 r, g, b, a;
    extractRGBAValues(at(engine.pix(), 0, 0), &r, &g, &b, &a);
    EXPECT_EQ(r, 245);
    EXPECT_EQ(g, 235);
    EXPECT_EQ(b, 225);
    EXPECT_EQ(a, 77);
}
