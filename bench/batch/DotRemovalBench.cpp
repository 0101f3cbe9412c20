// leafmark-dot-bench [--pages N] [--seed S] [--show-misses]
// Despeckle on text with specks placed 2 to 12 pixels from it: for each resolution
// (200, 204 x 196 and 300 dpi) and type size (6, 8, 10, 12 pt), N pages of 4 x 3
// inches with 60 specks of 1 to 3 pixels each. Prints the share of specks removed
// and the glyph pixels lost (ink of the text without specks that is gone after the
// despeckle), beside the same figures for removing every group of 3 x 3 pixels or
// less (the floor: removes every speck, but eats small marks of the text).
// --show-misses draws each lost glyph part and each speck left, with its surroundings.
// --why lists each speck left: resolution, size, white pixels and direction to the
// nearest ink of the text, and the rule that kept it; then the count per rule.
#include <QGuiApplication>
#include <cstdio>
#include <map>
#include <string>

#include "BenchHarness.h"
#include "imaging/engine/IsolatedDots.h"
#include "imaging/engine/PageEngine.h"
#include "pagemaker/DotSample.h"

using namespace leafmark;

namespace {

imaging::PixPtr binaryOf(const QImage& gray) {
    imaging::PixPtr pix(pixCreate(gray.width(), gray.height(), 1));
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            if (row[x] < 128) pixSetPixel(pix.get(), x, y, 1);
    }
    return pix;
}

// Pixels dark in `before` and light in `after`.
int lost(PIX* before, PIX* after) {
    imaging::PixPtr gone(pixSubtract(nullptr, before, after));
    l_int32 n = 0;
    pixCountPixels(gone.get(), &n, nullptr);
    return n;
}

// Specks of `boxes` with no dark pixel left on `after`.
int removedOf(PIX* after, const std::vector<QRect>& boxes) {
    int n = 0;
    for (const QRect& r : boxes) {
        imaging::BoxPtr b(boxCreate(r.x(), r.y(), r.width(), r.height()));
        l_int32 left = 0;
        pixCountPixelsInRect(after, b.get(), &left, nullptr);
        if (left == 0) ++n;
    }
    return n;
}

void ascii(PIX* pix, int cx, int cy, int rx, int ry) {
    for (int y = cy - ry; y <= cy + ry; ++y) {
        for (int x = cx - rx; x <= cx + rx; ++x) {
            l_uint32 v = 0;
            if (x >= 0 && y >= 0 && x < pixGetWidth(pix) && y < pixGetHeight(pix))
                pixGetPixel(pix, x, y, &v);
            std::putchar(x == cx && y == cy ? (v ? '@' : '+') : (v ? '#' : '.'));
        }
        std::putchar('\n');
    }
}

void dumpLost(PIX* text, PIX* after, PIX* speckled, const std::vector<QRect>& specks) {
    imaging::PixPtr gone(pixSubtract(nullptr, text, after));
    imaging::BoxaPtr boxes(pixConnCompBB(gone.get(), 8));
    for (int i = 0; i < std::min(4, boxaGetCount(boxes.get())); ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes.get(), i, &x, &y, &w, &h);
        std::printf("lost glyph part %d,%d %dx%d\n", x, y, w, h);
        ascii(speckled, x, y, 20, 8);
    }
    for (const QRect& r : specks) {
        imaging::BoxPtr b(boxCreate(r.x(), r.y(), r.width(), r.height()));
        l_int32 left = 0;
        pixCountPixelsInRect(after, b.get(), &left, nullptr);
        if (left == 0) continue;
        std::printf("kept speck %d,%d %dx%d\n", r.x(), r.y(), r.width(), r.height());
        ascii(speckled, r.x(), r.y(), 20, 16);
    }
}

const char* roleName(imaging::DotRole r) {
    switch (r) {
        case imaging::DotRole::StrokePiece:
            return "stroke piece";
        case imaging::DotRole::FullStop:
            return "full stop";
        case imaging::DotRole::IDot:
            return "i-dot";
        case imaging::DotRole::StopUnderStroke:
            return "dot of ! or ?";
        case imaging::DotRole::LeaderDot:
            return "leader dot";
        case imaging::DotRole::UpperColonDot:
            return "upper colon dot";
    }
    return "?";
}

// White pixels between `r` and the nearest dark pixel of `text` (across, down or
// diagonally, whichever is least), and where that pixel lies as seen from `r`.
std::pair<int, const char*> nearestInk(PIX* text, const QRect& r) {
    int best = 1 << 30;
    const char* where = "none";
    static const char* const names[3][3] = {{"up-left", "up", "up-right"},
                                            {"left", "inside", "right"},
                                            {"down-left", "down", "down-right"}};
    for (int y = std::max(0, r.top() - 16); y <= std::min(pixGetHeight(text) - 1, r.bottom() + 16);
         ++y)
        for (int x = std::max(0, r.left() - 16);
             x <= std::min(pixGetWidth(text) - 1, r.right() + 16); ++x) {
            l_uint32 v = 0;
            pixGetPixel(text, x, y, &v);
            if (!v) continue;
            const int sx = x < r.left() ? 0 : (x > r.right() ? 2 : 1);
            const int sy = y < r.top() ? 0 : (y > r.bottom() ? 2 : 1);
            const int dx = sx == 0 ? r.left() - x : (sx == 2 ? x - r.right() : 0);
            const int dy = sy == 0 ? r.top() - y : (sy == 2 ? y - r.bottom() : 0);
            if (std::max(dx, dy) - 1 < best) best = std::max(dx, dy) - 1, where = names[sy][sx];
        }
    return {best, where};
}

