#pragma once
// Halving a 1-bit image: each 2 x 2 block of pixels becomes one pixel, set when at
// least `level` (1 or 2) of the four are. The same pixels as leptonica's rank
// reduction, a word of 32 pixels at a time. No Qt.

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// The half-size image (width and height halved, rounded down; an odd last row or
// column is dropped). Other levels than 1 and 2 go to leptonica. Empty when the
// image is not 1 bpp, smaller than 2 x 2, or out of memory.
PixPtr halfSize(PIX* bits, int level);

}  // namespace leafmark::imaging
