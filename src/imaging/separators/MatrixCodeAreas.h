#pragma once
// Where a page may carry a matrix code (QR Code, Data Matrix), so the barcode reader
// searches those blocks of the working copy instead of the whole page. Found on the
// 1-bit working copy at half its resolution, in two ways:
//   - after a closing along the rows that joins the words of a line of text into a
//     long flat block, the blocks that are roughly square, large enough for the
//     smallest symbol the reader makes out, and dense (bars and spaces, modules);
//   - before that closing, squares at least as large as the smallest QR Code, which
//     finds a QR Code printed close beside text (it joins the line of text later).

#include <leptonica/allheaders.h>

#include <optional>
#include <vector>

#include "imaging/separators/InkArea.h"

namespace leafmark::imaging {

// Blocks of `ink` (1 bpp, 1 = ink, at `dpi`) that could hold a matrix code, in the
// pixels of `ink`, without a quiet zone; blocks may overlap. Empty when there is none.
std::vector<InkArea> matrixCodeAreas(PIX* ink, int dpi);

// The parts of `ink` to search for matrix codes: the blocks of matrixCodeAreas, each
// with a quiet zone, overlapping ones joined (so no symbol is cut or read twice), top
// to bottom. None when the page is better searched whole: more than a few parts, or
// parts covering half of it.
std::optional<std::vector<InkArea>> matrixCodeCrops(PIX* ink, int dpi);

}  // namespace leafmark::imaging
