#include "imaging/separators/InkArea.h"

#include <algorithm>

#include "imaging/engine/Handles.h"

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
        if (a.top + a.height < h && dense(a.left, a.top + a.height, a.width, 1))
            ++a.height, grew = true;
        if (a.left > 0 && dense(a.left - 1, a.top, 1, a.height)) --a.left, ++a.width, grew = true;
        if (a.left + a.width < w && dense(a.left + a.width, a.top, 1, a.height))
            ++a.width, grew = true;
    }
    const int x0 = std::max(0, a.left - pad), y0 = std::max(0, a.top - pad);
    const int x1 = std::min(w, a.left + a.width + pad), y1 = std::min(h, a.top + a.height + pad);
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace leafmark::imaging
