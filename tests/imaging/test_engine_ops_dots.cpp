// Despeckle on rendered text at 300 dpi: isolated specks go, every text pixel stays.

#include "imaging/engine/IsolatedDots.h"
#include "imaging/engine/PageEngine.h"
#include "test_engine_ops_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

using namespace leafmark::imaging;
using namespace leafmark::imaging::testpages;

namespace {

constexpr int kW = 1800, kH = 1400, kDpi = 300;

// Text of 6, 8, 10 and 14 points in bands across the top of a 300 dpi page; the
// bottom 300 rows stay blank for specks.
QImage textSampler() {
    QImage page(kW, kH, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter p(&page);
    const double sizes[] = {6, 8, 10, 14};
    for (int i = 0; i < 4; ++i) {
        const QRectF block(60, 40 + i * 260, kW - 120, 240);
        p.drawImage(block.topLeft(),
                    textPage(kW, kH, kDpi, sizes[i], 0.0, QRectF(0, 0, kW - 120, 200))
                        .copy(0, 0, static_cast<int>(block.width()), 240));
    }
    return page;
}

struct Speck {
    int x, y;
    std::vector<std::pair<int, int>> dots;  // offsets of its dark pixels
};

const std::vector<Speck>& specks() {
    static const std::vector<Speck> all = {
        {100, 1200, {{0, 0}}},
        {300, 1210, {{0, 0}, {1, 0}}},
        {500, 1250, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {700, 1300, {{0, 0}, {1, 1}, {2, 2}}},
        {900, 1320, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}}},
        {1100, 1240, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}},
        {0, kH - 1, {{0, 0}}},        // bottom-left corner
        {kW - 2, 1330, {{0, 0}, {1, 0}}},  // right edge
    };
    return all;
}

// Adds the specks to `pix` with `value`; checks they really stand alone.
void addSpecks(PIX* pix, l_uint32 value, PIX* textMask) {
    for (const Speck& s : specks()) {
        BoxPtr clear(boxCreate(s.x - 20, s.y - 20, 43, 43));
        l_int32 ink = 0;
        ASSERT_EQ(pixCountPixelsInRect(textMask, clear.get(), &ink, nullptr), 0);
        ASSERT_EQ(ink, 0) << "test speck placed too close to the text";
        for (const auto& [dx, dy] : s.dots) pixSetPixel(pix, s.x + dx, s.y + dy, value);
    }
}

}  // namespace

TEST(Despeckle, RemovesIsolatedSpecksAndLeavesEveryTextPixelOfABitonalPage) {
    PixPtr text = binaryOf(textSampler());
    l_int32 textPixels = 0;
    pixCountPixels(text.get(), &textPixels, nullptr);
    ASSERT_GT(textPixels, 20000) << "the text was rendered";

    PixPtr speckled = copyOf(text.get());
    addSpecks(speckled.get(), 1, text.get());
    PageEngine engine;
    engine.setImage(std::move(speckled), kDpi, kDpi);
    const auto generation = engine.generation();
    ASSERT_TRUE(engine.Despeckle().ok());
    EXPECT_NE(engine.generation(), generation);
    EXPECT_EQ(pixGetDepth(engine.pix()), 1);
    EXPECT_TRUE(samePixels(engine.pix(), text.get()))
        << "specks gone and the text (dots of i and j, stops, colons) untouched";

    // A clean page stays as it is and is not marked changed.
    const auto clean = engine.generation();
    ASSERT_TRUE(engine.Despeckle().ok());
    EXPECT_EQ(engine.generation(), clean);
}

