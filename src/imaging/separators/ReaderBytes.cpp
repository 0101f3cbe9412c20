#include "imaging/separators/ReaderBytes.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace leafmark::imaging {
namespace {

// The reader's bytes for each byte of eight 1-bit pixels (leftmost in the top bit):
// 0 for ink, 255 for white, in memory order.
constexpr std::array<std::array<std::uint8_t, 8>, 256> kBytesOfBits = [] {
    std::array<std::array<std::uint8_t, 8>, 256> table{};
    for (int v = 0; v < 256; ++v)
        for (int i = 0; i < 8; ++i) table[v][i] = (v >> (7 - i)) & 1 ? 0 : 255;
    return table;
}();

void bitRowBytes(const l_uint32* line, int w, std::uint8_t* row) {
    for (int x = 0; x < w; x += 32) {
        const l_uint32 word = line[x / 32];
        const int n = std::min(32, w - x);
        if (word == 0) {
            std::memset(row + x, 255, static_cast<std::size_t>(n));
        } else if (n == 32) {
            for (int b = 0; b < 4; ++b)
                std::memcpy(row + x + 8 * b, kBytesOfBits[(word >> (24 - 8 * b)) & 0xff].data(), 8);
        } else {
            for (int b = 0; b < n; ++b) row[x + b] = (word >> (31 - b)) & 1 ? 0 : 255;
        }
    }
}

bool kept(const LineBand& band, int line) {
    return line < band.from || line >= band.to || (line - band.from) % band.step == 0;
}

}  // namespace

ReaderSize readerBytes(PIX* image, std::vector<std::uint8_t>& bytes) {
    const int w = static_cast<int>(pixGetWidth(image)), h = static_cast<int>(pixGetHeight(image));
    const int depth = pixGetDepth(image);
    if ((depth != 1 && depth != 8) || pixGetColormap(image) || w <= 0 || h <= 0) return {};
    bytes.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    const int wpl = pixGetWpl(image);
    const l_uint32* data = pixGetData(image);
    for (int y = 0; y < h; ++y) {
        const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
        std::uint8_t* row = bytes.data() + static_cast<std::ptrdiff_t>(y) * w;
        if (depth == 1) {
            bitRowBytes(line, w, row);
        } else {
            for (int x = 0; x < w; ++x) row[x] = static_cast<std::uint8_t>(GET_DATA_BYTE(line, x));
        }
    }
    return {w, h};
}

ReaderSize thinnedReaderBytes(PIX* bits, const LineBand& band, std::vector<std::uint8_t>& bytes) {
    const int w = static_cast<int>(pixGetWidth(bits)), h = static_cast<int>(pixGetHeight(bits));
    if (pixGetDepth(bits) != 1 || w <= 0 || h <= 0 || band.step < 1) return {};
    const int wpl = pixGetWpl(bits);
    const l_uint32* data = pixGetData(bits);
    std::vector<int> lines;
    for (int i = 0; i < (band.rows ? h : w); ++i)
        if (kept(band, i)) lines.push_back(i);
    const int n = static_cast<int>(lines.size());
    const ReaderSize size = band.rows ? ReaderSize{w, n} : ReaderSize{n, h};
    bytes.resize(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
    for (int y = 0; y < size.height; ++y) {
        std::uint8_t* row = bytes.data() + static_cast<std::ptrdiff_t>(y) * size.width;
        if (band.rows) {
            bitRowBytes(data + static_cast<std::ptrdiff_t>(lines[y]) * wpl, w, row);
            continue;
        }
        const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
        for (int x = 0; x < n; ++x) row[x] = GET_DATA_BIT(line, lines[x]) ? 0 : 255;
    }
    return size;
}

}  // namespace leafmark::imaging
