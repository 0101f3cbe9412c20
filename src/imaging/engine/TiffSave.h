#pragma once
// Saving a page over a TIFF file atomically: the new file is written beside the
// old one, synced, and renamed over it; on any failure the old file is untouched.

#include <array>
#include <string>

#include "imaging/engine/PageEngine.h"

namespace leafmark::imaging {

// What one save writes.
struct SaveRequest {
    PIX* pix = nullptr;
    int format = COMPRESSION_LZW;
    int bits = 0;
    int xResolution = 0;  // the page's dots per inch; 0 keeps the replaced file's
    int yResolution = 0;
    int bilevelPhotometric = -1;  // sense of a 1-bit page when the replaced file gives none
    const std::array<std::string, kCommentSlots>* comments = nullptr;
    // The file whose other tags and later pages the page takes; empty: the file
    // saved over. A basis that cannot be read fails the save.
    std::string basis;
    // False leaves the folder of the new name unsynced, for a file its caller
    // puts in place afterwards (and syncs that folder then).
    bool syncFolder = true;
};

// Writes the page as page 1 of `path`. When `path` (or the request's basis) is a
// readable TIFF, its page-1 tags that do not describe pixels and its pages 2..n
// are kept, except that the page's own resolution replaces a different one of the
// file. Failure leaves the old file byte-identical, removes the temporary file,
// and names the cause. A write-protected file (see isWriteProtected) is refused
// before anything is written.
Status savePageAtomically(const std::string& path, const SaveRequest& request);

// For tests only: every later save fails with "No space left on device" once it
// has written `failAfterBytes` bytes; a negative value turns the fault off.
void setSaveFaultForTesting(int failAfterBytes);

}  // namespace leafmark::imaging
