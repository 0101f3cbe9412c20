#pragma once
// Encoding the engine's page into the directory being written: choosing the
// stored layout for a requested compression and bit depth, setting the tags
// that describe the pixels, and writing the pixel rows.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/engine/Handles.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// How the page will be stored, worked out from the image and the request.
struct EncodePlan {
    PixPtr work;          // 1 bpp, 8 bpp gray, palette-indexed (cmap) or 32 bpp
    int compression = 5;  // TIFF compression code actually written
    int bitsPerSample = 8;
    int samplesPerPixel = 1;
    int photometric = 0;
    std::uint32_t group3Options = 0;
    std::vector<std::uint16_t> colormap;  // 3 x 2^bits entries for a palette page
};

// Plans the page: depth 1 thresholds gray/colour; 2/4/8/16 write gray (a colour
// page at 2..8 bits becomes a palette page, exact when it has few enough colours);
// 24 writes RGB, 32 RGBA; other depths use the image's own. Group 3/4 and RLE
// with more than 1 bit, JPEG at a depth other than 8-bit gray or 24, and unknown
// or unavailable compressions write LZW. `bilevelPhotometric` is the sense of a
// 1-bit page (min-is-white or min-is-black).
Status planEncoding(PIX* pix, int format, int bits, int bilevelPhotometric,
                    std::uint32_t group3Options, EncodePlan& plan);

// Sets the pixel-describing tags of the directory being written in `out`.
void setPixelTags(TIFF* out, const EncodePlan& plan);

// Writes every row of the planned page; fails when libtiff refuses.
Status writePixels(TIFF* out, const EncodePlan& plan);

}  // namespace leafmark::imaging
