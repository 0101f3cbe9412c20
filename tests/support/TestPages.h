#pragma once
// Test pages for the engine's file side: TIFF files written directly with libtiff
// (independently of the engine's own writer), the pixels a load must produce for
// them, and text dumps of a file's tags for before/after comparisons.

#include "imaging/engine/Handles.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace leafmark::imaging::testing {

// One page to write. Pixel values come from the fixed patterns below.
struct PageSpec {
    std::uint32_t width = 67, height = 45;  // odd sizes catch row-padding faults
    std::uint16_t bps = 1, spp = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t fillOrder = FILLORDER_MSB2LSB;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint32_t rowsPerStrip = 8;
    std::uint32_t tileSize = 0;  // 0: strips; else square tiles of this size (multiple of 16)
    std::uint32_t group3Options = 0;
    bool withResolution = true;
    float xres = 300, yres = 200;
    std::uint16_t resolutionUnit = RESUNIT_INCH;
    std::vector<std::pair<std::uint32_t, std::string>> ascii;  // extra ASCII tags
    bool withPhotometric = true;  // false writes no Photometric tag (the data as min-is-white)
    bool withExif = false;        // an EXIF directory (exposure 0.5 s) the page points to
};

// Logical pattern of the stored (unoriented) image.
bool blackAt(std::uint32_t x, std::uint32_t y);
std::uint8_t grayAt(std::uint32_t x, std::uint32_t y);        // 0..255
std::uint32_t rgbAt(std::uint32_t x, std::uint32_t y);        // 0xRRGGBB
std::uint8_t paletteIndexAt(std::uint32_t x, std::uint32_t y, int bits);
std::uint32_t paletteColour(int index);                       // 0xRRGGBB

// Writes the pages into `path`; false when libtiff refuses (e.g. an encoder missing).
bool writeTiff(const std::string& path, const std::vector<PageSpec>& pages);

// The upright PIX a load of `spec` must give: 1 bpp (1 = black), 8 bpp or 32 bpp.
PixPtr expectedPix(const PageSpec& spec);

// Largest per-channel difference between two PIX of equal size and depth; -1
// when sizes or depths differ.
int maxDifference(PIX* a, PIX* b);

// Tag dump of page `page` (0-based) as libtiff prints it, one line per tag,
// without the directory's offset line and without the listed tag-name prefixes.
std::vector<std::string> tagDump(const std::string& path, int page,
                                 const std::vector<std::string>& skipPrefixes = {});

// Changes the tag number of entry `tag` in directory `page` (0-based) of a classic
// little-endian file to `newTag`, e.g. to make a required tag go missing.
bool renameTag(const std::string& path, int page, std::uint16_t tag, std::uint16_t newTag);

// Whole file content; empty when unreadable.
std::string fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace leafmark::imaging::testing
