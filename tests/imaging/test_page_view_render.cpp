// Scaling of pages for the screen: the three 1-bit renderings, averaging of gray
// and colour pages, and coverage of the page's edges.
#include "imaging/widget/PageRenderer.h"

#include <gtest/gtest.h>

namespace leafmark::imaging {
namespace {

PixPtr blankPix(int w, int h, int depth) {
    PixPtr p(pixCreate(w, h, depth));
    if (depth > 1) pixSetAll(p.get());  // white
    return p;
}

int minGray(const QImage& img) {
    int m = 255;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) m = std::min(m, qGray(img.pixel(x, y)));
    return m;
}

TEST(PageRendererBitonal, ThinLineAtQuarterScale) {
    // A 1-pixel vertical line on a column that centre sampling at 25 % skips.
    PixPtr page = blankPix(400, 400, 1);
    for (int y = 0; y < 400; ++y) pixSetPixel(page.get(), 201, y, 1);
    const QRect all(0, 0, 100, 100);

    const QImage normal = renderScaled(page.get(), 0.25, kBitonalNormal, all);
    ASSERT_EQ(normal.size(), QSize(100, 100));
    EXPECT_EQ(minGray(normal), 255) << "centre sampling was expected to miss column 201";

    const QImage black = renderScaled(page.get(), 0.25, kBitonalFavorBlack, all);
    for (int y = 0; y < 100; ++y) {
        EXPECT_EQ(qGray(black.pixel(50, y)), 0) << "row " << y;
        EXPECT_EQ(qGray(black.pixel(49, y)), 255);
        EXPECT_EQ(qGray(black.pixel(51, y)), 255);
    }

    const QImage gray = renderScaled(page.get(), 0.25, kBitonalScaleToGray, all);
    // One black column of four: a quarter of the box is black.
    EXPECT_NEAR(qGray(gray.pixel(50, 10)), 191, 1);
    EXPECT_EQ(qGray(gray.pixel(10, 10)), 255);
}

TEST(PageRendererBitonal, CheckerboardGivesMidGrayOnlyInGrayMode) {
    PixPtr page = blankPix(64, 64, 1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if ((x + y) % 2) pixSetPixel(page.get(), x, y, 1);
    const QRect all(0, 0, 16, 16);
    const QImage gray = renderScaled(page.get(), 0.25, kBitonalScaleToGray, all);
    const QImage black = renderScaled(page.get(), 0.25, kBitonalFavorBlack, all);
    const QImage normal = renderScaled(page.get(), 0.25, kBitonalNormal, all);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_NEAR(qGray(gray.pixel(x, y)), 127, 1);
            EXPECT_EQ(qGray(black.pixel(x, y)), 0);
            const int n = qGray(normal.pixel(x, y));
            EXPECT_TRUE(n == 0 || n == 255);
        }
}

TEST(PageRendererBitonal, EnlargingRepeatsEachPixel) {
    PixPtr page = blankPix(3, 2, 1);
    pixSetPixel(page.get(), 1, 0, 1);
    pixSetPixel(page.get(), 2, 1, 1);
    for (int mode : {kBitonalNormal, kBitonalFavorBlack, kBitonalScaleToGray}) {
        const QImage img = renderScaled(page.get(), 3.0, mode, QRect(0, 0, 9, 6));
        ASSERT_EQ(img.size(), QSize(9, 6));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool black = (x / 3 == 1 && y / 3 == 0) || (x / 3 == 2 && y / 3 == 1);
                EXPECT_EQ(qGray(img.pixel(x, y)), black ? 0 : 255)
                    << "mode " << mode << " at " << x << "," << y;
            }
    }
}

