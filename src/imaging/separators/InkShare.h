#pragma once
// How much of a page carries ink, measured on the 1-bit working copy with the
// page's margins set aside (scanner edge shadows and punch holes live there) and,
// optionally, some areas left out (the barcodes of a separator sheet).

#include <leptonica/allheaders.h>

#include <vector>

namespace leafmark::imaging {

// An area of the working copy, in its pixels.
struct InkArea {
    int left = 0, top = 0, width = 0, height = 0;
};

// Widens `area` while the line of pixels just beyond each side is dense with ink
// (at least `density` of it black), then adds `pad` pixels: a linear barcode
// read along one row grows to the full height of its bars. Clipped to the page.
InkArea growOverInk(PIX* ink, InkArea area, double density, int pad);

// Percent (0..100) of the pixels of `ink` (1 bpp, 1 = ink) that are black, within
// the page less a margin of `marginFraction` of its width and height on every
// side, not counting the pixels of `excluded`. 0 when nothing is left to measure.
double inkPercent(PIX* ink, double marginFraction, const std::vector<InkArea>& excluded = {});

}  // namespace leafmark::imaging
