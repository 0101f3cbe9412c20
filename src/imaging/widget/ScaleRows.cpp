#include "imaging/widget/ScaleRows.h"

#include <QColor>
#include <algorithm>
#include <cstring>

#include "imaging/widget/BlackCounts.h"
#include "imaging/widget/PageRenderer.h"

namespace leafmark::imaging::detail {

namespace {

// Output pixel writers: one gray byte, or the gray in all channels of an opaque
// 32-bit pixel (what the screen draws without conversion).
struct GrayOut {
    static void put(uchar* row, std::size_t j, std::uint32_t g) { row[j] = static_cast<uchar>(g); }
    static void white(uchar* row, int from, int to) { std::fill(row + from, row + to, uchar(255)); }
};
struct RgbOut {
    static void put(uchar* row, std::size_t j, std::uint32_t g) {
        reinterpret_cast<QRgb*>(row)[j] = 0xff000000u | g * 0x010101u;
    }
    static void white(uchar* row, int from, int to) {
        QRgb* px = reinterpret_cast<QRgb*>(row);
        std::fill(px + from, px + to, 0xffffffffu);
    }
};

// Draws one screen row of a 1-bit page: columns whose page bits all lie in
// words where `ink` is zero are white at once; the others get pixel(j). With
// `spansCross` a column's bits may reach into the next word, so ink[k + 1] is
// read too (and must be readable one word past the last span's start).
template <class Out, class Pixel>
void bitonalRow(const ScaleJob& job, const l_uint32* ink, bool spansCross, uchar* o,
                Pixel&& pixel) {
    if (job.anyWide) {
        for (std::size_t j = 0; j < job.xs.size(); ++j) Out::put(o, j, pixel(j));
        return;
    }
    const int groups = static_cast<int>(job.groupStart.size()) - 1;
    for (int g = 0; g < groups; ++g) {
        const int from = job.groupStart[static_cast<std::size_t>(g)];
        const int to = job.groupStart[static_cast<std::size_t>(g + 1)];
        if (from == to) continue;
        const int k = job.firstWord + g;
        if ((ink[k] | (spansCross ? ink[k + 1] : 0u)) == 0) {
            Out::white(o, from, to);
            continue;
        }
        for (int j = from; j < to; ++j)
            Out::put(o, static_cast<std::size_t>(j), pixel(static_cast<std::size_t>(j)));
    }
}

uchar* rowAt(const ScaleJob& job, int i) {
    return job.bits + static_cast<qsizetype>(i) * job.bytesPerLine;
}

// A screen row that covers the same page rows as the one above it (inside this
// band) is a copy of it.
bool copyRepeatedRow(const ScaleJob& job, int i, int i0) {
    const auto& ys = job.ys;
    if (i == i0 || !(ys[static_cast<std::size_t>(i)] == ys[static_cast<std::size_t>(i - 1)]))
        return false;
    std::memcpy(rowAt(job, i), rowAt(job, i - 1), static_cast<std::size_t>(job.bytesPerLine));
    return true;
}

const l_uint32* pageLine(const ScaleJob& job, int y) {
    return job.data + static_cast<std::ptrdiff_t>(y) * job.wpl;
}

// True when any bit in [b, e) of a 1-bit row is set (kept out of line so the
// common two-word test below inlines).
[[gnu::noinline]] bool anyBitSlow(const l_uint32* words, int b, int e) {
    const int wb = b >> 5;
    const int we = (e - 1) >> 5;
    for (int k = wb; k <= we; ++k) {
        l_uint32 mask = 0xffffffffu;
        if (k == wb) mask &= 0xffffffffu >> (b & 31);
        if (k == we) mask &= 0xffffffffu << (31 - ((e - 1) & 31));
        if (words[k] & mask) return true;
    }
    return false;
}

inline bool anyBit(const l_uint32* words, const ColumnMask& m, Span s) {
    if (!m.wide) return ((words[m.k] & m.m0) | (words[m.k + 1] & m.m1)) != 0;
    return anyBitSlow(words, s.begin, s.end);
}

// orRow[k] = OR of words k0..k1 over the page rows of `sy`.
void orOfRows(const ScaleJob& job, Span sy, int k0, int k1, l_uint32* orRow) {
    std::fill(orRow + k0, orRow + k1 + 1, 0u);
    for (int y = sy.begin; y < sy.end; ++y) {
        const l_uint32* line = pageLine(job, y);
        for (int k = k0; k <= k1; ++k) orRow[k] |= line[k];
    }
}

template <class Out>
void normalRows(const ScaleJob& job, int i0, int i1) {
    for (int i = i0; i < i1; ++i) {
        if (copyRepeatedRow(job, i, i0)) continue;
        const l_uint32* line = pageLine(job, job.ys[static_cast<std::size_t>(i)].begin);
        bitonalRow<Out>(job, line, false, rowAt(job, i), [&](std::size_t j) {
            const int b = job.xs[j].begin;
            const std::uint32_t bit = (line[b >> 5] >> (31 - (b & 31))) & 1u;
            return (bit - 1u) & 255u;
        });
    }
}

template <class Out>
void favorBlackRows(const ScaleJob& job, int i0, int i1) {
    const int k0 = job.xs.front().begin >> 5;
    const int k1 = (job.xs.back().end - 1) >> 5;
    std::vector<l_uint32> orRow(static_cast<std::size_t>(job.wpl) + 1, 0u);
    for (int i = i0; i < i1; ++i) {
        if (copyRepeatedRow(job, i, i0)) continue;
        orOfRows(job, job.ys[static_cast<std::size_t>(i)], k0, k1, orRow.data());
        bitonalRow<Out>(job, orRow.data(), true, rowAt(job, i), [&](std::size_t j) {
            return anyBit(orRow.data(), job.masks[j], job.xs[j]) ? 0u : 255u;
        });
    }
}

// Share of black page pixels as gray, for screen rows covering more page rows
// than a one-byte counter holds (drawings reduced below 1/255).
template <class Out>
void tallGrayRow(const ScaleJob& job, int i, std::vector<std::uint32_t>& counts) {
    const int x0 = job.xs.front().begin;
    const int x1 = job.xs.back().end;
    counts.assign(static_cast<std::size_t>(x1 - x0), 0u);
    const Span sy = job.ys[static_cast<std::size_t>(i)];
    for (int y = sy.begin; y < sy.end; ++y) {
        const l_uint32* line = pageLine(job, y);
        for (int x = x0; x < x1; ++x)
            if (GET_DATA_BIT(line, x)) ++counts[static_cast<std::size_t>(x - x0)];
    }
    uchar* o = rowAt(job, i);
    const std::uint64_t rows = static_cast<std::uint64_t>(sy.end - sy.begin);
    for (std::size_t j = 0; j < job.xs.size(); ++j) {
        std::uint64_t black = 0;
        for (int x = job.xs[j].begin; x < job.xs[j].end; ++x)
            black += counts[static_cast<std::size_t>(x - x0)];
        Out::put(o, j,
                 grayOf(black, rows * static_cast<std::uint64_t>(job.xs[j].end - job.xs[j].begin)));
    }
}

template <class Out>
void scaleToGrayRows(const ScaleJob& job, int i0, int i1) {
    const int k0 = job.xs.front().begin >> 5;
    const int k1 = (job.xs.back().end - 1) >> 5;
    const std::size_t words = static_cast<std::size_t>(job.wpl) + 1;
    std::vector<l_uint32> orRow(words, 0u);
    // One byte counter per page column (four 64-bit groups per row word), kept
    // zero between screen rows: only words with black are touched and cleared.
    std::vector<std::uint64_t> groups(words * 4, 0u);
    const auto* counts = reinterpret_cast<const std::uint8_t*>(groups.data());
    std::vector<std::uint32_t> tallCounts;
    GrayTables grays;
    for (int i = i0; i < i1; ++i) {
        if (copyRepeatedRow(job, i, i0)) continue;
        const Span sy = job.ys[static_cast<std::size_t>(i)];
        if (sy.end - sy.begin > 255) {
            tallGrayRow<Out>(job, i, tallCounts);
            continue;
        }
        orOfRows(job, sy, k0, k1, orRow.data());
        for (int k = k0; k <= k1; ++k) {
            if (!orRow[static_cast<std::size_t>(k)]) continue;
            std::uint64_t* g = &groups[static_cast<std::size_t>(k) * 4];
            for (int y = sy.begin; y < sy.end; ++y) {
                const l_uint32 w = pageLine(job, y)[k];
                if (!w) continue;
                g[0] += kSpread[w >> 24];
                g[1] += kSpread[(w >> 16) & 255u];
                g[2] += kSpread[(w >> 8) & 255u];
                g[3] += kSpread[w & 255u];
            }
        }
        const std::uint32_t rows = static_cast<std::uint32_t>(sy.end - sy.begin);
        bitonalRow<Out>(job, orRow.data(), true, rowAt(job, i), [&](std::size_t j) {
            const Span s = job.xs[j];
            const std::uint32_t area = rows * static_cast<std::uint32_t>(s.end - s.begin);
            if (!job.masks[j].wide)
                return std::uint32_t{grays.forArea(area)[sumCounts(counts, s, area)]};
            if (!anyBit(orRow.data(), job.masks[j], s)) return 255u;
            return grayOf(sumCounts(counts, s, area), area);
        });
        for (int k = k0; k <= k1; ++k)
            if (orRow[static_cast<std::size_t>(k)])
                std::fill_n(&groups[static_cast<std::size_t>(k) * 4], 4, 0u);
    }
}

// Area average of 8-bit gray (channels 1) or 32-bit RGB (channels 3; always
// written as Format_RGB32).
template <class Out>
void averagedRows(const ScaleJob& job, int i0, int i1, int channels) {
    const int x0 = job.xs.front().begin;
    const int x1 = job.xs.back().end;
    const auto ch = static_cast<std::size_t>(channels);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(x1 - x0) * ch);
    for (int i = i0; i < i1; ++i) {
        if (copyRepeatedRow(job, i, i0)) continue;
        const Span sy = job.ys[static_cast<std::size_t>(i)];
        std::fill(sums.begin(), sums.end(), 0u);
        for (int y = sy.begin; y < sy.end; ++y) {
            const l_uint32* line = pageLine(job, y);
            if (channels == 1) {
                for (int x = x0; x < x1; ++x)
                    sums[static_cast<std::size_t>(x - x0)] += GET_DATA_BYTE(line, x);
            } else {
                for (int x = x0; x < x1; ++x) {
                    const l_uint32 px = line[x];
                    std::uint32_t* s = &sums[static_cast<std::size_t>(x - x0) * 3];
                    s[0] += (px >> L_RED_SHIFT) & 0xff;
                    s[1] += (px >> L_GREEN_SHIFT) & 0xff;
                    s[2] += (px >> L_BLUE_SHIFT) & 0xff;
                }
            }
        }
        const std::uint64_t rows = static_cast<std::uint64_t>(sy.end - sy.begin);
        uchar* o = rowAt(job, i);
        for (std::size_t j = 0; j < job.xs.size(); ++j) {
            const Span s = job.xs[j];
            const std::uint64_t area = rows * static_cast<std::uint64_t>(s.end - s.begin);
            std::uint64_t acc[3] = {0, 0, 0};
            for (int x = s.begin; x < s.end; ++x)
                for (std::size_t c = 0; c < ch; ++c)
                    acc[c] += sums[static_cast<std::size_t>(x - x0) * ch + c];
            const auto mean = [&](int c) { return static_cast<int>((acc[c] + area / 2) / area); };
            if (channels == 1)
                Out::put(o, j, static_cast<std::uint32_t>(mean(0)));
            else
                reinterpret_cast<QRgb*>(o)[j] = qRgb(mean(0), mean(1), mean(2));
        }
    }
}

template <class Out>
void renderRowsAs(const ScaleJob& job, int i0, int i1) {
    if (job.depth == 8) return averagedRows<Out>(job, i0, i1, 1);
    if (job.depth == 32) return averagedRows<RgbOut>(job, i0, i1, 3);
    if (job.mode == kBitonalFavorBlack) return favorBlackRows<Out>(job, i0, i1);
    if (job.mode == kBitonalScaleToGray) return scaleToGrayRows<Out>(job, i0, i1);
    normalRows<Out>(job, i0, i1);
}

}  // namespace

