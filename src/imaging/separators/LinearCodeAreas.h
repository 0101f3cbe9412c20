#pragma once
// Where a page may carry a linear barcode: blocks of parallel strokes that are
// taller (or, for a code printed sideways, wider) than any letter of body text.
// Found on the 1-bit working copy with two morphological passes, so the barcode
// reader only looks at those blocks, at the page's full resolution.

#include <leptonica/allheaders.h>

#include <vector>

#include "imaging/separators/InkArea.h"

namespace leafmark::imaging {

// Blocks of `ink` (1 bpp, 1 = ink, at `dpi`) made of strokes longer than 0.15
// inch lying side by side, each block at least 0.2 x 0.15 inch and between a fifth
// and 85% ink (bars and spaces, not one solid mark). In the pixels of `ink`;
// empty when there is none.
std::vector<InkArea> linearCodeAreas(PIX* ink, int dpi);

}  // namespace leafmark::imaging
