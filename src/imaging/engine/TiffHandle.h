#pragma once
// Opening TIFF files for the engine: each open collects libtiff's errors and
// warnings for that file alone (never through the process-wide handlers), and
// reports missing, unreadable and non-TIFF files with their own reasons.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/engine/Handles.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {

// Messages libtiff reported for one open file, in order.
struct TiffMessages {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    bool any() const { return !errors.empty(); }
    // The first error (what broke first), or empty.
    std::string firstError() const { return errors.empty() ? std::string() : errors.front(); }
};

// File state behind a TIFF opened for reading. Reads past the real end of the
// file return zeros up to `virtualSize`, so a truncated strip still decodes as
// far as its bytes reach instead of being refused whole.
struct TiffReadFile {
    int fd = -1;
    std::uint64_t realSize = 0;
    std::uint64_t virtualSize = 0;
    std::uint64_t pos = 0;
    TiffMessages messages;
    ~TiffReadFile();
};

// A TIFF open for reading together with its file state. On failure `tiff` is null
// and `status` says why.
struct TiffReader {
    std::unique_ptr<TiffReadFile> file;
    TiffPtr tiff;
    Status status = Status::success();
    TiffMessages& messages() { return file->messages; }
};

// Opens `path` for reading. On failure the reader's status names the cause ("file
// not found", "permission denied", "not a TIFF file", libtiff's own message).
TiffReader openTiffForReading(const std::string& path);

// A readable sentence for an errno value, e.g. "No space left on device".
std::string errnoText(int err);

// Installs the per-file error and warning handlers into fresh open options
// (caller frees them with TIFFOpenOptionsFree).
TIFFOpenOptions* makeOpenOptions(TiffMessages* sink);

// Whether the header's size (no side 0 or over kMaxPageSide), samples and bits
// are within what the engine accepts. Reads only the directory, allocates
// nothing; the byte budget is checked by the decoder.
Status pageSizeAcceptable(TIFF* tif);

}  // namespace leafmark::imaging