void computeColumnMasks(ScaleJob& job) {
    job.masks.clear();
    job.masks.reserve(job.xs.size());
    job.anyWide = false;
    job.firstWord = job.xs.front().begin >> 5;
    const int lastWord = job.xs.back().begin >> 5;
    job.groupStart.assign(static_cast<std::size_t>(lastWord - job.firstWord + 2), 0);
    int j = 0;
    for (int k = job.firstWord; k <= lastWord + 1; ++k) {
        // Span starts never decrease from one column to the next.
        while (j < static_cast<int>(job.xs.size()) &&
               (job.xs[static_cast<std::size_t>(j)].begin >> 5) < k)
            ++j;
        job.groupStart[static_cast<std::size_t>(k - job.firstWord)] = j;
    }
    for (const Span s : job.xs) {
        const int kb = s.begin >> 5;
        const int ke = (s.end - 1) >> 5;
        const std::uint32_t head = 0xffffffffu >> (s.begin & 31);
        const std::uint32_t tail = 0xffffffffu << (31 - ((s.end - 1) & 31));
        if (ke == kb)
            job.masks.push_back({kb, head & tail, 0u, false});
        else if (ke == kb + 1)
            job.masks.push_back({kb, head, tail, false});
        else
            job.masks.push_back({kb, 0u, 0u, true});
        job.anyWide = job.anyWide || job.masks.back().wide;
    }
}

void renderRows(const ScaleJob& job, int i0, int i1) {
    if (job.rgb32)
        renderRowsAs<RgbOut>(job, i0, i1);
    else
        renderRowsAs<GrayOut>(job, i0, i1);
}

}  // namespace leafmark::imaging::detail
