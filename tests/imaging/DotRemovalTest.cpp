// Despeckle on rendered text: specks go, every pixel of the text stays, and the
// distances that tell punctuation from specks follow each axis' resolution.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PixTestPages.h"
#include "imaging/engine/PageEngine.h"
#include "pagemaker/DotSample.h"
#include "pagemaker/PageMaker.h"

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
        {0, kH - 1, {{0, 0}}},             // bottom-left corner
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

namespace {

// A white page with one "letter" (an outline 8 wide, 40 high, from column 40, drawn
// with strokes two pixels thick) whose bottom is the baseline at row 100, and one
// mark of w x h whose top-left is at (x, y).
PixPtr letterAndMark(int x, int y, int w, int h) {
    PixPtr page(pixCreate(300, 160, 1));
    pixRasterop(page.get(), 40, 61, 8, 40, PIX_SET, nullptr, 0, 0);
    pixRasterop(page.get(), 42, 63, 4, 36, PIX_CLR, nullptr, 0, 0);
    pixRasterop(page.get(), x, y, w, h, PIX_SET, nullptr, 0, 0);
    return page;
}

bool keeps(PIX* page, int xres, int yres) {
    PageEngine engine;
    engine.setImage(copyOf(page), xres, yres);
    EXPECT_TRUE(engine.Despeckle().ok());
    return samePixels(engine.pix(), page);
}

}  // namespace

TEST(Despeckle, PunctuationDistancesFollowEachAxisOwnResolution) {
    // Across: a full stop after a letter hanging below the baseline (which shows no
    // baseline itself) is kept while a tall letter of its line ends at most `reach`
    // white columns to its left (40 at 300 dpi). Down: the upper dot of a colon finds the lower one
    // at most `colonGap` white rows under it (12 at 300 dpi). Each figure scales with its own axis;
    // the dots are solid and about as wide as tall on the paper.
    struct Row {
        int xres, yres, stopW, stopH, reach, dotW, dotH, colonGap;
    };
    for (const Row r : {Row{300, 300, 3, 3, 40, 3, 2, 12}, Row{204, 196, 3, 3, 27, 3, 2, 8},
                        Row{204, 98, 3, 2, 27, 3, 1, 4}, Row{600, 300, 4, 3, 80, 5, 2, 12},
                        Row{300, 600, 3, 4, 40, 3, 5, 24}}) {
        SCOPED_TRACE(testing::Message() << r.xres << " x " << r.yres);
        for (const int gap : {r.reach - 1, r.reach}) {
            // The stop, and two white columns before it the stem of a p.
            PixPtr page = letterAndMark(48 + gap, 101 - r.stopH, r.stopW, r.stopH);
            pixRasterop(page.get(), 43 + gap, 101 - 3 * r.stopH, 3, 5 * r.stopH, PIX_SET, nullptr,
                        0, 0);
            EXPECT_EQ(keeps(page.get(), r.xres, r.yres), gap < r.reach)
                << "tall letter " << gap << " away";
        }
        // A colon: two like dots, the lower on the baseline three columns after the letter.
        for (const int gap : {r.colonGap, r.colonGap + 1}) {
            PixPtr page = letterAndMark(51, 101 - r.dotH, r.dotW, r.dotH);
            pixRasterop(page.get(), 51, 101 - r.dotH - gap - r.dotH, r.dotW, r.dotH, PIX_SET,
                        nullptr, 0, 0);
            EXPECT_EQ(keeps(page.get(), r.xres, r.yres), gap == r.colonGap) << "colon gap " << gap;
        }
    }
}

