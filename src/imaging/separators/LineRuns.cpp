#include "imaging/separators/LineRuns.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

namespace leafmark::imaging {

LineRuns mostInkRuns(PIX* bits, int enough) {
    LineRuns most;
    if (!bits || pixGetDepth(bits) != 1 || enough <= 0) return most;
    const int w = static_cast<int>(pixGetWidth(bits)), h = static_cast<int>(pixGetHeight(bits));
    const int wpl = pixGetWpl(bits);
    const l_uint32* data = pixGetData(bits);
    // Bits past the right edge of the last word are not pixels.
    const l_uint32 lastMask = w % 32 ? ~l_uint32{0} << (32 - w % 32) : ~l_uint32{0};
    // Runs down each column, counted where a column's ink starts below white (or at the top).
    std::vector<std::uint16_t> columnRuns(static_cast<std::size_t>(w), 0);
    const l_uint32* above = nullptr;
    for (int y = 0; y < h; ++y) {
        const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
        int rowRuns = 0;
        l_uint32 leftBit = 0;  // the last pixel of the word before, at the top bit's left
        for (int i = 0; i < wpl; ++i) {
            const l_uint32 word = line[i] & (i == wpl - 1 ? lastMask : ~l_uint32{0});
            rowRuns += std::popcount(word & ~((word >> 1) | (leftBit << 31)));
            leftBit = word & 1;
            l_uint32 starts = word & ~(above ? above[i] & (i == wpl - 1 ? lastMask : ~0u) : 0u);
            while (starts) {
                const int b = std::countl_zero(starts);
                starts &= ~(0x80000000u >> b);
                std::uint16_t& c = columnRuns[static_cast<std::size_t>(i * 32 + b)];
                if (c < enough) ++c;
            }
        }
        most.alongRows = std::max(most.alongRows, std::min(rowRuns, enough));
        above = line;
    }
    for (const std::uint16_t c : columnRuns) most.downColumns = std::max<int>(most.downColumns, c);
    return most;
}

}  // namespace leafmark::imaging