TEST(Despeckle, KeepsSmallMarksNearOtherInkAndScalesWithResolution) {
    PixPtr page(pixCreate(400, 200, 1));
    pixRasterop(page.get(), 50, 50, 40, 40, PIX_SET, nullptr, 0, 0);  // a block of ink
    pixRasterop(page.get(), 94, 60, 2, 2, PIX_SET, nullptr, 0, 0);    // 3 px from the block
    pixRasterop(page.get(), 200, 50, 2, 2, PIX_SET, nullptr, 0, 0);   // colon: two dots
    pixRasterop(page.get(), 200, 56, 2, 2, PIX_SET, nullptr, 0, 0);
    pixRasterop(page.get(), 300, 100, 5, 5, PIX_SET, nullptr, 0, 0);  // 5 x 5 blot alone
    PixPtr original = copyOf(page.get());

    PageEngine engine;
    engine.setImage(copyOf(page.get()), 300, 300);
    ASSERT_TRUE(engine.Despeckle().ok());
    EXPECT_TRUE(samePixels(engine.pix(), original.get()))
        << "marks near ink, and a blot too big for 300 dpi, stay";

    engine.setImage(copyOf(page.get()), 600, 600);
    ASSERT_TRUE(engine.Despeckle().ok());
    l_uint32 v = 1;
    pixGetPixel(engine.pix(), 302, 102, &v);
    EXPECT_EQ(v, 0u) << "at 600 dpi a 5 x 5 blot is a speck";
    pixRasterop(original.get(), 300, 100, 5, 5, PIX_CLR, nullptr, 0, 0);
    EXPECT_TRUE(samePixels(engine.pix(), original.get())) << "and nothing else changed";
}

TEST(Despeckle, GrayAndColourPagesGetSpecksPaintedWithTheirBackground) {
    const QImage gray = textSampler();
    // Paper of gray 235 (or a cream colour), ink of the rendered text.
    PixPtr grayText(pixCreate(kW, kH, 8));
    PixPtr colourText(pixCreate(kW, kH, 32));
    for (int y = 0; y < kH; ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < kW; ++x) {
            const int t = row[x];
            pixSetPixel(grayText.get(), x, y, static_cast<l_uint32>(t * 235 / 255));
            l_uint32 rgb = 0;
            composeRGBPixel(20 + (235 - 20) * t / 255, 20 + (225 - 20) * t / 255,
                            120 + (205 - 120) * t / 255, &rgb);
            pixSetPixel(colourText.get(), x, y, rgb);
        }
    }
    PixPtr mask = binaryOf(gray);
    for (PIX* text : {grayText.get(), colourText.get()}) {
        const bool colour = pixGetDepth(text) == 32;
        PixPtr speckled = copyOf(text);
        l_uint32 core = 20, rim = 160;
        if (colour) {
            composeRGBPixel(30, 30, 30, &core);
            composeRGBPixel(170, 165, 150, &rim);
        }
        // Each speck gets a soft rim of light pixels, as a scanner makes it.
        for (const Speck& s : specks()) {
            if (s.x < 2 || s.y > kH - 3 || s.x > kW - 4) continue;
            int w = 0, h = 0;
            for (const auto& [dx, dy] : s.dots) {
                w = std::max(w, dx + 1);
                h = std::max(h, dy + 1);
            }
            for (int dy = -1; dy <= h; ++dy)
                for (int dx = -1; dx <= w; ++dx)
                    pixSetPixel(speckled.get(), s.x + dx, s.y + dy, rim);
        }
        addSpecks(speckled.get(), core, mask.get());
        PageEngine engine;
        engine.setImage(std::move(speckled), kDpi, kDpi);
        ASSERT_TRUE(engine.Despeckle().ok());
        EXPECT_EQ(pixGetDepth(engine.pix()), colour ? 32 : 8);
        EXPECT_TRUE(samePixels(engine.pix(), text)) << (colour ? "colour" : "gray");
    }
}