TEST(Despeckle, WhereAFullStopBelongsOnlyASolidRoundDotIsKept) {
    // Three white columns after the letter, on its baseline: a solid dot is a full
    // stop; a streak, a diagonal or a ragged cluster of the same size is dust.
    const auto page = [](const char* rows) {  // three rows of three, blank between
        PixPtr p = letterAndMark(51, 98, 0, 0);
        for (int i = 0; i < 9; ++i)
            if (rows[i / 3 * 4 + i % 3] == '#') pixSetPixel(p.get(), 51 + i % 3, 98 + i / 3, 1);
        return p;
    };
    EXPECT_TRUE(keeps(page("### ### ###").get(), 300, 300));
    EXPECT_TRUE(keeps(page(".#. ### ###").get(), 300, 300));
    for (const char* dust : {"#.. #.. #..", "#.. .#. ..#", "##. ..# ##.", "### #.# ###"}) {
        SCOPED_TRACE(dust);
        EXPECT_FALSE(keeps(page(dust).get(), 300, 300));
    }
    // A fax page in normal mode has half as many rows as columns to the inch: a
    // stop of three pixels by one is round there, a streak on a fine-mode page.
    PixPtr fax = letterAndMark(51, 100, 3, 1);
    EXPECT_TRUE(keeps(fax.get(), 204, 98));
    EXPECT_FALSE(keeps(fax.get(), 204, 196));
}

TEST(Despeckle, DotsPlacedLikeAnIDotOrAStopOfOtherTypeOrNoLetterGo) {
    // An i of 300 dpi small type: a stem 15 rows high on the baseline of an x-height
    // letter, its 3 x 3 dot two white rows over it. Six rows up (more than a third of
    // the stem's height) the same dot is dust, and so it is over a stem twice as wide.
    const auto iPage = [](int stemWidth, int gap) {
        PixPtr p(pixCreate(200, 140, 1));
        pixRasterop(p.get(), 40, 86, 8, 15, PIX_SET, nullptr, 0, 0);
        pixRasterop(p.get(), 42, 88, 4, 11, PIX_CLR, nullptr, 0, 0);
        pixRasterop(p.get(), 60, 86, stemWidth, 15, PIX_SET, nullptr, 0, 0);
        pixRasterop(p.get(), 60 + (stemWidth - 3) / 2, 83 - gap, 3, 3, PIX_SET, nullptr, 0, 0);
        return p;
    };
    EXPECT_TRUE(keeps(iPage(3, 2).get(), 300, 300));
    EXPECT_FALSE(keeps(iPage(3, 6).get(), 300, 300));
    EXPECT_FALSE(keeps(iPage(6, 2).get(), 300, 300));
    // Over the left side of a bowl, whose top runs on past the dot's right: dust.
    PixPtr bowl = iPage(3, 2);
    pixRasterop(bowl.get(), 60, 86, 8, 15, PIX_SET, nullptr, 0, 0);
    pixRasterop(bowl.get(), 62, 88, 4, 11, PIX_CLR, nullptr, 0, 0);
    EXPECT_FALSE(keeps(bowl.get(), 300, 300));
    // Where a full stop belongs after a letter whose strokes are 8 pixels thick, a
    // 3 x 3 dot is too small to be its stop.
    PixPtr bold = letterAndMark(51, 98, 3, 3);
    pixRasterop(bold.get(), 40, 61, 8, 40, PIX_SET, nullptr, 0, 0);
    EXPECT_FALSE(keeps(bold.get(), 300, 300));
    // A comma is no letter for a full stop to follow.
    PixPtr comma = letterAndMark(60, 98, 3, 3);
    pixRasterop(comma.get(), 54, 97, 3, 6, PIX_SET, nullptr, 0, 0);
    EXPECT_FALSE(keeps(comma.get(), 300, 300));
    // Right after the tail of a y, 8 rows under the baseline the letter before it
    // shows, a dot is not a full stop.
    PixPtr tail = letterAndMark(61, 106, 3, 3);
    pixRasterop(tail.get(), 52, 76, 6, 33, PIX_SET, nullptr, 0, 0);
    pixRasterop(tail.get(), 54, 78, 2, 29, PIX_CLR, nullptr, 0, 0);
    EXPECT_FALSE(keeps(tail.get(), 300, 300));
}

TEST(Despeckle, SizesFollowEachAxisAndInkWithinAPixelIsAStrokeNotASpeck) {
    // A 5 x 2 blot alone: a speck where 600 pixels make an inch across (a mark may
    // be 6 wide there), too wide to be one where 300 do.
    PixPtr blot(pixCreate(120, 120, 1));
    pixRasterop(blot.get(), 50, 50, 5, 2, PIX_SET, nullptr, 0, 0);
    EXPECT_FALSE(keeps(blot.get(), 600, 300));
    EXPECT_TRUE(keeps(blot.get(), 300, 600));
    // A 2 x 2 dot one white pixel below a stroke is a piece of that stroke; two white
    // pixels away (and nowhere punctuation belongs) it is a speck.
    for (const int gap : {1, 2}) {
        PixPtr page(pixCreate(120, 120, 1));
        pixRasterop(page.get(), 50, 20, 2, 40, PIX_SET, nullptr, 0, 0);
        pixRasterop(page.get(), 50, 60 + gap, 2, 2, PIX_SET, nullptr, 0, 0);
        EXPECT_EQ(keeps(page.get(), 300, 300), gap == 1) << gap;
    }
}

