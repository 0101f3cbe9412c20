#pragma once
// The sample page maker: realistic scanned pages (set text, a known skew, a few
// specks, an optional scanner-edge strip) written as TIFF files with libtiff.
// Everything is seeded: the same PageSpec makes the same pixels and the same bytes.
// Rendering needs a QGuiApplication (fonts); it may run on any thread.

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace leafmark::pagemaker {

// What a page is and how it is stored.
enum class PageKind {
    Group4,  // US Letter, 300 dpi, 1 bit, min-is-white, Group 4
    Gray,    // US Letter, 300 dpi, 8-bit gray, LZW
    Colour,  // US Letter, 300 dpi, 24-bit RGB, JPEG
    Fax,     // 1728 x 2200, 204 x 196 dpi, 1 bit, min-is-white, Group 3
};

// "g4", "gray", "colour", "fax".
const char* kindName(PageKind kind);
// Accepts the names above (and "color"); nullopt for anything else.
std::optional<PageKind> kindFromName(const QString& name);

// Pixel size and resolution (dots per inch) of a kind.
struct PageGeometry {
    int width = 0;
    int height = 0;
    int xDpi = 0;
    int yDpi = 0;
};
PageGeometry geometryOf(PageKind kind);

// One page to make.
struct PageSpec {
    PageKind kind = PageKind::Group4;
    std::uint64_t seed = 1;   // picks the words, the layout, the speck places, the strip
    double angle = 0.0;       // degrees the text is turned clockwise on the paper (y down)
    int specks = 4;           // isolated dots of 1 to 3 px, placed well away from ink
    bool border = false;      // dark scanner-edge strip along one side of the frame
    std::string description;  // ImageDescription tag text; empty writes no tag ("BOD" marks a
                              // document start)
    int textLines =
        -1;  // -1 a full page of text; 0 none (a blank sheet); n at most n lines, no footer
};

// What was made; the manifest records it.
struct PageInfo {
    QString name;  // file name (folder pages) or empty
    PageKind kind = PageKind::Group4;
    int width = 0;
    int height = 0;
    int xDpi = 0;
    int yDpi = 0;
    double angle = 0.0;  // as PageSpec::angle
    std::string description;
    std::vector<QRect> specks;  // each speck's bounding box, in page pixels
    QRect border;               // the scanner-edge strip; null when none
};

// A rendered page in memory. Group 4 and fax pages are QImage::Format_Mono with
// the colour table {white, black} (bit 1 = black, as min-is-white TIFF rows);
// gray pages are Format_Grayscale8; colour pages Format_RGB888.
struct Page {
    QImage image;
    PageInfo info;
};

// Draws the page `spec` describes. The angle is clamped to [-45, 45] degrees and
// the speck count to [0, 200]. Never fails (a missing font falls back to Qt's default).
Page renderPage(const PageSpec& spec);

// Writes a rendered page as a TIFF file in its kind's format, with its resolution
// (unit inch) and, when set, the ImageDescription tag. The file appears whole or not
// at all (temporary file in the same folder, then rename). False with a reason on failure.
bool writeTiff(const Page& page, const QString& path, QString* error = nullptr);

// renderPage + writeTiff; `info` (optional) receives what was made.
bool makePageFile(const PageSpec& spec, const QString& path, QString* error = nullptr,
                  PageInfo* info = nullptr);

// ---- folders of pages ----

// Which kinds a folder gets: one kind for every page, or a mix (mostly Group 4,
// with some gray, colour and fax pages at fixed positions).
struct FolderOptions {
    std::uint64_t seed = 1;
    int pages = 12;                // 1 .. 100000
    std::optional<PageKind> kind;  // nullopt = mixed
    bool markDocuments = true;     // page 1 and about one page in four carry "BOD"
    std::optional<double> angle;   // every page at this angle instead of a seeded one
};

// The PageSpec of page `index` (1-based) of a folder: a seeded angle in [-5, 5] degrees
// in steps of 0.01, 2 to 8 specks, a strip on about one page in three.
PageSpec folderPageSpec(const FolderOptions& options, int index);

// "00000001.tif" for index 1.
QString pageFileName(int index);

// Makes the folder (and its parents) when missing and writes pages 1..N and the
// manifest "pages.tsv" beside them. Other files of the folder are left alone.
// Stops at the first failure and returns false with a reason.
bool makeFolder(const QString& folder, const FolderOptions& options,
                std::vector<PageInfo>* made = nullptr, QString* error = nullptr);

// Name of the manifest file written by makeFolder.
inline constexpr const char* kManifestName = "pages.tsv";

// Writes/reads the manifest: a header line, then one tab-separated line per page:
// name, kind, width, height, xdpi, ydpi, angle (degrees, 2 decimals), description,
// specks ("x,y,w,h" boxes joined by ";"), border ("x,y,w,h" or empty). readManifest returns nullopt
// when the file is missing or a line is malformed.
bool writeManifest(const QString& path, const std::vector<PageInfo>& pages,
                   QString* error = nullptr);
std::optional<std::vector<PageInfo>> readManifest(const QString& path);

}  // namespace leafmark::pagemaker
