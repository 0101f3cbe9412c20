#pragma once
// Copying TIFF tags and page data from one open file to another, for saves that
// keep what the replaced file held.

#include <tiffio.h>

#include <string>

#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// True for tags that carry the comment slots (written from the engine's slots).
bool isCommentTag(std::uint32_t tag);

// Copies from the current directory of `in` to the directory being written in
// `out` every tag that does not describe the pixel data (resolution and its unit,
// position, page number, software, private tags, ...). Comment-slot tags and
// pointers to sub-directories are not copied. Tags that cannot be copied are skipped.
void copyDescriptiveTags(TIFF* in, TIFF* out);

// Copies the current directory of `in` to `out` unchanged: all its tags and its
// compressed strips or tiles byte for byte, then writes the directory. Fails when
// the page cannot be carried over (unreadable data, old-style JPEG).
Status copyDirectoryRaw(TIFF* in, TIFF* out);

}  // namespace leafmark::imaging
