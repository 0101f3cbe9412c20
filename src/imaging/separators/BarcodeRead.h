#pragma once
// Reading the barcodes printed on a page. The page is first reduced to a working
// copy of about 150 dots per inch (a 1-bit ink map, and 8-bit gray for gray and
// colour pages), so one read costs less than decoding the page: the barcode reader
// searches the working copy for matrix codes only in the blocks that could hold one
// (its search of a whole page mostly misses the Data Matrix symbols it reads there),
// and reads linear codes at full resolution only where the ink map shows blocks of
// bars. Positions are reported in page pixels. No Qt.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/engine/Handles.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// A set of symbologies, as a bit set of the reader's formats (see parseSymbologies).
using Symbologies = std::uint32_t;

// Code 128, Code 39, QR Code and Data Matrix: the codes separator sheets carry.
Symbologies defaultSymbologies();

// Parses a comma-separated list of symbology names ("Code128,QRCode", case and
// spaces ignored; "all" for every symbology the reader knows). A failure names the
// first unknown name (`set` is 0 then).
struct SymbologyList {
    Symbologies set = 0;
    Status status = Status::success();
};
SymbologyList parseSymbologies(const std::string& list);
// The names of a set, comma-separated, e.g. "Code128,QRCode".
std::string symbologyNames(Symbologies set);

// One barcode found on a page.
struct BarcodeHit {
    std::string symbology;  // e.g. "Code128", "QRCode"
    std::string text;       // the content, UTF-8
    // Bounding box of the symbol in page pixels (for a linear code, its bars).
    int left = 0, top = 0, width = 0, height = 0;
};

// The working copy of a page.
struct ReducedPage {
    PixPtr gray;     // 8 bpp, 255 = white; empty for 1-bit pages (the reader reads `ink`)
    PixPtr ink;      // 1 bpp, 1 = ink, at the working resolution
    int factor = 1;  // page pixels per working pixel, along each axis
    int dpi = 0;     // resolution of the working copy
};

// Builds the working copy of `page` (any depth the engine loads: 1, 8 or 32 bpp)
// scanned at `dpi` (0 when unknown: the page is taken as 8.5 inches wide). Pages
// under 250 dpi are kept at full size. Empty `ink` when out of memory.
ReducedPage reducePage(PIX* page, int dpi);

// The barcodes of the symbologies in `set` on `page`, whose working copy is
// `reduced`: matrix codes are read on the working copy, in the blocks that could hold
// one with a quiet zone around each (the whole copy when the blocks are many or cover
// half of it); linear codes at full resolution, only in the blocks of bars the working
// copy shows, each with its quiet zone (a block standing alone is read on a few lines
// across its bars first, and on all of them when those do not read its symbols
// cleanly). Positions in page pixels. Empty when there is none.
std::vector<BarcodeHit> readBarcodes(PIX* page, const ReducedPage& reduced, Symbologies set);

}  // namespace leafmark::imaging