TEST(Despeckle, SpecksNearSmallTypeGoWhileItsStopsDotsAndLeadersStay) {
    // Text of 6 to 10 points at fax and office resolutions, with specks of 1 to 3
    // pixels placed 2 to 12 pixels from the letters. At 6 points and 200 dpi an i-dot
    // or the upper dot of a semicolon is two or three pixels, like the specks.
    struct Sample {
        int xres, yres;
        double points;
    };
    int placed = 0, removed = 0;
    for (const Sample s : {Sample{204, 196, 6}, Sample{200, 200, 6}, Sample{204, 196, 8},
                           Sample{200, 200, 10}, Sample{300, 300, 8}}) {
        SCOPED_TRACE(testing::Message() << s.xres << " x " << s.yres << ", " << s.points << " pt");
        QImage page =
            leafmark::pagemaker::speckSampleText(2 * s.xres, s.yres, s.xres, s.yres, s.points, 7);
        PixPtr text = binaryOf(page);
        const auto specks = leafmark::pagemaker::addSpecksNearText(page, 7, 25, 2, 12);
        ASSERT_GE(specks.size(), 20u);
        PixPtr speckled = binaryOf(page);

        PageEngine engine;
        engine.setImage(copyOf(speckled.get()), s.xres, s.yres);
        ASSERT_TRUE(engine.Despeckle().ok());
        PixPtr lost(pixSubtract(nullptr, text.get(), engine.pix()));
        l_int32 lostInk = 0;
        pixCountPixels(lost.get(), &lostInk, nullptr);
        EXPECT_EQ(lostInk, 0) << "no pixel of a letter, stop, i-dot or leader dot is lost";
        for (const QRect& r : specks) {
            BoxPtr box(boxCreate(r.x(), r.y(), r.width(), r.height()));
            l_int32 left = 0;
            pixCountPixelsInRect(engine.pix(), box.get(), &left, nullptr);
            ++placed;
            if (left == 0) ++removed;
        }
    }
    EXPECT_GE(removed * 100, placed * 96) << removed << " of " << placed << " specks removed";
}

TEST(Despeckle, OnFaxPagesNotYetStraightenedOnlyThePlacedSpecksGo) {
    // Generated fax pages leaning a degree or two, in a serif face whose i has a
    // rising serif tip and a dot a pixel off its stem: every placed speck goes, and
    // not one other pixel.
    leafmark::pagemaker::FolderOptions folder;
    folder.seed = 21;
    folder.kind = leafmark::pagemaker::PageKind::Fax;
    for (const int index : {6, 28}) {
        SCOPED_TRACE(index);
        const auto page =
            leafmark::pagemaker::renderPage(leafmark::pagemaker::folderPageSpec(folder, index));
        PixPtr pix(pixCreate(page.image.width(), page.image.height(), 1));
        for (int y = 0; y < page.image.height(); ++y) {
            const uchar* row = page.image.constScanLine(y);
            for (int x = 0; x < page.image.width(); ++x)
                if (row[x >> 3] & (0x80 >> (x & 7))) pixSetPixel(pix.get(), x, y, 1);
        }
        PixPtr expected = copyOf(pix.get());
        ASSERT_FALSE(page.info.specks.empty());
        for (const QRect& r : page.info.specks)
            pixRasterop(expected.get(), r.x(), r.y(), r.width(), r.height(), PIX_CLR, nullptr, 0,
                        0);
        PageEngine engine;
        engine.setImage(std::move(pix), page.info.xDpi, page.info.yDpi);
        ASSERT_TRUE(engine.Despeckle().ok());
        EXPECT_TRUE(samePixels(engine.pix(), expected.get()));
    }
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
