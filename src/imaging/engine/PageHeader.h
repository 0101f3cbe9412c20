#pragma once
// Reading what page 1 of a TIFF file says about itself (size, format, resolution
// and the comment slots) in one open, without decoding any pixels. Used wherever
// many pages are surveyed at once, such as splitting a folder into documents.

#include <array>
#include <string>

#include "imaging/engine/PageEngine.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {

struct PageHeader {
    FileInfo info;  // pageCount is left 0: counting pages would walk every directory
    std::array<std::string, kCommentSlots> comments;
};

// Fills `out` from page 1 of `file`. On failure `out` is empty and the reason
// says why (missing, unreadable, not a TIFF, damaged directory).
Status readPageHeader(const std::string& file, PageHeader& out);

}  // namespace leafmark::imaging
