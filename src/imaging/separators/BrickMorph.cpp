#include "imaging/separators/BrickMorph.h"

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

// Rows of 1-bit words with `pad` cleared rows above and below the image, so windows
// reaching past its top or bottom meet white.
struct PaddedRows {
    int wpl = 0, height = 0, pad = 0;
    std::vector<l_uint32> words;
    l_uint32* row(int y) { return words.data() + static_cast<std::ptrdiff_t>(y + pad) * wpl; }
};

PaddedRows paddedRows(PIX* ink, int pad) {
    PaddedRows rows;
    rows.wpl = pixGetWpl(ink);
    rows.height = static_cast<int>(pixGetHeight(ink));
    rows.pad = pad;
    rows.words.assign(static_cast<std::size_t>(rows.height + 2 * pad) * rows.wpl, 0);
    std::copy_n(pixGetData(ink), static_cast<std::size_t>(rows.height) * rows.wpl, rows.row(0));
    return rows;
}

// Every row y (padding included) becomes the AND (or OR) of rows y to y + n - 1, rows
// past the padding counting as white: windows of 1, 2, 4, ... rows, then two
// overlapping ones of the largest length make n.
template <bool And>
void combineWindows(PaddedRows& rows, int n) {
    const int total = rows.height + 2 * rows.pad, wpl = rows.wpl;
    auto pass = [&](int step) {
        for (int y = 0; y < total; ++y) {
            l_uint32* here = rows.words.data() + static_cast<std::ptrdiff_t>(y) * wpl;
            if (y + step >= total) {
                if constexpr (And) std::fill_n(here, wpl, 0u);
                continue;
            }
            const l_uint32* below = here + static_cast<std::ptrdiff_t>(step) * wpl;
            for (int k = 0; k < wpl; ++k) here[k] = And ? here[k] & below[k] : here[k] | below[k];
        }
    };
    int length = 1;
    while (2 * length <= n) {
        pass(length);
        length *= 2;
    }
    if (length < n) pass(n - length);
}

// A new image the size of `ink` holding rows `first` to `first` + height - 1 of `rows`.
PixPtr imageOfRows(PIX* ink, PaddedRows& rows, int first) {
    PixPtr out(pixCreateNoInit(pixGetWidth(ink), pixGetHeight(ink), 1));
    if (!out) return out;
    pixCopyResolution(out.get(), ink);
    std::copy_n(rows.row(first), static_cast<std::size_t>(rows.height) * rows.wpl,
                pixGetData(out.get()));
    pixSetPadBits(out.get(), 0);
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

PixPtr openColumns(PIX* ink, int length) {
    if (!ink || pixGetDepth(ink) != 1 || length < 1) return {};
    // A pixel stays when some window of `length` rows holding it is all ink: the AND
    // over the window starting at each row, then the OR of the windows that hold a row
    // (those starting up to `length` - 1 rows above it, in the padding).
    PaddedRows rows = paddedRows(ink, length);
    combineWindows<true>(rows, length);
    combineWindows<false>(rows, length);
    return imageOfRows(ink, rows, -(length - 1));
}

PixPtr closeColumns(PIX* ink, int size) {
    if (!ink || pixGetDepth(ink) != 1 || size < 1) return {};
    // Growing reaches `before` rows up and `after` rows down; shrinking takes them back.
    const int before = size / 2, after = size - 1 - size / 2;
    PaddedRows rows = paddedRows(ink, size);
    combineWindows<false>(rows, size);  // row y: the OR of rows y .. y + size - 1
    // The grown image's row y is that window from y - after; outside the image it is white.
    PaddedRows grown = paddedRows(ink, size);
    for (int y = 0; y < rows.height; ++y) std::copy_n(rows.row(y - after), rows.wpl, grown.row(y));
    combineWindows<true>(grown, size);
    return imageOfRows(ink, grown, -before);
}

}  // namespace leafmark::imaging
