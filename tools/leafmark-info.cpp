// leafmark-info FILE...   [--json]
// Prints one line per page file: size, resolution, stored format and depth, the
// document and change markers as stored, and any damage the engine found. A file
// that cannot be read gets a line with the reason, and the exit status is 1.

#include "imaging/engine/PageEngine.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

using leafmark::imaging::FileInfo;
using leafmark::imaging::PageEngine;

namespace {

const char* formatName(int code) {
    switch (code) {
    case 1: return "none";
    case 2: return "CCITT RLE";
    case 3: return "Group 3";
    case 4: return "Group 4";
    case 5: return "LZW";
    case 6: return "old JPEG";
    case 7: return "JPEG";
    case 8: case 32946: return "Deflate";
    case 32773: return "PackBits";
    default: return "other";
    }
}

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not valid.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return 0;
    return n;
}

// Text safe for one output line (and for JSON): quotes, backslashes and control
// characters escaped, bytes that are not UTF-8 replaced by U+FFFD.
std::string escaped(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = utf8Length(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out.append(s, i, n);
        }
        i += n;
    }
    return out;
}

struct Report {
    std::string file;
    bool ok = false;
    std::string error;
    FileInfo info;
    std::string documentMarker, changeMarker;
    bool damaged = false;
    std::string damageReason;
};

Report inspect(const std::string& file) {
    Report r;
    r.file = file;
    PageEngine engine;
    auto status = engine.ReadFileInfo(file);
    // Data that ends early is damage the structure already shows: the page is
    // not decoded (padded out to its full size) to find it.
    const std::string cut = status.ok() ? PageEngine::TruncationOf(file) : std::string();
    if (status.ok() && cut.empty()) status = engine.LoadPage(file);
    if (!status.ok()) {
        r.error = status.reason();
        return r;
    }
    r.ok = true;
    r.info = engine.storedInfo();
    r.documentMarker = PageEngine::ReadComment(file, 1, leafmark::imaging::kSlotDocumentMarker);
    r.changeMarker = PageEngine::ReadComment(file, 1, leafmark::imaging::kSlotChangeMarker);
    r.damaged = !cut.empty() || engine.damaged();
    r.damageReason = cut.empty() ? engine.damageReason() : cut;
    return r;
}

std::string textLine(const Report& r) {
    if (!r.ok) return escaped(r.file) + "  error: " + escaped(r.error);
    const FileInfo& i = r.info;
    std::string line = escaped(r.file) + "  " + std::to_string(i.width) + "x" + std::to_string(i.height) +
                       "  " + std::to_string(i.xResolution) + "x" + std::to_string(i.yResolution) + " dpi  " +
                       formatName(i.format) + " (" + std::to_string(i.format) + ")  " +
                       std::to_string(i.bitDepth) + "-bit  pages " + std::to_string(i.pageCount) +
                       "  document=\"" + escaped(r.documentMarker) + "\"  change=\"" +
                       escaped(r.changeMarker) + "\"";
    if (r.damaged) line += "  damaged: " + escaped(r.damageReason);
    return line;
}

std::string jsonLine(const Report& r) {
    if (!r.ok) return "{\"file\":\"" + escaped(r.file) + "\",\"ok\":false,\"error\":\"" + escaped(r.error) + "\"}";
    const FileInfo& i = r.info;
    return "{\"file\":\"" + escaped(r.file) + "\",\"ok\":true,\"width\":" + std::to_string(i.width) +
           ",\"height\":" + std::to_string(i.height) + ",\"xResolution\":" + std::to_string(i.xResolution) +
           ",\"yResolution\":" + std::to_string(i.yResolution) + ",\"format\":" + std::to_string(i.format) +
           ",\"formatName\":\"" + formatName(i.format) + "\",\"bitDepth\":" + std::to_string(i.bitDepth) +
           ",\"pages\":" + std::to_string(i.pageCount) + ",\"documentMarker\":\"" + escaped(r.documentMarker) +
           "\",\"changeMarker\":\"" + escaped(r.changeMarker) + "\",\"damaged\":" + (r.damaged ? "true" : "false") +
           ",\"damageReason\":\"" + escaped(r.damageReason) + "\"}";
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") json = true;
        else if (arg == "--help" || arg == "-h") {
            std::cout << "usage: leafmark-info [--json] FILE...\n";
            return 0;
        } else files.push_back(arg);
    }
    if (files.empty()) {
        std::cerr << "usage: leafmark-info [--json] FILE...\n";
        return 2;
    }
    int status = 0;
    for (const auto& file : files) {
        const Report r = inspect(file);
        if (!r.ok) status = 1;
        std::cout << (json ? jsonLine(r) : textLine(r)) << '\n';
    }
    return status;
}
