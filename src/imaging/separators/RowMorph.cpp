#include "imaging/separators/RowMorph.h"

#include <algorithm>
#include <vector>

#include "imaging/engine/InkRuns.h"

namespace leafmark::imaging {
namespace {

// Sets columns `first` to `last` (inclusive) of a row.
void setRun(l_uint32* line, int first, int last) {
    const int a = first >> 5, b = last >> 5;
    const l_uint32 head = 0xffffffffu >> (first & 31);
    const l_uint32 tail = 0xffffffffu << (31 - (last & 31));
    if (a == b) {
        line[a] |= head & tail;
        return;
    }
    line[a] |= head;
    for (int i = a + 1; i < b; ++i) line[i] = 0xffffffffu;
    line[b] |= tail;
}

// A new image the size of `ink` holding, row by row, the runs `change` makes of
// that row's runs of ink.
template <typename Change>
PixPtr remadeRows(PIX* ink, Change&& change) {
    if (!ink || pixGetDepth(ink) != 1) return {};
    const int w = static_cast<int>(pixGetWidth(ink)), h = static_cast<int>(pixGetHeight(ink));
    PixPtr out(pixCreate(w, h, 1));
    if (!out) return out;
    pixCopyResolution(out.get(), ink);
    const int wpl = pixGetWpl(ink), outWpl = pixGetWpl(out.get());
    std::vector<InkRun> runs, made;
    for (int y = 0; y < h; ++y) {
        runs.clear();
        made.clear();
        appendRowRuns(pixGetData(ink) + static_cast<std::ptrdiff_t>(y) * wpl, 0, w, runs);
        change(runs, w, made);
        l_uint32* line = pixGetData(out.get()) + static_cast<std::ptrdiff_t>(y) * outWpl;
        for (const InkRun& r : made) setRun(line, r.first, r.last);
    }
    return out;
}

}  // namespace

PixPtr openRows(PIX* ink, int length) {
    return remadeRows(ink,
                      [length](const std::vector<InkRun>& runs, int, std::vector<InkRun>& made) {
                          for (const InkRun& r : runs)
                              if (r.last - r.first + 1 >= length) made.push_back(r);
                      });
}

PixPtr closeRows(PIX* ink, int size) {
    // Growing a run by the brick reaches `before` columns to its left and `after` to its
    // right; shrinking takes them back from the grown run, whose ends the image's edges cut.
    const int before = size / 2, after = size - 1 - size / 2;
    return remadeRows(ink, [=](const std::vector<InkRun>& runs, int w, std::vector<InkRun>& made) {
        auto shrink = [&](InkRun grown) {
            grown.first += before;
            grown.last -= after;
            if (grown.first <= grown.last) made.push_back(grown);
        };
        InkRun grown{};
        bool open = false;
        for (const InkRun& r : runs) {
            const InkRun g{std::max(0, r.first - before), std::min(w - 1, r.last + after)};
            if (open && g.first <= grown.last + 1) {
                grown.last = std::max(grown.last, g.last);
                continue;
            }
            if (open) shrink(grown);
            grown = g;
            open = true;
        }
        if (open) shrink(grown);
    });
}

}  // namespace leafmark::imaging
