#include "imaging/engine/InkShare.h"

#include "imaging/engine/Handles.h"

#include <algorithm>
#include <cmath>

namespace leafmark::imaging {

namespace {

// The part of a side of `size` pixels left to measure once the margin is set aside.
void innerSpan(int size, int dpi, int& start, int& length) {
    int margin = static_cast<int>(std::lround(kInkMarginInches * dpi));
    margin = std::min(margin, size / 8);  // never more than a quarter of the side in all
    start = margin;
    length = size - 2 * margin;
}

}  // namespace

double inkSharePercent(PIX* pix, int xDpi, int yDpi) {
    if (!pix || pixGetWidth(pix) <= 0 || pixGetHeight(pix) <= 0) return -1.0;
    if (xDpi <= 0) xDpi = 300;
    if (yDpi <= 0) yDpi = 300;
    int x, w, y, h;
    innerSpan(pixGetWidth(pix), xDpi, x, w);
    innerSpan(pixGetHeight(pix), yDpi, y, h);
    if (w <= 0 || h <= 0) return -1.0;

    BoxPtr inner(boxCreate(x, y, w, h));
    PixPtr part(pixClipRectangle(pix, inner.get(), nullptr));
    if (!part) return -1.0;
    PixPtr bits(pixGetDepth(part.get()) == 1 && !pixGetColormap(part.get()) ? clonePix(part.get())
                                                                           : PixPtr(pixConvertTo1(part.get(), 128)));
    if (!bits) return -1.0;

    l_int32 all = 0;
    pixCountPixels(bits.get(), &all, nullptr);
    if (all == 0) return 0.0;
    // Specks: groups below the speck size both ways are not ink that says anything.
    const int minW = std::max(2, static_cast<int>(std::ceil(kInkSpeckInches * xDpi)));
    const int minH = std::max(2, static_cast<int>(std::ceil(kInkSpeckInches * yDpi)));
    PixPtr kept(pixSelectBySize(bits.get(), minW, minH, 8, L_SELECT_IF_EITHER, L_SELECT_IF_GTE, nullptr));
    l_int32 ink = all;
    if (kept) pixCountPixels(kept.get(), &ink, nullptr);
    return 100.0 * static_cast<double>(ink) / (static_cast<double>(w) * h);
}

}  // namespace leafmark::imaging