// One line per speck of `specks` left on `after`, with the rule that kept it.
void explainKept(PIX* text, PIX* speckled, PIX* after, const std::vector<QRect>& specks,
                 const char* dpi, double pt, std::map<std::string, int>& perRule) {
    std::vector<imaging::KeptDot> kept;
    imaging::findSpecks(speckled, imaging::speckLimitsFor(pixGetXRes(after), pixGetYRes(after)),
                        &kept);
    for (const QRect& r : specks) {
        imaging::BoxPtr b(boxCreate(r.x(), r.y(), r.width(), r.height()));
        l_int32 left = 0;
        pixCountPixelsInRect(after, b.get(), &left, nullptr);
        if (left == 0) continue;
        const char* rule = "?";
        for (const imaging::KeptDot& k : kept)
            if (QRect(k.x, k.y, k.w, k.h).intersects(r)) rule = roleName(k.role);
        const auto [gap, where] = nearestInk(text, r);
        std::printf("left: %-8s %4.0f pt  %dx%d (%d px) at %d,%d  %2d white to %-10s  %s\n", dpi,
                    pt, r.width(), r.height(), left, r.x(), r.y(), gap, where, rule);
        ++perRule[rule];
    }
}

struct Tally {
    int specks = 0, removed = 0, lostGlyph = 0, floorRemoved = 0, floorLost = 0;
    double ms = 0, floorMs = 0;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int pages = 2;
    const bool showMisses = app.arguments().contains("--show-misses");
    const bool why = app.arguments().contains("--why");
    std::map<std::string, int> perRule;
    std::uint64_t seed = 1;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--pages")
            pages = std::clamp(args[i + 1].toInt(), 1, 100);
        else if (args[i] == "--seed")
            seed = args[i + 1].toULongLong();
    }
    struct Res {
        int x, y;
    };
    const Res resolutions[] = {{200, 200}, {204, 196}, {300, 300}};
    Tally total;
    std::printf("%-10s %5s %7s %9s %12s %14s %12s\n", "dpi", "pt", "specks", "removed",
                "glyph lost", "floor removed", "floor lost");
    for (const Res& r : resolutions) {
        for (const double pt : {6.0, 8.0, 10.0, 12.0}) {
            Tally t;
            for (int p = 0; p < pages; ++p) {
                const std::uint64_t s =
                    seed * 1000003 + static_cast<std::uint64_t>(r.x * 100 + pt * 10 + p);
                QImage page = pagemaker::speckSampleText(4 * r.x, 3 * r.y, r.x, r.y, pt, s);
                imaging::PixPtr text = binaryOf(page);
                const auto specks = pagemaker::addSpecksNearText(page, s, 60, 2, 12);
                imaging::PixPtr speckled = binaryOf(page);
                imaging::PageEngine engine;
                engine.setImage(imaging::PixPtr(pixCopy(nullptr, speckled.get())), r.x, r.y);
                t.ms += bench::measure(1, [&](int) { engine.Despeckle(); }).medianMs;
                t.specks += static_cast<int>(specks.size());
                t.removed += removedOf(engine.pix(), specks);
                t.lostGlyph += lost(text.get(), engine.pix());
                if (showMisses) dumpLost(text.get(), engine.pix(), speckled.get(), specks);
                if (why) {
                    pixSetResolution(engine.pix(), r.x, r.y);
                    char dpi[16];
                    std::snprintf(dpi, sizeof dpi, "%dx%d", r.x, r.y);
                    explainKept(text.get(), speckled.get(), engine.pix(), specks, dpi, pt, perRule);
                }
                // The floor: every group of 3 x 3 pixels or less goes.
                imaging::PixPtr floorOut;
                t.floorMs +=
                    bench::measure(1, [&](int) {
                        imaging::PixPtr small(pixSelectBySize(
                            speckled.get(), 3, 3, 8, L_SELECT_IF_BOTH, L_SELECT_IF_LTE, nullptr));
                        floorOut.reset(pixSubtract(nullptr, speckled.get(), small.get()));
                    }).medianMs;
                t.floorRemoved += removedOf(floorOut.get(), specks);
                t.floorLost += lost(text.get(), floorOut.get());
            }
            char dpi[16];
            std::snprintf(dpi, sizeof dpi, "%dx%d", r.x, r.y);
            std::printf("%-10s %5.0f %7d %8.1f%% %12d %13.1f%% %12d\n", dpi, pt, t.specks,
                        100.0 * t.removed / std::max(1, t.specks), t.lostGlyph,
                        100.0 * t.floorRemoved / std::max(1, t.specks), t.floorLost);
            total.specks += t.specks;
            total.removed += t.removed;
            total.lostGlyph += t.lostGlyph;
            total.floorRemoved += t.floorRemoved;
            total.floorLost += t.floorLost;
            total.ms += t.ms;
            total.floorMs += t.floorMs;
        }
    }
    std::printf(
        "all: %d specks, %.2f%% removed (goal >= 98%%), %d glyph pixels lost (goal 0); "
        "floor (every group <= 3 x 3 removed): %.2f%% removed, %d glyph pixels lost; "
        "despeckle %.1f ms per page against %.1f ms for the floor (x%.2f)\n",
        total.specks, 100.0 * total.removed / std::max(1, total.specks), total.lostGlyph,
        100.0 * total.floorRemoved / std::max(1, total.specks), total.floorLost,
        total.ms / (12.0 * pages), total.floorMs / (12.0 * pages),
        total.ms / std::max(1e-9, total.floorMs));
    for (const auto& [rule, n] : perRule) std::printf("specks left as %s: %d\n", rule.c_str(), n);
    return 0;
}
