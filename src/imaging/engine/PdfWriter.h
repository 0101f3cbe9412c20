#pragma once
// Writing pages into one PDF file: each page becomes one PDF page whose size
// comes from the page's pixels and resolution, showing the page as one image.
// 1-bit pages are embedded as CCITT Group 4 (a Group 4 page stored in one strip
// is copied as it is), pages stored as JPEG as DCT, other gray and colour pages
// as Flate. Nothing is resampled: the image has the page's own pixels.

#include <string>
#include <vector>

#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// Resolution assumed for a page that stores none, in dots per inch.
constexpr int kPdfFallbackDpi = 300;

// Writes page 1 of each file of `pages` in order into a new PDF at `path`,
// atomically; an existing file is replaced only with `replace`. Fails, writing
// nothing, when a page cannot be read whole (the reason names the file).
Status writePagesToPdf(const std::vector<std::string>& pages, const std::string& path,
                       bool replace);

}  // namespace leafmark::imaging