namespace {

// Speck boxes found the plain way: label every group of dark pixels on the page,
// keep those fitting the limits whose clear space holds no dark pixel outside
// their own box. Sorted, as (x, y, w, h).
std::vector<std::tuple<int, int, int, int>> specksByFullLabelling(PIX* binary,
                                                                  const SpeckLimits& limits) {
    std::vector<std::tuple<int, int, int, int>> found;
    BoxaPtr all(pixConnCompBB(binary, 8));
    const int w = pixGetWidth(binary), h = pixGetHeight(binary);
    for (int i = 0; i < boxaGetCount(all.get()); ++i) {
        l_int32 x, y, bw, bh;
        boxaGetBoxGeometry(all.get(), i, &x, &y, &bw, &bh);
        if (bw > limits.maxWidth || bh > limits.maxHeight) continue;
        const int x0 = std::max(0, x - limits.clearX), y0 = std::max(0, y - limits.clearY);
        const int x1 = std::min(w, x + bw + limits.clearX), y1 = std::min(h, y + bh + limits.clearY);
        bool alone = true;
        for (int yy = y0; yy < y1 && alone; ++yy)
            for (int xx = x0; xx < x1 && alone; ++xx) {
                l_uint32 v = 0;
                pixGetPixel(binary, xx, yy, &v);
                if (v && (xx < x || xx >= x + bw || yy < y || yy >= y + bh)) alone = false;
            }
        if (alone) found.emplace_back(x, y, bw, bh);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::tuple<int, int, int, int>> sortedBoxes(BOXA* boxa) {
    std::vector<std::tuple<int, int, int, int>> out;
    for (int i = 0; boxa && i < boxaGetCount(boxa); ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxa, i, &x, &y, &w, &h);
        out.emplace_back(x, y, w, h);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// A page of odd size strewn with clusters of 1 to 5 pixels of random shape, some
// alone, some near each other, some on the last rows and columns, plus a few bars.
PixPtr strewnPage(int w, int h, unsigned seed) {
    PixPtr page(pixCreate(w, h, 1));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1), size(1, 5), coin(0, 3);
    auto cluster = [&](int x, int y) {
        const int s = size(rng);
        for (int dy = 0; dy < s; ++dy)
            for (int dx = 0; dx < s; ++dx)
                if (coin(rng) && x + dx < w && y + dy < h) pixSetPixel(page.get(), x + dx, y + dy, 1);
    };
    for (int i = 0; i < w * h / 900; ++i) cluster(px(rng), py(rng));
    for (int i = 0; i < 12; ++i) {
        cluster(w - 1 - coin(rng), py(rng));  // along the right edge
        cluster(px(rng), h - 1 - coin(rng));  // along the bottom edge
    }
    for (int i = 0; i < 6; ++i)
        pixRasterop(page.get(), px(rng), py(rng), 1 + size(rng) * 9, 1 + size(rng), PIX_SET, nullptr, 0, 0);
    return page;
}

}  // namespace

TEST(Despeckle, FindsExactlyTheSpecksAFullLabellingFinds) {
    // Resolutions whose clear space allows blocks of 4, 2 and 1 pixels when looking.
    for (const int dpi : {300, 600, 200, 96, 72}) {
        for (const auto& [w, h] : {std::pair{1001, 777}, std::pair{640, 480}, std::pair{97, 33}}) {
            for (unsigned seed = 1; seed <= 3; ++seed) {
                PixPtr page = strewnPage(w, h, seed * 31 + static_cast<unsigned>(dpi));
                const SpeckLimits limits = speckLimitsFor(dpi, dpi);
                const auto expected = specksByFullLabelling(page.get(), limits);
                BoxaPtr found = findIsolatedSpecks(page.get(), limits);
                ASSERT_TRUE(found);
                EXPECT_EQ(sortedBoxes(found.get()), expected)
                    << dpi << " dpi, " << w << " x " << h << ", seed " << seed;
                if (dpi == 300 && seed == 1 && w == 1001) {
                    EXPECT_GT(expected.size(), 20u) << "specks to find";
                }
            }
        }
    }
}

TEST(Despeckle, BitsPastTheRightEdgeAreNotTakenForInk) {
    // 33 pixels wide: the second word of each row holds one pixel and 31 spare bits.
    PixPtr page(pixCreate(33, 40, 1));
    for (int x = 26; x <= 28; ++x) pixSetPixel(page.get(), x, 20, 1);  // 4 px from the right edge
    // Garbage in the spare bits must not count as ink beside the speck.
    l_uint32* data = pixGetData(page.get());
    const int wpl = pixGetWpl(page.get());
    for (int y = 0; y < 40; ++y) data[y * wpl + 1] |= 0x7FFFFFFFu;
    PageEngine engine;
    engine.setImage(std::move(page), 300, 300);
    ASSERT_TRUE(engine.Despeckle().ok());
    for (int x = 26; x <= 28; ++x) {
        l_uint32 v = 1;
        pixGetPixel(engine.pix(), x, 20, &v);
        EXPECT_EQ(v, 0u) << x;
    }
}
