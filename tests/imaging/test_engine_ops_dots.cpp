// Despeckle on rendered text at 300 dpi: isolated specks go, every text pixel stays.

#include "imaging/engine/PageEngine.h"
#include "test_engine_ops_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
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
