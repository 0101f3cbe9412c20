#pragma once
// Counting black pixels of 1-bit rows per page column with one-byte counters,
// and turning a box's black count into its gray level, for the page scaler.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/widget/ScaleRows.h"

namespace leafmark::imaging::detail {

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
inline constexpr std::array<std::uint64_t, 256> kSpread = makeSpreadTable();

// The gray level of a box of `area` page pixels of which `black` are black:
// white 255 down to black 0, rounded to nearest.
inline std::uint32_t grayOf(std::uint64_t black, std::uint64_t area) {
    return static_cast<std::uint32_t>(255 - (black * 255 + area / 2) / area);
}

// Sum of the one-byte counters of columns [s.begin, s.end), `area` the most it
// can be. Small boxes add their counters in one multiply: eight bytes read at
// once (the counters run at least eight bytes past the last column).
inline std::uint32_t sumCounts(const std::uint8_t* counts, Span s, std::uint32_t area) {
    const int width = s.end - s.begin;
    if constexpr (std::endian::native == std::endian::little) {
        if (width <= 8 && area <= 255) {
            std::uint64_t v;
            std::memcpy(&v, counts + s.begin, sizeof v);
            if (width < 8) v &= (std::uint64_t{1} << (8 * width)) - 1;
            return static_cast<std::uint32_t>((v * 0x0101010101010101ull) >> 56);
        }
    }
    std::uint32_t black = 0;
    for (int x = s.begin; x < s.end; ++x) black += counts[x];
    return black;
}

// Gray levels for every black count of a box of `area` page pixels, made on
// first use: a handful of box sizes recur all over a page.
class GrayTables {
  public:
    const std::uint8_t* forArea(std::uint32_t area) {
        if (area < recent_.size() && recent_[area]) return recent_[area];
        if (area >= tables_.size()) tables_.resize(area + 1);
        std::vector<std::uint8_t>& t = tables_[area];
        if (t.empty()) {
            t.resize(area + 1);
            for (std::uint32_t black = 0; black <= area; ++black)
                t[black] = static_cast<std::uint8_t>(grayOf(black, area));
        }
        if (area < recent_.size()) recent_[area] = t.data();
        return t.data();
    }

  private:
    std::vector<std::vector<std::uint8_t>> tables_;
    std::array<const std::uint8_t*, 256> recent_{};  // small boxes, looked up per pixel
};

}  // namespace leafmark::imaging::detail
