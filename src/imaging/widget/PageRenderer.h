#pragma once
// Scaling of a page image into screen pixels for the page view. Reductions
// average (or, for 1-bit pages in favor-black mode, OR) the source area each
// screen pixel covers; enlargements sample the nearest page pixel.

#include <QImage>
#include <QRect>
#include <QSize>

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// Renderings of 1-bit pages (the view's BitonalDisplay values).
enum BitonalRendering : int {
    kBitonalNormal = 0,       // nearest sampling: thin strokes may drop out when reducing
    kBitonalFavorBlack = 1,   // a screen pixel is black when any page pixel under it is
    kBitonalScaleToGray = 2,  // the share of black page pixels under it, as a gray level
};

// A copy (or clone) of `page` in a form the scaler reads: 1 bpp with 1 = black,
// 8 bpp gray without colour map, or 32 bpp RGB. Null when `page` is null or the
// conversion fails.
PixPtr prepareForDisplay(PIX* page);

// Size in screen pixels of a `width` x `height` page drawn at `scale` (> 0):
// each side rounded, at least 1.
QSize scaledPageSize(int width, int height, double scale);

// How renderScaled delivers its pixels. Neither setting changes a pixel's value.
struct RenderOptions {
    // Format_RGB32 for every page depth (gray written to all three channels), so
    // the screen draws the result without converting it.
    bool rgb32 = false;
    // Threads drawing bands of rows at once: 1 draws on the calling thread only;
    // 0 uses one per core when the render is large enough to gain.
    int threads = 1;
};

// Draws the part `target` (screen pixels, inside scaledPageSize) of a prepared
// page at `scale`. 1-bit pages follow `bitonal`; gray and colour pages are
// averaged when reduced whatever `bitonal` says. Returns Format_Grayscale8 for
// 1-bit and gray pages (unless options.rgb32), Format_RGB32 for colour; a null
// image on bad input.
QImage renderScaled(PIX* prepared, double scale, int bitonal, const QRect& target,
                    const RenderOptions& options = {});

}  // namespace leafmark::imaging
