#pragma once
// Encoding a 1-bit page with libtiff's Group 4 coder into memory, for formats
// (such as PDF) that embed the coded data of one strip.

#include <leptonica/allheaders.h>

#include <string>
#include <vector>

#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// Codes `pix` (1 bpp, 1 = black) as one Group 4 strip, white = 0 bits as in a
// min-is-white page, into `out`; fails when libtiff refuses.
Status encodeGroup4Strip(PIX* pix, std::vector<unsigned char>& out);

}  // namespace leafmark::imaging
