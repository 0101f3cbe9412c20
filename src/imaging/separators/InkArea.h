#pragma once
// The area a barcode covers on the 1-bit working copy of a page: a linear code is
// read along one row, so its area is grown over the rest of its bars before it is
// set aside from the page's ink (see imaging/engine/InkShare).

#include <leptonica/allheaders.h>

#include "imaging/engine/InkShare.h"

namespace leafmark::imaging {

// Widens `area` while the line of pixels just beyond each side is dense with ink
// (at least `density` of it black), then adds `pad` pixels: a linear barcode
// read along one row grows to the full height of its bars. Clipped to the page.
InkArea growOverInk(PIX* ink, InkArea area, double density, int pad);

// Whether `a` and `b` share a pixel.
inline bool overlap(const InkArea& a, const InkArea& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// Whether every pixel of `a` lies in `b`.
inline bool inside(const InkArea& a, const InkArea& b) {
    return a.left >= b.left && a.top >= b.top && a.left + a.width <= b.left + b.width &&
           a.top + a.height <= b.top + b.height;
}

}  // namespace leafmark::imaging
