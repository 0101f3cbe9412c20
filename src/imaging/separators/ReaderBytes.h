#pragma once
// The barcode reader's image: rows of bytes, 0 for ink and 255 for white, made from
// a 1-bit ink map (1 = ink) or an 8-bit gray image. No Qt.

#include <cstdint>
#include <vector>

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// Width and height of the reader's image; 0 x 0 when none could be made.
struct ReaderSize {
    int width = 0;
    int height = 0;
};

// The whole image as the reader's bytes, into `bytes` (a buffer the caller keeps from
// read to read: a fresh buffer of a page's size per read would cost a page fault per
// 4 KiB, which on a virtual machine is as much as the search itself). 0 x 0 for
// other depths or a colour map.
ReaderSize readerBytes(PIX* image, std::vector<std::uint8_t>& bytes);

// A band of lines of a 1-bit image, rows or columns: lines [from, to) are thinned to
// every `step`-th one (from `from` on); the lines outside the band are all kept, in order.
struct LineBand {
    bool rows = true;
    int from = 0, to = 0;
    int step = 1;
};
// The 1-bit `bits` with the band thinned, as the reader's bytes: rows thinned make a
// lower image, columns a narrower one. 0 x 0 when `bits` is not 1 bpp.
ReaderSize thinnedReaderBytes(PIX* bits, const LineBand& band, std::vector<std::uint8_t>& bytes);

}  // namespace leafmark::imaging
