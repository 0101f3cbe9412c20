#pragma once
// The floors: what libtiff alone spends decoding a page and encoding a 1-bit
// bitmap as Group 4, with none of the engine's checks, conversions or safety.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace leafmark::bench {

// 1-bit rows as stored in a min-is-white file (bit 1 = black), `stride` bytes each.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> rows;
};

// Decodes every strip of page 1 of `path` with TIFFReadEncodedStrip into one
// buffer; returns the number of bytes decoded, 0 on failure. `out` (optional)
// receives the 1-bit bitmap when the page is 1 bit per pixel.
std::size_t rawDecode(const std::string& path, Bitmap* out = nullptr);

// Encodes `bitmap` as a Group 4, 300 dpi page at `path`. With `atomic` the bytes
// go to a temporary file that is synced and renamed over `path`, and the folder is
// synced (what a safe save needs at least). False on any failure.
bool rawEncodeG4(const Bitmap& bitmap, const std::string& path, bool atomic);

}  // namespace leafmark::bench
