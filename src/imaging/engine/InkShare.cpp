#include "imaging/engine/InkShare.h"

#include <algorithm>
#include <cmath>

#include "imaging/engine/Handles.h"
#include "imaging/engine/InkRuns.h"

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
    return inkSharePercent(pix, xDpi, yDpi, {});
}

double inkSharePercent(PIX* pix, int xDpi, int yDpi, const std::vector<InkArea>& leftOut) {
    if (!pix || pixGetWidth(pix) <= 0 || pixGetHeight(pix) <= 0) return -1.0;
    if (xDpi <= 0) xDpi = 300;
    if (yDpi <= 0) yDpi = 300;
    int x, w, y, h;
    innerSpan(pixGetWidth(pix), xDpi, x, w);
    innerSpan(pixGetHeight(pix), yDpi, y, h);
    if (w <= 0 || h <= 0) return -1.0;

    const int minW = std::max(2, static_cast<int>(std::ceil(kInkSpeckInches * xDpi)));
    const int minH = std::max(2, static_cast<int>(std::ceil(kInkSpeckInches * yDpi)));
    const bool bitonal = pixGetDepth(pix) == 1 && !pixGetColormap(pix);
    if (bitonal && leftOut.empty()) {
        const InkCount ink = countInk(pix, x, y, w, h, minW, minH);
        return 100.0 * static_cast<double>(ink.kept) / (static_cast<double>(w) * h);
    }

    BoxPtr inner(boxCreate(x, y, w, h));
    PixPtr part(pixClipRectangle(pix, inner.get(), nullptr));
    if (!part) return -1.0;
    PixPtr bits(bitonal ? clonePix(part.get()) : PixPtr(pixConvertTo1(part.get(), 128)));
    if (!bits) return -1.0;

    double area = static_cast<double>(w) * h;
    if (!leftOut.empty()) {
        // The areas set aside, in the measured part: a mask of them gives the area
        // they cover (overlaps once), and their pixels are cleared from the ink.
        PixPtr mask(pixCreate(w, h, 1));
        if (!mask) return -1.0;
        for (const InkArea& a : leftOut) {
            const int x0 = std::max(0, a.left - x), y0 = std::max(0, a.top - y);
            const int x1 = std::min(w, a.left - x + a.width),
                      y1 = std::min(h, a.top - y + a.height);
            if (x1 <= x0 || y1 <= y0) continue;
            BoxPtr box(boxCreate(x0, y0, x1 - x0, y1 - y0));
            pixSetInRect(mask.get(), box.get());
            pixClearInRect(bits.get(), box.get());
        }
        l_int32 covered = 0;
        pixCountPixels(mask.get(), &covered, nullptr);
        area -= covered;
        if (area < 0.05 * w * h) return 0.0;
    }
    // Specks: groups below the speck size both ways are not ink that says anything.
    const InkCount ink = countInk(bits.get(), 0, 0, w, h, minW, minH);
    return 100.0 * static_cast<double>(ink.kept) / area;
}

}  // namespace leafmark::imaging
