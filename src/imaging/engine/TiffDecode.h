#pragma once
// Decoding page 1 of a TIFF file into a leptonica PIX in its stored depth:
// 1-bit pages -> 1 bpp (1 = black, whatever the file's photometric sense);
// 2/4/8/16-bit gray -> 8 bpp gray; 8-bit RGB -> 32 bpp; palette, CMYK, YCbCr,
// 16-bit colour and every other colour layout -> 32 bpp RGB (no colormaps, so
// every page operation works on plain gray or RGB pixels). The Orientation tag
// is applied, so the PIX is always upright.

#include <optional>
#include <string>

#include "imaging/engine/ByteBudget.h"
#include "imaging/engine/Handles.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/engine/TiffHandle.h"

namespace leafmark::imaging {

struct DecodedPage {
    PixPtr pix;
    FileInfo info;          // of the page decoded (format, depth, size as shown, resolution)
    int photometric = -1;   // TIFF photometric interpretation as stored
    bool damaged = false;   // only part of the pixels could be decoded
    bool narrowed = false;  // samples of more than 8 bits (other than gray) held in 8
    std::string damageReason;
    std::uint64_t reserved = 0;  // bytes of the budget the decoded page holds
};

// Fills `info` from the current directory of `tif` (no pixels decoded). Size is as
// shown, i.e. width and height swapped for orientations that turn the page.
void readDirectoryInfo(TIFF* tif, FileInfo& info);

// Decodes the current directory of `r`, taking the decoded page's bytes from
// `budget` (`out.reserved`; the caller gives them back when it drops the page).
// Fails when the page is refused (larger than the whole budget, unsupported
// layout, nothing decodable); a page that only partly decodes succeeds with
// `damaged` set.
Status decodeCurrentPage(TiffReader& r, DecodedPage& out, ByteBudget& budget);

// For writers that carry pages over one at a time: decodes the current page on a
// budget of its own and refuses a page that decodes only in part ("the page is
// damaged: ...").
Status decodeIntactPage(TiffReader& r, DecodedPage& out);

// Whether the current directory's page may be decoded: size, samples, bits and
// compression supported, and its decoded bytes within `limit` (given in `bytes`).
// Reads only the directory.
Status pageAcceptable(TIFF* tif, std::uint64_t limit, std::uint64_t* bytes = nullptr);

// The reason the current directory's strips or tiles reach past the end of the
// file, from the structure alone; nullopt when they do not.
std::optional<std::string> truncationOf(TIFF* tif, std::uint64_t fileSize);

}  // namespace leafmark::imaging
