#include "imaging/engine/TiffSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "imaging/engine/FileAccess.h"
#include "imaging/engine/OutputFile.h"
#include "imaging/engine/TiffDecode.h"
#include "imaging/engine/TiffEncode.h"
#include "imaging/engine/TiffHandle.h"
#include "imaging/engine/TiffTags.h"

namespace leafmark::imaging {

namespace {

std::atomic<long long> g_failAfterBytes{-1};

// The temporary file being written; remembers the first write error.
struct WriteFile {
    int fd = -1;
    std::uint64_t pos = 0;
    long long written = 0;
    int error = 0;
    TiffMessages messages;
};

tmsize_t wRead(thandle_t h, void* buf, tmsize_t size) {
    auto* f = static_cast<WriteFile*>(h);
    ssize_t n = ::pread(f->fd, buf, static_cast<std::size_t>(size), static_cast<off_t>(f->pos));
    if (n > 0) f->pos += static_cast<std::uint64_t>(n);
    return n;
}

tmsize_t wWrite(thandle_t h, void* buf, tmsize_t size) {
    auto* f = static_cast<WriteFile*>(h);
    const long long limit = g_failAfterBytes.load();
    if (limit >= 0 && f->written + size > limit) {
        if (!f->error) f->error = ENOSPC;
        return -1;
    }
    const auto* p = static_cast<const unsigned char*>(buf);
    tmsize_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(f->fd, p + done, static_cast<std::size_t>(size - done),
                             static_cast<off_t>(f->pos));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (!f->error) f->error = n < 0 ? errno : ENOSPC;
            return -1;
        }
        done += n;
        f->pos += static_cast<std::uint64_t>(n);
        f->written += n;
    }
    return done;
}

toff_t wSeek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<WriteFile*>(h);
    if (whence == SEEK_END) {
        struct stat st {};
        if (::fstat(f->fd, &st) != 0) return static_cast<toff_t>(-1);
        f->pos = static_cast<std::uint64_t>(st.st_size) + off;
    } else {
        f->pos = (whence == SEEK_CUR ? f->pos : 0) + off;
    }
    return f->pos;
}

int wClose(thandle_t) { return 0; }
toff_t wSize(thandle_t h) {
    struct stat st {};
    return ::fstat(static_cast<WriteFile*>(h)->fd, &st) == 0 ? static_cast<toff_t>(st.st_size) : 0;
}
int wMap(thandle_t, void**, toff_t*) { return 0; }
void wUnmap(thandle_t, void*, toff_t) {}

