#pragma once
// Removal of specks: tiny blots of dust or noise that stand alone on the page.

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// Size of a speck and the clear space around it, in page pixels.
struct SpeckLimits {
    int maxWidth = 3;   // a speck fits in maxWidth x maxHeight
    int maxHeight = 3;
    int clearX = 8;  // no other dark pixel within this many pixels left/right...
    int clearY = 8;  // ...or above/below the speck's bounding box
};

// Limits for a page scanned at `xres` x `yres` dots per inch: 3 x 3 pixels with 8
// pixels of clear space at 300 dpi, scaled linearly; 0 (unknown) counts as 300.
SpeckLimits speckLimitsFor(int xres, int yres);

// Bounding boxes of the isolated specks of a 1 bpp image (1 = dark): groups of
// dark pixels fitting the size limit with no other dark pixel in the clear space.
// Null on failure.
BoxaPtr findIsolatedSpecks(PIX* binary, const SpeckLimits& limits);

// Paints every isolated speck of `pix` (any depth; gray and colour thresholded at
// mid gray) with the page's background around it. Dots of letters, full stops and
// anything else near other dark pixels stay untouched. Returns the number of
// specks removed, or -1 on failure (the page is then unchanged).
int removeIsolatedSpecks(PIX* pix, int xres, int yres);

}  // namespace leafmark::imaging
