// The engine's file side: loading page 1, reading file information and comment
// slots without decoding pixels, and saving the page atomically.

#include "imaging/engine/PageEngine.h"
#include "imaging/engine/TiffDecode.h"
#include "imaging/engine/TiffHandle.h"
#include "imaging/engine/TiffSave.h"

namespace leafmark::imaging {

namespace {

// Leptonica reports problems on stderr; the engine reports them through its
// results instead, so leptonica's messages are switched off once per process.
void silenceLeptonica() {
    static const bool once = [] {
        setMsgSeverity(L_SEVERITY_NONE);
        return true;
    }();
    (void)once;
}
const bool kLeptonicaSilenced = (silenceLeptonica(), true);

std::string readAsciiTag(TIFF* tif, std::uint32_t tag) {
    char* text = nullptr;
    if (!TIFFGetField(tif, tag, &text) || !text) return {};
    return std::string(text);
}

// Moves `r` to page `page` (1-based); false when the file has no such page.
bool goToPage(TiffReader& r, int page) {
    if (page <= 1) return true;
    return TIFFSetDirectory(r.tiff.get(), static_cast<tdir_t>(page - 1)) != 0;
}

}  // namespace

Status PageEngine::LoadPage(const std::string& file) {
    (void)kLeptonicaSilenced;
    silenceLeptonica();
    clearImage();
    comments_ = {};
    loadedPhotometric_ = -1;
    TiffReader r = openTiffForReading(file);
    DecodedPage page;
    if (!r.tiff) return r.status;
    if (Status decoded = decodeCurrentPage(r, page, *budget_); !decoded) return decoded;
    held_ = page.reserved;
    for (int slot = 0; slot < kCommentSlots; ++slot)
        comments_[static_cast<std::size_t>(slot)] =
            readAsciiTag(r.tiff.get(), kCommentTags[static_cast<std::size_t>(slot)]);
    setImage(std::move(page.pix), page.info.xResolution, page.info.yResolution);
    loadedFormat_ = page.info.format;
    loadedBitDepth_ = page.info.bitDepth;
    loadedPhotometric_ = page.photometric;
    damaged_ = page.damaged;
    narrowed_ = page.narrowed;
    damageReason_ = page.damageReason;
    return Status::success();
}

Status PageEngine::ReadFileInfo(const std::string& file) {
    info_ = FileInfo{};
    TiffReader r = openTiffForReading(file);
    if (!r.tiff) return r.status;
    FileInfo info;
    readDirectoryInfo(r.tiff.get(), info);
    info.pageCount = static_cast<int>(TIFFNumberOfDirectories(r.tiff.get()));
    info_ = info;
    return Status::success();
}

std::optional<std::string> PageEngine::TruncationOf(const std::string& file) {
    TiffReader r = openTiffForReading(file);
    // A page refused from its header is left to LoadPage, which says why.
    if (!r.tiff || !pageAcceptable(r.tiff.get(), kMaxPageBytes)) return std::nullopt;
    return truncationOf(r.tiff.get(), r.file->realSize);
}

std::optional<std::string> PageEngine::ReadComment(const std::string& file, int page, int slot) {
    if (slot < 0 || slot >= kCommentSlots) return std::nullopt;
    TiffReader r = openTiffForReading(file);
    if (!r.tiff || !goToPage(r, page)) return std::nullopt;
    std::string text = readAsciiTag(r.tiff.get(), kCommentTags[static_cast<std::size_t>(slot)]);
    if (text.empty()) return std::nullopt;
    return text;
}

Status PageEngine::ReadComments(const std::string& file,
                                std::array<std::string, kCommentSlots>& out) {
    out = {};
    TiffReader r = openTiffForReading(file);
    if (!r.tiff) return r.status;
    for (int slot = 0; slot < kCommentSlots; ++slot)
        out[static_cast<std::size_t>(slot)] =
            readAsciiTag(r.tiff.get(), kCommentTags[static_cast<std::size_t>(slot)]);
    return Status::success();
}

Status PageEngine::SavePage(const std::string& file, int format, int bits) {
    return SavePageFrom({}, file, format, bits);
}

Status PageEngine::SavePageFrom(const std::string& basis, const std::string& file, int format,
                                int bits) {
    silenceLeptonica();
    SaveRequest request;
    request.pix = pix_.get();
    request.format = format;
    request.bits = bits;
    request.xResolution = xres_;
    request.yResolution = yres_;
    request.bilevelPhotometric = loadedPhotometric_;
    request.comments = &comments_;
    request.basis = basis;
    request.syncFolder = basis.empty();
    return savePageAtomically(file, request);
}

}  // namespace leafmark::imaging
