#pragma once
// Joining pages into one multi-page TIFF file. Each page keeps its compression,
// resolution and tags; its coded data is copied byte for byte, so nothing is
// decoded and re-coded. A page whose coding cannot be carried over (old-style
// JPEG) is decoded and written LZW with its tags.

#include <string>
#include <vector>

#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// Writes page 1 of each file of `pages`, in order, as the pages of a new TIFF at
// `path`, atomically; an existing file is replaced only with `replace`. Fails,
// writing nothing, when a page cannot be read whole (the reason names the file).
Status joinPagesToTiff(const std::vector<std::string>& pages, const std::string& path,
                       bool replace);

}  // namespace leafmark::imaging
