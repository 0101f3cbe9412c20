// Fuzz target for the page engine: every input is written to a file and read the
// ways the program reads pages (file information, comment slots, the structure
// check, loading); a page that loads is saved over a copy of itself, in its own
// format and depth, and the saved file must load again.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imaging/engine/PageEngine.h"

using leafmark::imaging::PageEngine;

namespace {

std::string scratchFolder() {
    static const std::string folder = [] {
        char templ[] = "/tmp/leafmark-fuzz-XXXXXX";
        const char* made = ::mkdtemp(templ);
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page = scratchFolder() + "/page.tif";
    const std::string saved = scratchFolder() + "/saved.tif";
    if (!writeFile(page, data, size)) return 0;

    PageEngine engine;
    const bool info = engine.ReadFileInfo(page).ok();
    PageEngine::ReadComment(page, 1, leafmark::imaging::kSlotDocumentMarker);
    PageEngine::ReadComment(page, 1, leafmark::imaging::kSlotChangeMarker);
    PageEngine::TruncationOf(page);
    if (!engine.LoadPage(page).ok()) return 0;
    if (!info) std::abort();  // a page that loads has readable file information

    // Save over a copy (later pages and tags are carried over from it), then reload.
    if (!writeFile(saved, data, size)) return 0;
    const int format = engine.StoredFormat();
    const int bits = engine.StoredBitDepth();
    engine.SetComment(leafmark::imaging::kSlotDocumentMarker, "BOD");
    if (!engine.SavePage(saved, format, bits).ok()) return 0;
    PageEngine again;
    if (!again.LoadPage(saved).ok()) std::abort();  // what the engine wrote, it reads
    if (again.comment(leafmark::imaging::kSlotDocumentMarker) != "BOD") std::abort();
    return 0;
}
