#include "imaging/widget/ScaleRows.h"

#include "imaging/widget/PageRenderer.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace leafmark::imaging::detail {

namespace {

// Output pixel writers: one gray byte, or the gray in all channels of an opaque
// 32-bit pixel (what the screen draws without conversion).
struct GrayOut {
    static void put(uchar* row, std::size_t j, std::uint32_t g) { row[j] = static_cast<uchar>(g); }
};
struct RgbOut {
    static void put(uchar* row, std::size_t j, std::uint32_t g) {
        reinterpret_cast<QRgb*>(row)[j] = 0xff000000u | g * 0x010101u;
    }
};

// For a byte of a 1-bit row (first pixel in the most significant bit), eight
// one-byte counters laid out in memory in pixel order: adding it to a 64-bit
// accumulator counts the byte's black pixels per column.
constexpr std::array<std::uint64_t, 256> makeSpreadTable() {
    std::array<std::uint64_t, 256> t{};
    for (unsigned v = 0; v < 256; ++v) {
        std::uint64_t s = 0;
        for (unsigned i = 0; i < 8; ++i) {
            const std::uint64_t bit = (v >> (7 - i)) & 1u;
            const unsigned byteInMemory = std::endian::native == std::endian::little ? i : 7 - i;
            s |= bit << (8 * byteInMemory);
        }
        t[v] = s;
    }
    return t;
}
constexpr std::array<std::uint64_t, 256> kSpread = makeSpreadTable();

uchar* rowAt(const ScaleJob& job, int i) { return job.bits + static_cast<qsizetype>(i) * job.bytesPerLine; }

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

// True when any bit in [b, e) of a 1-bit row is set.
bool anyBitSlow(const l_uint32* words, int b, int e) {
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

bool anyBit(const l_uint32* words, const ColumnMask& m, Span s) {
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

std::uint32_t grayOf(std::uint64_t black, std::uint64_t area) {
    return static_cast<std::uint32_t>(255 - (black * 255 + area / 2) / area);
}

template <class Out>
void normalRows(const ScaleJob& job, int i0, int i1) {
    const std::size_t n = job.xs.size();
    for (int i = i0; i < i1; ++i) {
        if (copyRepeatedRow(job, i, i0)) continue;
        const l_uint32* line = pageLine(job, job.ys[static_cast<std::size_t>(i)].begin);
        uchar* o = rowAt(job, i);
        for (std::size_t j = 0; j < n; ++j) {
            const int b = job.xs[j].begin;
            const std::uint32_t bit = (line[b >> 5] >> (31 - (b & 31))) & 1u;
            Out::put(o, j, (bit - 1u) & 255u);
        }
    }
}

template <class Out>
void favorBlackRows(const ScaleJob& job, int i0, int i1) {
    const std::size_t n = job.xs.size();
    const int k0 = job.xs.front().begin >> 5;
    const int k1 = (job.xs.back().end - 1) >> 5;
    std::vector<l_uint32> orRow(static_cast<std::size_t>(job.wpl) + 1, 0u);
    for (int i = i0; i < i1; ++i) {
        if (copyRepeatedRow(job, i, i0)) continue;
        orOfRows(job, job.ys[static_cast<std::size_t>(i)], k0, k1, orRow.data());
        uchar* o = rowAt(job, i);
        for (std::size_t j = 0; j < n; ++j)
            Out::put(o, j, anyBit(orRow.data(), job.masks[j], job.xs[j]) ? 0u : 255u);
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
        Out::put(o, j, grayOf(black, rows * static_cast<std::uint64_t>(job.xs[j].end - job.xs[j].begin)));
    }
}

template <class Out>
void scaleToGrayRows(const ScaleJob& job, int i0, int i1) {
    const std::size_t n = job.xs.size();
    const int k0 = job.xs.front().begin >> 5;
    const int k1 = (job.xs.back().end - 1) >> 5;
    const std::size_t words = static_cast<std::size_t>(job.wpl) + 1;
    std::vector<l_uint32> orRow(words, 0u);
    // One byte counter per page column (four 64-bit groups per row word), kept
    // zero between screen rows: only words with black are touched and cleared.
    std::vector<std::uint64_t> groups(words * 4, 0u);
    const auto* counts = reinterpret_cast<const std::uint8_t*>(groups.data());
    std::vector<std::uint32_t> tallCounts;
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
        uchar* o = rowAt(job, i);
        const std::uint64_t rows = static_cast<std::uint64_t>(sy.end - sy.begin);
        for (std::size_t j = 0; j < n; ++j) {
            const Span s = job.xs[j];
            if (!anyBit(orRow.data(), job.masks[j], s)) {
                Out::put(o, j, 255u);
                continue;
            }
            std::uint64_t black = 0;
            for (int x = s.begin; x < s.end; ++x) black += counts[x];
            Out::put(o, j, grayOf(black, rows * static_cast<std::uint64_t>(s.end - s.begin)));
        }
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
                for (std::size_t c = 0; c < ch; ++c) acc[c] += sums[static_cast<std::size_t>(x - x0) * ch + c];
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
    }
}

void renderRows(const ScaleJob& job, int i0, int i1) {
    if (job.rgb32)
        renderRowsAs<RgbOut>(job, i0, i1);
    else
        renderRowsAs<GrayOut>(job, i0, i1);
}

}  // namespace leafmark::imaging::detail
