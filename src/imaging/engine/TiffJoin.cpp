#include "imaging/engine/TiffJoin.h"

#include <sys/stat.h>
#include <unistd.h>

#include "imaging/engine/OutputFile.h"
#include "imaging/engine/TiffDecode.h"
#include "imaging/engine/TiffEncode.h"
#include "imaging/engine/TiffHandle.h"
#include "imaging/engine/TiffTags.h"

namespace leafmark::imaging {

namespace {

// Decodes the page and writes it LZW in its decoded depth, with its tags.
Status recodePage(TiffReader& r, TIFF* out) {
    DecodedPage page;
    if (Status decoded = decodeIntactPage(r, page); !decoded) return decoded;
    EncodePlan plan;
    const int bits = pixGetDepth(page.pix.get()) == 32 ? 24 : pixGetDepth(page.pix.get());
    if (Status planned =
            planEncoding(page.pix.get(), COMPRESSION_LZW, bits, PHOTOMETRIC_MINISWHITE, 0, plan);
        !planned)
        return planned;
    setPixelTags(out, plan);
    copyDescriptiveTags(r.tiff.get(), out);
    for (std::uint32_t tag : kCommentTags) {
        char* text = nullptr;
        if (TIFFGetField(r.tiff.get(), tag, &text) && text) TIFFSetField(out, tag, text);
    }
    if (Status written = writePixels(out, plan); !written) return written;
    if (!TIFFWriteDirectory(out)) {
        return Status::failure("writing the page's directory failed");
    }
    return Status::success();
}

Status addPage(const std::string& file, TIFF* out) {
    TiffReader r = openTiffForReading(file);
    if (!r.tiff) return r.status;
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(r.tiff.get(), TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_OJPEG) return recodePage(r, out);
    if (Status size = pageSizeAcceptable(r.tiff.get()); !size) return size;
    // Every coded block must lie inside the file: a cut-off page is refused, not padded.
    const bool tiled = TIFFIsTiled(r.tiff.get());
    const std::uint32_t blocks =
        tiled ? TIFFNumberOfTiles(r.tiff.get()) : TIFFNumberOfStrips(r.tiff.get());
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint64_t end =
            TIFFGetStrileOffset(r.tiff.get(), i) + TIFFGetStrileByteCount(r.tiff.get(), i);
        if (end > r.file->realSize) {
            return Status::failure("the page is damaged: its data ends before the file does");
        }
    }
    return copyDirectoryRaw(r.tiff.get(), out);
}

}  // namespace

Status joinPagesToTiff(const std::vector<std::string>& pages, const std::string& path,
                       bool replace) {
    if (pages.empty()) return Status::failure("Cannot write " + path + ": there are no pages");
    std::uint64_t total = 0;
    for (const std::string& p : pages) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0) total += static_cast<std::uint64_t>(st.st_size);
    }
    OutputFile file;
    if (Status s = file.open(path); !s) return s;
    TiffMessages messages;
    std::string reason;
    bool ok = false;
    {
        TIFFOpenOptions* opts = makeOpenOptions(&messages);
        // Past about 3.5 GB of pages the classic format's 32-bit offsets would not reach.
        const char* mode = total > 3500ull * 1024 * 1024 ? "w8" : "w";
        TiffPtr out(TIFFFdOpenExt(::dup(file.fd()), path.c_str(), mode, opts));
        TIFFOpenOptionsFree(opts);
        if (out) {
            ok = true;
            for (const std::string& p : pages) {
                if (Status added = addPage(p, out.get()); !added) {
                    reason = p + ": " + added.reason();
                    ok = false;
                    break;
                }
            }
            ok = ok && TIFFFlush(out.get());
        }
    }
    if (ok && messages.any()) {
        ok = false;
        reason = messages.firstError();
    }
    if (!ok) {
        if (reason.empty()) reason = messages.firstError();
        return Status::failure("Cannot write " + path + ": " +
                               (reason.empty() ? "the TIFF writer failed" : reason));
    }
    return file.commit(replace);
}

}  // namespace leafmark::imaging
