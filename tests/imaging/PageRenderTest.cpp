// Scaling of pages for the screen: the three 1-bit renderings, averaging of gray
// and colour pages, coverage of the page's edges, agreement with a pixel-by-pixel
// reference, screen-format output and rendering in bands on several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "imaging/widget/PageRenderer.h"

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

// A 1-bit page of random ink: dense noise in some words, sparse in others, and
// blank stretches, so the scaler's shortcuts for white words are exercised.
PixPtr randomBitonal(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    PixPtr p(pixCreate(w, h, 1));
    l_uint32* d = pixGetData(p.get());
    const int wpl = pixGetWpl(p.get());
    for (int i = 0; i < wpl * h; ++i) {
        const unsigned kind = rng() % 4;
        d[i] = kind == 0 ? rng() : kind == 1 ? (rng() & rng() & rng()) : 0u;
    }
    return p;
}

// The rendering by its definition, one screen pixel at a time: the page box a
// screen pixel covers (the last one reaching the page edge), or the page pixel
// under its centre when enlarging or in normal mode.
int referenceGray(PIX* p, double scale, int mode, QPoint t, QSize total) {
    const int w = pixGetWidth(p);
    const int h = pixGetHeight(p);
    const bool nearest = mode == kBitonalNormal || scale >= 1.0;
    auto box = [&](int s, int n, int tot, int& b, int& e) {
        if (nearest) {
            b = std::clamp(static_cast<int>(std::floor((s + 0.5) / scale)), 0, n - 1);
            e = b + 1;
            return;
        }
        b = std::clamp(static_cast<int>(std::floor(s / scale)), 0, n - 1);
        e = s + 1 >= tot ? n : std::clamp(static_cast<int>(std::floor((s + 1) / scale)), b + 1, n);
    };
    int bx = 0, ex = 0, by = 0, ey = 0;
    box(t.x(), w, total.width(), bx, ex);
    box(t.y(), h, total.height(), by, ey);
    std::uint64_t black = 0;
    for (int y = by; y < ey; ++y)
        for (int x = bx; x < ex; ++x) {
            l_uint32 v = 0;
            pixGetPixel(p, x, y, &v);
            black += v;
        }
    const std::uint64_t area = std::uint64_t(ex - bx) * std::uint64_t(ey - by);
    if (mode == kBitonalFavorBlack || nearest) return black ? 0 : 255;
    return static_cast<int>(255 - (black * 255 + area / 2) / area);
}

TEST(PageRendererReference, BitonalRenderingsMatchTheDefinitionAtManyScales) {
    // 0.002 makes screen pixels taller than 255 page rows; at 0.02 they span
    // more than two row words.
    PixPtr page = randomBitonal(301, 700, 11);
    for (double scale : {0.002, 0.02, 0.05, 0.25, 0.306, 0.5, 0.77, 1.0, 2.5}) {
        const QSize total = scaledPageSize(301, 700, scale);
        const QRect part(total.width() / 5, total.height() / 3, std::max(1, total.width() / 2),
                         std::max(1, total.height() / 2));
        for (int mode : {kBitonalNormal, kBitonalFavorBlack, kBitonalScaleToGray}) {
            const QImage img = renderScaled(page.get(), scale, mode, part);
            ASSERT_EQ(img.size(), part.size());
            int wrong = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const int want = referenceGray(page.get(), scale, mode,
                                                   part.topLeft() + QPoint(x, y), total);
                    if (qGray(img.pixel(x, y)) != want && wrong++ < 3)
                        ADD_FAILURE() << "scale " << scale << " mode " << mode << " at " << x << ","
                                      << y << ": " << qGray(img.pixel(x, y)) << " != " << want;
                }
            EXPECT_EQ(wrong, 0) << "scale " << scale << " mode " << mode;
        }
    }
}

TEST(PageRendererReference, HugeAreasPerScreenPixelDoNotOverflow) {
    // 4200 x 4200 page pixels under one screen pixel: 255 x that area passes 2^32.
    PixPtr black(pixCreate(4200, 4200, 1));
    pixSetAll(black.get());
    const double scale = 1.0 / 4200;
    ASSERT_EQ(scaledPageSize(4200, 4200, scale), QSize(1, 1));
    EXPECT_EQ(
        qGray(renderScaled(black.get(), scale, kBitonalScaleToGray, QRect(0, 0, 1, 1)).pixel(0, 0)),
        0);
    PixPtr white(pixCreate(4200, 4200, 8));
    pixSetAll(white.get());
    EXPECT_EQ(
        qGray(renderScaled(white.get(), scale, kBitonalNormal, QRect(0, 0, 1, 1)).pixel(0, 0)),
        255);
}

// The screen format and the bands change no pixel. What can differ: 1-bit pages
// take a separate row path per rendering, gray and colour pages one path whatever
// the rendering; a reduction sums boxes, an enlargement repeats rows across band
// edges; one band, an odd number of bands and the automatic count (what the view
// uses) cut the rows differently.
struct OutputCase {
    int depth;
    double scale;
};

class PageRendererOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(PageRendererOutput, ScreenFormatAndBandsGiveTheSamePixels) {
    const auto [depth, scale] = GetParam();
    PixPtr page;
    if (depth == 1) {
        page = randomBitonal(1300, 1700, 5);
    } else {
        page.reset(pixCreate(500, 600, depth));
        std::mt19937 rng(3);
        l_uint32* d = pixGetData(page.get());
        for (int i = 0; i < pixGetWpl(page.get()) * pixGetHeight(page.get()); ++i) d[i] = rng();
    }
    PIX* p = page.get();
    const QSize total = scaledPageSize(pixGetWidth(p), pixGetHeight(p), scale);
    // An enlargement is drawn in part: the rows that repeat are the same, the page is not.
    const QRect target =
        scale < 1.0 ? QRect(QPoint(0, 0), total)
                    : QRect(total.width() / 4, total.height() / 4, std::min(total.width() / 2, 700),
                            std::min(total.height() / 2, 900));
    const std::vector<int> modes =
        depth == 1 ? std::vector<int>{kBitonalNormal, kBitonalFavorBlack, kBitonalScaleToGray}
                   : std::vector<int>{kBitonalScaleToGray};
    for (int mode : modes) {
        const QImage one = renderScaled(p, scale, mode, target);
        ASSERT_FALSE(one.isNull());
        RenderOptions screen;
        screen.rgb32 = true;
        for (int threads : {1, 3, 0}) {
            screen.threads = threads;
            const QImage banded = renderScaled(p, scale, mode, target, screen);
            ASSERT_EQ(banded.format(), QImage::Format_RGB32);
            EXPECT_EQ(banded, one.convertToFormat(QImage::Format_RGB32))
                << "mode " << mode << " threads " << threads;
        }
        RenderOptions compact;
        compact.threads = 3;
        EXPECT_EQ(renderScaled(p, scale, mode, target, compact), one) << "mode " << mode;
    }
}

INSTANTIATE_TEST_SUITE_P(DepthsAndScales, PageRendererOutput,
                         ::testing::Values(OutputCase{1, 0.31}, OutputCase{1, 2.2},
                                           OutputCase{8, 0.31}, OutputCase{8, 2.2},
                                           OutputCase{32, 0.31}, OutputCase{32, 2.2}),
                         [](const ::testing::TestParamInfo<OutputCase>& info) {
                             return "Depth" + std::to_string(info.param.depth) +
                                    (info.param.scale < 1.0 ? "Reduced" : "Enlarged");
                         });

}  // namespace
}  // namespace leafmark::imaging
