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

std::optional<std::vector<InkArea>> matrixCodeCrops(PIX* ink, int dpi) {
    constexpr std::size_t kMostCrops = 12;
    const int w = static_cast<int>(pixGetWidth(ink)), h = static_cast<int>(pixGetHeight(ink));
    std::vector<InkArea> crops;
    for (const InkArea& b : matrixCodeAreas(ink, dpi)) {
        const int margin = std::max(8, std::max(b.width, b.height) / 4);
        const int x0 = std::max(0, b.left - margin), y0 = std::max(0, b.top - margin);
        const int x1 = std::min(w, b.left + b.width + margin);
        const int y1 = std::min(h, b.top + b.height + margin);
        crops.push_back({x0, y0, x1 - x0, y1 - y0});
    }
    for (bool joined = true; joined;) {
        joined = false;
        for (std::size_t i = 0; i < crops.size() && !joined; ++i)
            for (std::size_t j = i + 1; j < crops.size() && !joined; ++j) {
                if (!overlap(crops[i], crops[j])) continue;
                const InkArea a = crops[i], b = crops[j];
                const int x0 = std::min(a.left, b.left), y0 = std::min(a.top, b.top);
                crops[i] = {x0, y0, std::max(a.left + a.width, b.left + b.width) - x0,
                            std::max(a.top + a.height, b.top + b.height) - y0};
                crops.erase(crops.begin() + static_cast<std::ptrdiff_t>(j));
                joined = true;
            }
    }
    std::sort(crops.begin(), crops.end(), [](const InkArea& a, const InkArea& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    double area = 0;
    for (const InkArea& c : crops) area += static_cast<double>(c.width) * c.height;
    if (crops.size() > kMostCrops || area > 0.5 * w * h) return std::nullopt;
    return crops;
}

}  // namespace leafmark::imaging
