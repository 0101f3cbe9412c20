#include "imaging/separators/InkShare.h"

#include "imaging/engine/Handles.h"

#include <algorithm>
#include <cmath>

namespace leafmark::imaging {
namespace {

// Black pixels of `ink` in the rectangle (clipped by the caller).
l_int32 countIn(PIX* ink, int left, int top, int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    BoxPtr box(boxCreate(left, top, width, height));
    l_int32 count = 0;
    pixCountPixelsInRect(ink, box.get(), &count, nullptr);
    return count;
}

}  // namespace

InkArea growOverInk(PIX* ink, InkArea a, double density, int pad) {
    if (!ink) return a;
    const int w = static_cast<int>(pixGetWidth(ink)), h = static_cast<int>(pixGetHeight(ink));
    a.left = std::clamp(a.left, 0, w - 1);
    a.top = std::clamp(a.top, 0, h - 1);
    a.width = std::clamp(a.width, 1, w - a.left);
    a.height = std::clamp(a.height, 1, h - a.top);
    auto dense = [&](int x, int y, int cw, int ch) {
        return countIn(ink, x, y, cw, ch) >= density * cw * ch;
    };
    for (bool grew = true; grew;) {
        grew = false;
        if (a.top > 0 && dense(a.left, a.top - 1, a.width, 1)) --a.top, ++a.height, grew = true;
        if (a.top + a.height < h && dense(a.left, a.top + a.height, a.width, 1)) ++a.height, grew = true;
        if (a.left > 0 && dense(a.left - 1, a.top, 1, a.height)) --a.left, ++a.width, grew = true;
        if (a.left + a.width < w && dense(a.left + a.width, a.top, 1, a.height)) ++a.width, grew = true;
    }
    const int x0 = std::max(0, a.left - pad), y0 = std::max(0, a.top - pad);
    const int x1 = std::min(w, a.left + a.width + pad), y1 = std::min(h, a.top + a.height + pad);
    return {x0, y0, x1 - x0, y1 - y0};
}

double inkPercent(PIX* ink, double marginFraction, const std::vector<InkArea>& excluded) {
    if (!ink || pixGetDepth(ink) != 1) return 0.0;
    const int w = static_cast<int>(pixGetWidth(ink)), h = static_cast<int>(pixGetHeight(ink));
    const int mx = static_cast<int>(std::lround(w * marginFraction));
    const int my = static_cast<int>(std::lround(h * marginFraction));
    const int cw = w - 2 * mx, ch = h - 2 * my;
    if (cw <= 0 || ch <= 0) return 0.0;
    if (excluded.empty()) return 100.0 * countIn(ink, mx, my, cw, ch) / (static_cast<double>(cw) * ch);
    // A mask of what is measured: the frame inside the margins less the areas left out.
    PixPtr mask(pixCreate(w, h, 1));
    if (!mask) return 0.0;
    BoxPtr frame(boxCreate(mx, my, cw, ch));
    pixSetInRect(mask.get(), frame.get());
    for (const InkArea& a : excluded) {
        BoxPtr box(boxCreate(a.left, a.top, a.width, a.height));
        pixClearInRect(mask.get(), box.get());
    }
    l_int32 area = 0, black = 0;
    pixCountPixels(mask.get(), &area, nullptr);
    if (area < 0.05 * cw * ch) return 0.0;  // nearly everything left out: nothing to judge by
    pixAnd(mask.get(), mask.get(), ink);
    pixCountPixels(mask.get(), &black, nullptr);
    return 100.0 * black / area;
}

}  // namespace leafmark::imaging
