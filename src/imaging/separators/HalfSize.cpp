#include "imaging/separators/HalfSize.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace leafmark::imaging {
namespace {

// The bits at the odd places of `x` (63, 61, ..., 1), packed into a 32-bit word.
inline l_uint32 oddBits(std::uint64_t x) {
    x &= 0xaaaaaaaaaaaaaaaau;
    x = (x | (x << 1)) & 0xccccccccccccccccu;
    x = (x | (x << 2)) & 0xf0f0f0f0f0f0f0f0u;
    x = (x | (x << 4)) & 0xff00ff00ff00ff00u;
    x = (x | (x << 8)) & 0xffff0000ffff0000u;
    x = (x | (x << 16)) & 0xffffffff00000000u;
    return static_cast<l_uint32>(x >> 32);
}

// One output row from two input rows of `words` words each (an even number, the
// last one possibly past the row's end: it then only feeds the output's pad bits).
template <int Level>
void halveRow(const l_uint32* upper, const l_uint32* lower, l_uint32* out, int words) {
    for (int k = 0; k < words; k += 2) {
        const std::uint64_t u = (std::uint64_t{upper[k]} << 32) | upper[k + 1];
        const std::uint64_t l = (std::uint64_t{lower[k]} << 32) | lower[k + 1];
        std::uint64_t r;
        if constexpr (Level == 1) {
            r = u | l;
            r |= r << 1;
        } else {  // two of four: both of a column, or one of each row
            const std::uint64_t column = u & l, across = u | l;
            r = column | (column << 1) | (across & (across << 1));
        }
        out[k / 2] = oddBits(r);
    }
}

}  // namespace

PixPtr halfSize(PIX* bits, int level) {
    if (!bits || pixGetDepth(bits) != 1) return {};
    const int w = static_cast<int>(pixGetWidth(bits)), h = static_cast<int>(pixGetHeight(bits));
    if (w < 2 || h < 2) return {};
    if (level != 1 && level != 2) return PixPtr(pixReduceRankBinary2(bits, level, nullptr));
    PixPtr out(pixCreateNoInit(w / 2, h / 2, 1));  // every word written
    if (!out) return out;
    pixCopyResolution(out.get(), bits);
    pixScaleResolution(out.get(), 0.5f, 0.5f);
    const int wpls = pixGetWpl(bits), wpld = pixGetWpl(out.get());
    // Two input words make one output word; an odd last input word is paired with
    // a cleared one.
    const int words = 2 * wpld;
    std::vector<l_uint32> rows(2 * static_cast<std::size_t>(words), 0);
    for (int y = 0; y < h / 2; ++y) {
        const l_uint32* upper = pixGetData(bits) + static_cast<std::ptrdiff_t>(2 * y) * wpls;
        const l_uint32* lower = upper + wpls;
        if (words > wpls) {  // the rows copied to whole pairs of words
            std::copy(upper, upper + wpls, rows.begin());
            std::copy(lower, lower + wpls, rows.begin() + words);
            upper = rows.data();
            lower = rows.data() + words;
        }
        l_uint32* line = pixGetData(out.get()) + static_cast<std::ptrdiff_t>(y) * wpld;
        if (level == 1)
            halveRow<1>(upper, lower, line, words);
        else
            halveRow<2>(upper, lower, line, words);
    }
    pixSetPadBits(out.get(), 0);  // an odd width's last column reached past the edge
    return out;
}

}  // namespace leafmark::imaging
