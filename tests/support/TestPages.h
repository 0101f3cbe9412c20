#pragma once
// The test pages of every test folder: TIFF files written directly with libtiff
// (independently of the engine's own writer) into a test's temporary folder, the
// pixels a load must produce for them, and readers for what is on disk afterwards
// (markers, size, tags, raw bytes).

#include <QByteArray>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/engine/Handles.h"

namespace leafmark::testing {

// What a page shows. Pattern: the fixed patterns below, in which any misplaced
// pixel shows; White or Black all over; Block: white with one black rectangle.
enum class Ink { Pattern, White, Black, Block };

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// One page to write.
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
    Ink ink = Ink::Pattern;       // palette pages always show the pattern
    Rect block;                   // the black rectangle of Ink::Block, cut at the page's edges

    // Adds an ASCII tag, e.g. tag(TIFFTAG_IMAGEDESCRIPTION, "BOD") for the document marker.
    PageSpec& tag(std::uint32_t number, std::string text) {
        ascii.emplace_back(number, std::move(text));
        return *this;
    }
};

// A page as the page records and the windows handle it: 1-bit Group 4 at 300 dpi in
// one strip, white; `mark` > 0 adds a 4 x 4 black block at columns mark..mark+3 of
// rows 8..11, which DiskPage::mark finds again.
PageSpec markedPage(int mark = 0, int width = 64, int height = 48);
// A batch test page: 1-bit Group 4 at 300 dpi in one strip, white with a 30 x 12
// black block whose place depends on `seed`, so pages differ from each other.
PageSpec seededPage(int seed, int width = 160, int height = 120);

// Logical pattern of the stored (unoriented) image.
bool blackAt(std::uint32_t x, std::uint32_t y);
std::uint8_t grayAt(std::uint32_t x, std::uint32_t y);  // 0..255
std::uint16_t gray16At(std::uint32_t x,
                       std::uint32_t y);                // 16-bit, low bits not a copy of the high
std::uint32_t rgbAt(std::uint32_t x, std::uint32_t y);  // 0xRRGGBB
std::uint8_t paletteIndexAt(std::uint32_t x, std::uint32_t y, int bits);
std::uint32_t paletteColour(int index);  // 0xRRGGBB

// Writes the pages into `path`; false when libtiff refuses (e.g. an encoder missing).
bool writeTiff(const std::string& path, const std::vector<PageSpec>& pages);

// Writes one page to `path` (a file name as Qt holds it); fails the test when libtiff refuses.
void writePage(const QString& path, const PageSpec& spec = markedPage());

// The upright PIX a load of `spec` must give: 1 bpp (1 = black), 8 bpp (16 bpp for
// 16-bit gray) or 32 bpp.
imaging::PixPtr expectedPix(const PageSpec& spec);

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

// Makes page 1's data run past the end of the file, as in a file cut short while it
// was copied: the page then reads only in part. Fails the test when it cannot.
void makeDataRunPastTheEnd(const QString& path);

// What page 1 of a file on disk holds, read with libtiff.
struct DiskPage {
    bool readable = false;               // every row decodes
    std::optional<QString> description;  // ImageDescription: the document marker slot
    std::optional<QString> model;        // Model: the change marker slot
    int compression = 0;
    int bits = 0;  // bits per sample x samples per pixel
    int width = 0;
    int height = 0;
    int mark = -1;  // column of the first black pixel of row 9 of a 1-bit page, -1 none
    QSize size() const { return {width, height}; }
};
DiskPage readPage(const QString& path);
// Text of an ASCII tag of page 1; nullopt when the tag is absent or the file unreadable.
std::optional<std::string> asciiTag(const QString& path, int tag);

// Whole file content; empty when unreadable.
std::string fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
QByteArray fileBytes(const QString& path);
// Writes `bytes` as the whole file; fails the test when it cannot.
void writeFile(const QString& path, const QByteArray& bytes);

}  // namespace leafmark::testing
