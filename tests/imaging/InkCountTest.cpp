// The ink count and the groups of ink from row runs against leptonica's own connected
// groups (their boxes, and the selection by size), on made pages (text, fax, blank with specks and
// an edge strip, barcode sheets) and on random noise, where groups touch only at corners and merge
// late.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "PixTestPages.h"
#include "imaging/engine/InkRuns.h"
#include "imaging/engine/InkShare.h"
#include "pagemaker/PageMaker.h"
#include "pagemaker/SeparatorSheet.h"

using namespace leafmark;
using namespace leafmark::imaging;

namespace {

// A made 1-bit page (Format_Mono, bit 1 = black) as a 1 bpp PIX, row words as leptonica keeps them.
PixPtr pixOfMono(const QImage& mono) {
    PixPtr pix(pixCreate(mono.width(), mono.height(), 1));
    const int wpl = pixGetWpl(pix.get());
    const int bytes = (mono.width() + 7) / 8;
    for (int y = 0; y < mono.height(); ++y) {
        const uchar* row = mono.constScanLine(y);
        l_uint32* line = pixGetData(pix.get()) + y * wpl;
        for (int b = 0; b < bytes; ++b)
            line[b / 4] |= static_cast<l_uint32>(row[b]) << (24 - 8 * (b % 4));
    }
    pixSetPadBits(pix.get(), 0);
    return pix;
}

PixPtr madePage(pagemaker::PageKind kind, int textLines, int specks, bool border) {
    pagemaker::PageSpec spec;
    spec.kind = kind;
    spec.seed = 11;
    spec.angle = 1.3;
    spec.textLines = textLines;
    spec.specks = specks;
    spec.border = border;
    return pixOfMono(pagemaker::renderPage(spec).image);
}

PixPtr noise(int w, int h, double density, unsigned seed) {
    PixPtr pix(pixCreate(w, h, 1));
    std::mt19937 random(seed);
    std::bernoulli_distribution ink(density);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ink(random)) pixSetPixel(pix.get(), x, y, 1);
    return pix;
}

// The count as selecting eight-connected groups by size and counting what is kept.
InkCount selectedBySize(PIX* bits, int left, int top, int width, int height, int minW, int minH) {
    BoxPtr box(boxCreate(left, top, width, height));
    PixPtr part(pixClipRectangle(bits, box.get(), nullptr));
    InkCount out;
    l_int32 all = 0, kept = 0;
    pixCountPixels(part.get(), &all, nullptr);
    PixPtr selected(
        pixSelectBySize(part.get(), minW, minH, 8, L_SELECT_IF_EITHER, L_SELECT_IF_GTE, nullptr));
    pixCountPixels(selected.get(), &kept, nullptr);
    out.all = all;
    out.kept = kept;
    return out;
}

// The share with the groups selected by leptonica: the margins as the measure sets them.
double shareBySelection(PIX* page, int xDpi, int yDpi, const std::vector<InkArea>& leftOut) {
    auto span = [](int size, int dpi, int& start, int& length) {
        start = std::min(static_cast<int>(std::lround(kInkMarginInches * dpi)), size / 8);
        length = size - 2 * start;
    };
    int x, w, y, h;
    span(pixGetWidth(page), xDpi, x, w);
    span(pixGetHeight(page), yDpi, y, h);
    BoxPtr inner(boxCreate(x, y, w, h));
    PixPtr clipped(pixClipRectangle(page, inner.get(), nullptr));
    PixPtr part(pixGetDepth(clipped.get()) == 1 ? clonePix(clipped.get())
                                                : PixPtr(pixConvertTo1(clipped.get(), 128)));
    double area = static_cast<double>(w) * h;
    for (const InkArea& a : leftOut) {  // the tests' areas lie inside and apart
        BoxPtr cut(boxCreate(a.left - x, a.top - y, a.width, a.height));
        pixClearInRect(part.get(), cut.get());
        area -= static_cast<double>(a.width) * a.height;
    }
    const int minW = std::max(2, static_cast<int>(std::ceil(kInkSpeckInches * xDpi)));
    const int minH = std::max(2, static_cast<int>(std::ceil(kInkSpeckInches * yDpi)));
    return 100.0 * static_cast<double>(selectedBySize(part.get(), 0, 0, w, h, minW, minH).kept) /
           area;
}

}  // namespace