TEST(PageRendererBitonal, LastScreenPixelReachesThePageEdge) {
    // 10 pixels at 0.35 draw 4 pixels wide; the last page column must still count.
    PixPtr page = blankPix(10, 10, 1);
    for (int y = 0; y < 10; ++y) pixSetPixel(page.get(), 9, y, 1);
    const QSize size = scaledPageSize(10, 10, 0.35);
    ASSERT_EQ(size, QSize(4, 4));
    const QImage img = renderScaled(page.get(), 0.35, kBitonalFavorBlack, QRect(QPoint(), size));
    EXPECT_EQ(qGray(img.pixel(3, 0)), 0);
}

TEST(PageRendererBitonal, PartOfThePageMatchesTheWhole) {
    PixPtr page = blankPix(300, 200, 1);
    for (int i = 0; i < 200; ++i) pixSetPixel(page.get(), (i * 7) % 300, i, 1);
    const QSize size = scaledPageSize(300, 200, 0.6);
    const QImage whole = renderScaled(page.get(), 0.6, kBitonalScaleToGray, QRect(QPoint(), size));
    const QRect part(37, 21, 50, 40);
    const QImage piece = renderScaled(page.get(), 0.6, kBitonalScaleToGray, part);
    EXPECT_EQ(piece, whole.copy(part));
}

TEST(PageRendererColour, GrayAndColourAreAveragedWhenReduced) {
    PixPtr gray = blankPix(8, 8, 8);
    PixPtr rgb = blankPix(8, 8, 32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; x += 2) {
            pixSetPixel(gray.get(), x, y, 0);
            pixSetPixel(rgb.get(), x, y, 0x0000ff00);  // blue, white neighbours
        }
    // The bitonal setting is irrelevant for these depths.
    for (int mode : {kBitonalNormal, kBitonalFavorBlack, kBitonalScaleToGray}) {
        const QImage g = renderScaled(gray.get(), 0.5, mode, QRect(0, 0, 4, 4));
        EXPECT_EQ(g.format(), QImage::Format_Grayscale8);
        EXPECT_NEAR(qGray(g.pixel(1, 1)), 128, 1);
        const QImage c = renderScaled(rgb.get(), 0.5, mode, QRect(0, 0, 4, 4));
        EXPECT_EQ(c.format(), QImage::Format_RGB32);
        const QRgb px = c.pixel(2, 3);
        EXPECT_NEAR(qRed(px), 128, 1);
        EXPECT_NEAR(qGreen(px), 128, 1);
        EXPECT_EQ(qBlue(px), 255);
    }
}

TEST(PageRendererPrepare, ColourMappedAndOddDepthsBecomeDrawable) {
    // A 1-bit page whose colour map makes 0 black must render the 0 pixels black.
    PixPtr cm(pixCreate(4, 4, 1));
    PIXCMAP* map = pixcmapCreate(1);
    pixcmapAddColor(map, 0, 0, 0);
    pixcmapAddColor(map, 255, 255, 255);
    pixSetColormap(cm.get(), map);
    pixSetPixel(cm.get(), 0, 0, 1);  // white
    PixPtr ready = prepareForDisplay(cm.get());
    ASSERT_TRUE(ready);
    EXPECT_EQ(pixGetDepth(ready.get()), 1);
    const QImage img = renderScaled(ready.get(), 1.0, kBitonalNormal, QRect(0, 0, 4, 4));
    EXPECT_EQ(qGray(img.pixel(0, 0)), 255);
    EXPECT_EQ(qGray(img.pixel(1, 0)), 0);

    PixPtr four(pixCreate(5, 5, 4));
    PixPtr four8 = prepareForDisplay(four.get());
    ASSERT_TRUE(four8);
    EXPECT_EQ(pixGetDepth(four8.get()), 8);

    EXPECT_FALSE(prepareForDisplay(nullptr));
    EXPECT_TRUE(renderScaled(nullptr, 1.0, 0, QRect(0, 0, 1, 1)).isNull());
    EXPECT_TRUE(renderScaled(four8.get(), 0.0, 0, QRect(0, 0, 1, 1)).isNull());
}

}  // namespace
}  // namespace leafmark::imaging
