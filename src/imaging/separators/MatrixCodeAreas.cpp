#include "imaging/separators/MatrixCodeAreas.h"

#include <algorithm>
#include <cmath>

#include "imaging/engine/Handles.h"
#include "imaging/engine/InkRuns.h"
#include "imaging/separators/BrickMorph.h"
#include "imaging/separators/HalfSize.h"

namespace leafmark::imaging {
namespace {

// The smallest symbols the reader makes out on the working copy have modules of two
// pixels: a Data Matrix of 10 x 10 or 8 x 18 modules, a QR Code of 21 x 21. In working pixels.
constexpr int kSmallestSide = 16;
constexpr int kSmallestLength = 20;
constexpr int kSmallestQrSide = 40;
// Modules are about half ink; a line's words or a frame are much less in their box.
// A symbol turned far has a box up to twice its area: squares are taken at less.
constexpr double kLeastDensity = 0.35;
constexpr double kLeastSquareDensity = 0.2;
// Wider than the space between two words, in inches.
constexpr double kWordGapInches = 0.1;

double densityIn(PIX* ink, const InkArea& a) {
    BoxPtr box(boxCreate(a.left, a.top, a.width, a.height));
    l_int32 black = 0;
    pixCountPixelsInRect(ink, box.get(), &black, nullptr);
    return static_cast<double>(black) / (static_cast<double>(a.width) * a.height);
}

}  // namespace

std::vector<InkArea> matrixCodeAreas(PIX* ink, int dpi) {
    std::vector<InkArea> areas;
    if (!ink || pixGetDepth(ink) != 1 || dpi <= 0) return areas;
    const bool halve = dpi >= 100;  // any ink in 2 x 2 pixels counts
    PixPtr coarse(halve ? halfSize(ink, 1) : clonePix(ink));
    if (!coarse) return areas;
    const int scale = halve ? 2 : 1;
    // The modules of a symbol, and the letters of a word, touch after this closing;
    // text a few hundredths of an inch away stays apart.
    PixPtr rows(closeRows(coarse.get(), 2));
    PixPtr blocks(rows ? closeColumns(rows.get(), 2) : nullptr);
    if (!blocks) return areas;
    const int wordGap = std::max(3, static_cast<int>(std::lround(kWordGapInches * dpi / scale)));
    PixPtr lines(closeRows(blocks.get(), wordGap));
    if (!lines) return areas;
    auto inPage = [scale](const InkGroup& g) {
        return InkArea{g.left * scale, g.top * scale, g.width * scale, g.height * scale};
    };
    // Blocks standing apart from any text: a Data Matrix may be four times as long as high.
    for (const InkGroup& g : inkGroups(lines.get())) {
        const InkArea a = inPage(g);
        const int shortSide = std::min(a.width, a.height), longSide = std::max(a.width, a.height);
        if (shortSide >= kSmallestSide && longSide >= kSmallestLength &&
            2 * longSide <= 9 * shortSide && densityIn(ink, a) >= kLeastDensity)
            areas.push_back(a);
    }
    // QR Codes close beside text, or turned far: squares at least as large as the
    // smallest one, and not a frame drawn round a field.
    for (const InkGroup& g : inkGroups(blocks.get())) {
        const InkArea a = inPage(g);
        const int shortSide = std::min(a.width, a.height), longSide = std::max(a.width, a.height);
        if (shortSide >= kSmallestQrSide && 4 * longSide <= 5 * shortSide &&
            densityIn(ink, a) >= kLeastSquareDensity)
            areas.push_back(a);
    }
    return areas;
}

}  // namespace leafmark::imaging