TEST(InkCount, KeepsWhatSelectingGroupsBySizeKeepsOnPagesAndNoise) {
    struct Case {
        const char* name;
        PixPtr pix;
    };
    std::vector<Case> cases;
    cases.push_back({"text", madePage(pagemaker::PageKind::Group4, -1, 40, false)});
    cases.push_back({"fax", madePage(pagemaker::PageKind::Fax, -1, 40, true)});
    cases.push_back({"blank", madePage(pagemaker::PageKind::Group4, 0, 200, true)});
    cases.push_back({"code128", testpages::binaryOf(pagemaker::separatorSheet(
                                    300, "Code128", "SEP-0042", 2.5, 60, 5))});
    cases.push_back(
        {"qr", testpages::binaryOf(pagemaker::separatorSheet(200, "QRCode", "NEXT 9", -3, 60, 6))});
    for (double density : {0.08, 0.3, 0.5, 0.7})
        cases.push_back({"noise", noise(301, 257, density, static_cast<unsigned>(density * 100))});
    for (const Case& c : cases) {
        // The groups themselves: the boxes of leptonica's connected components, in its order.
        BoxaPtr components(pixConnCompBB(c.pix.get(), 8));
        const std::vector<InkGroup> groups = inkGroups(c.pix.get());
        ASSERT_EQ(static_cast<int>(groups.size()), boxaGetCount(components.get())) << c.name;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            l_int32 x, y, bw, bh;
            boxaGetBoxGeometry(components.get(), static_cast<int>(i), &x, &y, &bw, &bh);
            const InkGroup& g = groups[i];
            EXPECT_TRUE(g.left == x && g.top == y && g.width == bw && g.height == bh)
                << c.name << i;
        }
        const int w = static_cast<int>(pixGetWidth(c.pix.get()));
        const int h = static_cast<int>(pixGetHeight(c.pix.get()));
        // The whole image, a rectangle cut off mid-word on both sides, and one on word bounds.
        const int rects[][4] = {{0, 0, w, h}, {13, 7, w - 50, h - 20}, {32, 3, 64, h - 3}};
        for (const auto& r : rects)
            for (const auto& size : {std::pair{5, 5}, {2, 2}, {3, 7}, {40, 40}}) {
                SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(r[0]) + " min " +
                             std::to_string(size.first) + "x" + std::to_string(size.second));
                const InkCount runs =
                    countInk(c.pix.get(), r[0], r[1], r[2], r[3], size.first, size.second);
                const InkCount selected =
                    selectedBySize(c.pix.get(), r[0], r[1], r[2], r[3], size.first, size.second);
                EXPECT_EQ(runs.all, selected.all);
                EXPECT_EQ(runs.kept, selected.kept);
            }
    }
}

TEST(InkShare, SameFiguresAsSelectingGroupsBySize) {
    const PixPtr text = madePage(pagemaker::PageKind::Group4, 3, 60, true);
    const PixPtr fax = madePage(pagemaker::PageKind::Fax, -1, 20, false);
    const PixPtr sheet =
        testpages::binaryOf(pagemaker::separatorSheet(300, "Code128", "SEP-7", 1.0, 80, 2));
    const PixPtr gray = testpages::grayOf(testpages::textPage(1275, 1650, 150, 10, 0.5));
    for (PIX* pix : {text.get(), fax.get(), sheet.get(), gray.get()})
        for (const auto& dpi : {std::pair{300, 300}, {204, 98}, {150, 150}}) {
            const double share = inkSharePercent(pix, dpi.first, dpi.second);
            EXPECT_GT(share, 0.0);
            EXPECT_EQ(share, shareBySelection(pix, dpi.first, dpi.second, {}));
            // Areas set aside cut groups in two; the parts left are judged on their own.
            const std::vector<InkArea> aside = {{300, 400, 477, 333}, {800, 900, 31, 501}};
            EXPECT_EQ(inkSharePercent(pix, dpi.first, dpi.second, aside),
                      shareBySelection(pix, dpi.first, dpi.second, aside));
        }
}
