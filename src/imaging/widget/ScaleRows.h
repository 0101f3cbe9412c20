#pragma once
// Row kernels of the page scaler. A ScaleJob describes one render (spans of page
// pixels per screen column and row, the output rows); renderRows() draws any band
// of its screen rows, so a large render can be split over threads with the same
// pixels as drawn in one go.

#include <QtGlobal>
#include <cstdint>
#include <vector>

#include "imaging/engine/Handles.h"

namespace leafmark::imaging::detail {

// The page pixels [begin, end) one screen pixel covers along one axis.
struct Span {
    int begin;
    int end;
    bool operator==(const Span&) const = default;
};

// Where the bits of a column span [b, e) of a 1-bit row lie: word `k` under mask
// `m0` and word k + 1 under `m1`; `wide` when the span reaches past word k + 1.
struct ColumnMask {
    int k;
    std::uint32_t m0;
    std::uint32_t m1;
    bool wide;
};

struct ScaleJob {
    const l_uint32* data = nullptr;  // the prepared page's pixels
    int wpl = 0;                     // its words per line
    int depth = 1;                   // 1, 8 or 32
    int mode = 0;                    // BitonalRendering for 1-bit pages
    std::vector<Span> xs;            // per screen column
    std::vector<Span> ys;            // per screen row
    std::vector<ColumnMask> masks;   // per screen column (1-bit pages)
    // Screen columns grouped by the row word their span starts in: the columns
    // starting in word firstWord + g are [groupStart[g], groupStart[g + 1]).
    int firstWord = 0;
    std::vector<int> groupStart;
    bool anyWide = false;   // some span reaches past the word after its first
    bool rgb32 = false;     // write Format_RGB32 (else one byte per pixel for gray)
    uchar* bits = nullptr;  // first output row
    qsizetype bytesPerLine = 0;
};

// Fills job.masks and the column groups from job.xs (needed before rendering a
// 1-bit page).
void computeColumnMasks(ScaleJob& job);

// Draws screen rows [i0, i1) of `job`. Safe to run for disjoint bands at once:
// each call keeps its own scratch rows and writes only its own output rows.
void renderRows(const ScaleJob& job, int i0, int i1);

}  // namespace leafmark::imaging::detail
