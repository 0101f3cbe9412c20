// leafmark-info FILE...   [--json] [--barcodes]
// Prints one line per page file: size, resolution, stored format and depth, the
// document and change markers as stored, and any damage the engine found; with
// --barcodes also the symbology and text of every barcode found on the page. A
// file that cannot be read gets a line with the reason, and the exit status is 1.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "imaging/engine/InkShare.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/separators/BarcodeRead.h"

using leafmark::cli::escaped;
using leafmark::imaging::FileInfo;
using leafmark::imaging::PageEngine;

namespace {

const char* formatName(int code) {
    switch (code) {
        case 1:
            return "none";
        case 2:
            return "CCITT RLE";
        case 3:
            return "Group 3";
        case 4:
            return "Group 4";
        case 5:
            return "LZW";
        case 6:
            return "old JPEG";
        case 7:
            return "JPEG";
        case 8:
        case 32946:
            return "Deflate";
        case 32773:
            return "PackBits";
        default:
            return "other";
    }
}

struct Report {
    std::string file;
    bool ok = false;
    std::string error;
    FileInfo info;
    std::string documentMarker, changeMarker;
    bool damaged = false;
    std::string damageReason;
    bool barcodesRead = false;
    std::vector<leafmark::imaging::BarcodeHit> barcodes;
    double ink = -1.0;  // percent of the page inside its margins, specks left out
};

// The ink share with four decimals, or "null" when the page could not be measured.
std::string inkText(double ink) {
    if (ink < 0) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", ink);
    return buf;
}

Report inspect(const std::string& file, bool withBarcodes) {
    Report r;
    r.file = file;
    PageEngine engine;
    auto status = engine.ReadFileInfo(file);
    // Data that ends early is damage the structure already shows: the page is
    // not decoded (padded out to its full size) to find it.
    const std::optional<std::string> cut =
        status.ok() ? PageEngine::TruncationOf(file) : std::nullopt;
    if (status.ok() && !cut) status = engine.LoadPage(file);
    if (!status.ok()) {
        r.error = status.reason();
        return r;
    }
    r.ok = true;
    r.info = engine.storedInfo();
    r.documentMarker =
        PageEngine::ReadComment(file, 1, leafmark::imaging::kSlotDocumentMarker).value_or("");
    r.changeMarker =
        PageEngine::ReadComment(file, 1, leafmark::imaging::kSlotChangeMarker).value_or("");
    r.damaged = cut.has_value() || engine.damaged();
    r.damageReason = cut.value_or(engine.damageReason());
    if (!cut)
        r.ink = leafmark::imaging::inkSharePercent(engine.pix(), engine.XResolution(),
                                                   engine.YResolution());
    if (withBarcodes && !cut) {
        namespace im = leafmark::imaging;
        const im::ReducedPage reduced =
            im::reducePage(engine.pix(), std::max(engine.XResolution(), engine.YResolution()));
        r.barcodes = im::readBarcodes(engine.pix(), reduced, static_cast<im::Symbologies>(~0u));
        r.barcodesRead = true;
    }
    return r;
}

std::string textLine(const Report& r) {
    if (!r.ok) return escaped(r.file) + "  error: " + escaped(r.error);
    const FileInfo& i = r.info;
    std::string line = escaped(r.file) + "  " + std::to_string(i.width) + "x" +
                       std::to_string(i.height) + "  " + std::to_string(i.xResolution) + "x" +
                       std::to_string(i.yResolution) + " dpi  " + formatName(i.format) + " (" +
                       std::to_string(i.format) + ")  " + std::to_string(i.bitDepth) +
                       "-bit  pages " + std::to_string(i.pageCount) + "  document=\"" +
                       escaped(r.documentMarker) + "\"  change=\"" + escaped(r.changeMarker) + "\"";
    line += "  ink " + inkText(r.ink) + "%" + (leafmark::imaging::isBlank(r.ink) ? "  blank" : "");
    if (r.damaged) line += "  damaged: " + escaped(r.damageReason);
    if (r.barcodesRead) {
        line += "  barcodes:";
        if (r.barcodes.empty()) line += " none";
        for (std::size_t k = 0; k < r.barcodes.size(); ++k)
            line += std::string(k ? ", " : " ") + r.barcodes[k].symbology + " \"" +
                    escaped(r.barcodes[k].text) + "\"";
    }
    return line;
}

// ,"barcodes":[{"symbology":...,"text":...,"left":...,"top":...,"width":...,"height":...},...]
std::string jsonBarcodes(const Report& r) {
    std::string out = ",\"barcodes\":[";
    for (std::size_t k = 0; k < r.barcodes.size(); ++k) {
        const auto& b = r.barcodes[k];
        out += std::string(k ? "," : "") + "{\"symbology\":\"" + b.symbology + "\",\"text\":\"" +
               escaped(b.text) + "\",\"left\":" + std::to_string(b.left) +
               ",\"top\":" + std::to_string(b.top) + ",\"width\":" + std::to_string(b.width) +
               ",\"height\":" + std::to_string(b.height) + "}";
    }
    return out + "]";
}

std::string jsonLine(const Report& r) {
    if (!r.ok)
        return "{\"file\":\"" + escaped(r.file) + "\",\"ok\":false,\"error\":\"" +
               escaped(r.error) + "\"}";
    const FileInfo& i = r.info;
    return "{\"file\":\"" + escaped(r.file) +
           "\",\"ok\":true,\"width\":" + std::to_string(i.width) +
           ",\"height\":" + std::to_string(i.height) +
           ",\"xResolution\":" + std::to_string(i.xResolution) +
           ",\"yResolution\":" + std::to_string(i.yResolution) +
           ",\"format\":" + std::to_string(i.format) + ",\"formatName\":\"" + formatName(i.format) +
           "\",\"bitDepth\":" + std::to_string(i.bitDepth) +
           ",\"pages\":" + std::to_string(i.pageCount) + ",\"documentMarker\":\"" +
           escaped(r.documentMarker) + "\",\"changeMarker\":\"" + escaped(r.changeMarker) +
           "\",\"damaged\":" + (r.damaged ? "true" : "false") + ",\"damageReason\":\"" +
           escaped(r.damageReason) + "\",\"ink\":" + inkText(r.ink) +
           ",\"blank\":" + (leafmark::imaging::isBlank(r.ink) ? "true" : "false") +
           (r.barcodesRead ? jsonBarcodes(r) : "") + "}";
}

const char* const kHelp =
    "usage: leafmark-info [--json] [--barcodes] FILE...\n"
    "Prints one line per page file: size, resolution, stored format and depth,\n"
    "pages, the document and change markers as stored, the share of ink inside\n"
    "the margins (and \"blank\" below the blank threshold), and any damage found.\n"
    "Names and texts are escaped, so every file takes exactly one line.\n"
    "\n"
    "  --json        one JSON object per line instead of text\n"
    "  --barcodes    also read the barcodes of each page and print their type and text\n"
    "  -h, --help    show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Exit status: 0 every file read; 1 some file could not be read; 2 bad arguments.\n";

}  // namespace

int main(int argc, char** argv) {
    leafmark::cli::CommandLine line({{"json", 0, false}, {"barcodes", 0, false}});
    if (!line.parse(argc, argv)) {
        std::cerr << "leafmark-info: " << line.error() << "\n"
                  << "usage: leafmark-info [--json] [--barcodes] FILE...\n";
        return 2;
    }
    if (line.has("help")) {
        std::cout << kHelp;
        return 0;
    }
    if (line.has("version")) {
        std::cout << leafmark::cli::versionLine("leafmark-info") << '\n';
        return 0;
    }
    const bool json = line.has("json");
    const bool barcodes = line.has("barcodes");
    const std::vector<std::string>& files = line.positional();
    if (files.empty()) {
        std::cerr << "usage: leafmark-info [--json] [--barcodes] FILE...\n";
        return 2;
    }
    int status = 0;
    for (const auto& file : files) {
        const Report r = inspect(file, barcodes);
        if (!r.ok) status = 1;
        std::cout << (json ? jsonLine(r) : textLine(r)) << '\n';
    }
    return status;
}