// Settles the photometric sense and Group 3 options of a 1-bit page from the
// file being replaced, when it is a 1-bit page itself.
void senseFromOld(TIFF* old, int& photometric, std::uint32_t& group3) {
    std::uint16_t bps = 0, spp = 1, photo = 0;
    TIFFGetFieldDefaulted(old, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(old, TIFFTAG_SAMPLESPERPIXEL, &spp);
    if (bps == 1 && spp == 1 && TIFFGetField(old, TIFFTAG_PHOTOMETRIC, &photo) &&
        (photo == PHOTOMETRIC_MINISBLACK || photo == PHOTOMETRIC_MINISWHITE))
        photometric = photo;
    std::uint16_t compression = 0;
    TIFFGetFieldDefaulted(old, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_CCITTFAX3) TIFFGetField(old, TIFFTAG_GROUP3OPTIONS, &group3);
}

// The page's own resolution wins over the replaced file's: a quarter turn swaps
// it, and the file's page 1 may be stored turned (an Orientation that swaps the
// sides) while the new page is always written upright. When the page still has
// the file's resolution, either way round, the file's own values are kept exactly
// (with their unit, copied with the other descriptive tags), so nothing is lost
// to rounding; otherwise the page's dots per inch are written.
void setPageResolution(TIFF* out, TIFF* old, const SaveRequest& req) {
    if (req.xResolution <= 0 || req.yResolution <= 0) return;  // the file's, if any, stay
    if (old) {
        FileInfo shown;  // the file's resolution as the page is shown, rounded to dpi
        readDirectoryInfo(old, shown);
        float x = 0, y = 0;
        if (shown.xResolution > 0 && shown.yResolution > 0 &&
            TIFFGetField(old, TIFFTAG_XRESOLUTION, &x) &&
            TIFFGetField(old, TIFFTAG_YRESOLUTION, &y)) {
            std::uint16_t orientation = ORIENTATION_TOPLEFT;
            TIFFGetFieldDefaulted(old, TIFFTAG_ORIENTATION, &orientation);
            if (orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT)
                std::swap(x, y);
            const bool same =
                req.xResolution == shown.xResolution && req.yResolution == shown.yResolution;
            const bool turned =
                req.xResolution == shown.yResolution && req.yResolution == shown.xResolution;
            if (same || turned) {
                if (!same) std::swap(x, y);
                TIFFSetField(out, TIFFTAG_XRESOLUTION, static_cast<double>(x));
                TIFFSetField(out, TIFFTAG_YRESOLUTION, static_cast<double>(y));
                return;
            }
        }
    }
    TIFFSetField(out, TIFFTAG_XRESOLUTION, static_cast<double>(req.xResolution));
    TIFFSetField(out, TIFFTAG_YRESOLUTION, static_cast<double>(req.yResolution));
    TIFFSetField(out, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
}

// Writes page 1 and the kept pages into `out`.
Status writeAll(TIFF* out, TIFF* old, const SaveRequest& req) {
    int photometric = req.bilevelPhotometric;
    std::uint32_t group3 = 0;
    if (old) senseFromOld(old, photometric, group3);
    EncodePlan plan;
    if (Status planned = planEncoding(req.pix, req.format, req.bits, photometric, group3, plan);
        !planned)
        return planned;
    setPixelTags(out, plan);
    if (old) copyDescriptiveTags(old, out);
    setPageResolution(out, old, req);
    if (req.comments) {
        for (int slot = 0; slot < kCommentSlots; ++slot) {
            const std::string& text = (*req.comments)[static_cast<std::size_t>(slot)];
            if (!text.empty())
                TIFFSetField(out, kCommentTags[static_cast<std::size_t>(slot)], text.c_str());
        }
    }
    if (Status written = writePixels(out, plan); !written) return written;
    if (!TIFFWriteDirectory(out)) {
        return Status::failure("writing the page's directory failed");
    }
    if (!old) return Status::success();
    const tdir_t pages = TIFFNumberOfDirectories(old);
    for (tdir_t d = 1; d < pages; ++d) {
        if (!TIFFSetDirectory(old, d)) {
            return Status::failure("page " + std::to_string(d + 1) + " of the file cannot be read");
        }
        if (Status copied = copyDirectoryRaw(old, out); !copied) return copied;
    }
    return Status::success();
}

}  // namespace

void setSaveFaultForTesting(int failAfterBytes) { g_failAfterBytes = failAfterBytes; }

Status savePageAtomically(const std::string& requested, const SaveRequest& req) {
    // Saving over a symbolic link replaces the file it points to, not the link.
    std::string path = requested;
    if (char* real = ::realpath(requested.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    auto fail = [&](const std::string& why) {
        return Status::failure("Cannot save " + requested + ": " + why);
    };
    if (!req.pix) return fail("there is no image to save");

    struct stat oldStat {};
    const bool exists = ::stat(path.c_str(), &oldStat) == 0;
    if (exists && isWriteProtected(path)) return fail(writeProtectedText(requested));
    TiffReader old;
    if (!req.basis.empty()) {
        // The page must take the basis's tags and pages, or not be saved.
        old = openTiffForReading(req.basis);
        if (!old.tiff) return old.status;
    } else if (exists) {
        // A file that is not a readable TIFF is simply replaced: the reason is not needed.
        old = openTiffForReading(path);
    }
    OutputFile file("Cannot save " + requested + ": ");
    if (Status opened = file.open(path); !opened) return opened;

    WriteFile wf;
    wf.fd = file.fd();
    std::string reason;
    bool ok = false;
    {
        TIFFOpenOptions* opts = makeOpenOptions(&wf.messages);
        const bool big = old.tiff && TIFFIsBigTIFF(old.tiff.get());
        TiffPtr out(TIFFClientOpenExt(path.c_str(), big ? "w8" : "w", &wf, wRead, wWrite, wSeek,
                                      wClose, wSize, wMap, wUnmap, opts));
        TIFFOpenOptionsFree(opts);
        if (!out) {
            reason = wf.messages.firstError();
        } else {
            const Status written = writeAll(out.get(), old.tiff.get(), req);
            reason = written.reason();
            ok = written && TIFFFlush(out.get()) && wf.error == 0;
        }
    }  // the TIFF is closed here; any late write error lands in wf.error
    if (wf.error) return fail(errnoText(wf.error));
    if (!ok) {
        if (reason.empty()) reason = wf.messages.firstError();
        return fail(reason.empty() ? "the TIFF writer failed" : reason);
    }
    if (!req.syncFolder) file.leaveFolderUnsynced();
    return file.commit();
}

}  // namespace leafmark::imaging
