#include "imaging/engine/TiffHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "imaging/engine/ByteBudget.h"
#include "imaging/engine/PageEngine.h"

namespace leafmark::imaging {

namespace {

// libtiff's module argument is a function or file name; the message alone reads best.
std::string formatMessage(const char* fmt, va_list ap) {
    char buf[1024];
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    return std::string(buf);
}

int onError(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
    auto* sink = static_cast<TiffMessages*>(user);
    if (sink && sink->errors.size() < 64) sink->errors.push_back(formatMessage(fmt, ap));
    return 1;  // handled: nothing reaches the process-wide handlers or stderr
}

int onWarning(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
    auto* sink = static_cast<TiffMessages*>(user);
    if (sink && sink->warnings.size() < 64) sink->warnings.push_back(formatMessage(fmt, ap));
    return 1;
}

tmsize_t readProc(thandle_t h, void* buf, tmsize_t size) {
    auto* f = static_cast<TiffReadFile*>(h);
    if (size < 0) return -1;
    auto* out = static_cast<unsigned char*>(buf);
    tmsize_t done = 0;
    while (done < size && f->pos < f->virtualSize) {
        if (f->pos < f->realSize) {
            std::uint64_t want = std::min<std::uint64_t>(static_cast<std::uint64_t>(size - done),
                                                         f->realSize - f->pos);
            ssize_t n = ::pread(f->fd, out + done, want, static_cast<off_t>(f->pos));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                f->realSize = f->pos;  // the file shrank or cannot be read further
                continue;
            }
            done += n;
            f->pos += static_cast<std::uint64_t>(n);
        } else {
            std::uint64_t zeros = std::min<std::uint64_t>(static_cast<std::uint64_t>(size - done),
                                                          f->virtualSize - f->pos);
            std::memset(out + done, 0, zeros);
            done += static_cast<tmsize_t>(zeros);
            f->pos += zeros;
        }
    }
    return done;
}

tmsize_t noWriteProc(thandle_t, void*, tmsize_t) { return -1; }

toff_t seekProc(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<TiffReadFile*>(h);
    std::uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->virtualSize : 0;
    f->pos = base + off;
    return f->pos;
}

int closeProc(thandle_t) { return 0; }  // the fd is closed by TiffReadFile
toff_t sizeProc(thandle_t h) { return static_cast<TiffReadFile*>(h)->virtualSize; }
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

bool looksLikeTiff(const unsigned char* m, std::size_t n) {
    if (n < 4) return false;
    bool le = m[0] == 'I' && m[1] == 'I';
    bool be = m[0] == 'M' && m[1] == 'M';
    if (!le && !be) return false;
    int version = le ? (m[2] | (m[3] << 8)) : ((m[2] << 8) | m[3]);
    return version == 42 || version == 43;
}

// What a file that is not a regular file is, for the reason given.
std::string kindOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return " (a folder)";
    if (S_ISFIFO(st.st_mode)) return " (a named pipe)";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return " (a device)";
    if (S_ISSOCK(st.st_mode)) return " (a socket)";
    return {};
}

}  // namespace

TiffReadFile::~TiffReadFile() {
    if (fd >= 0) ::close(fd);
}

std::string errnoText(int err) {
    std::string text = std::strerror(err);
    return text.empty() ? "error " + std::to_string(err) : text;
}

TIFFOpenOptions* makeOpenOptions(TiffMessages* sink) {
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(opts, onError, sink);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, onWarning, sink);
    // No single allocation of libtiff (a strip, a tile, an array of offsets) may
    // exceed what the largest accepted page takes.
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(kMaxPageBytes));
    return opts;
}

TiffReader openTiffForReading(const std::string& path) {
    TiffReader r;
    r.file = std::make_unique<TiffReadFile>();
    // Opened without blocking, so a FIFO or a device under a page's name cannot
    // hold the caller up; its type is then checked on the descriptor itself.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        int err = errno;
        r.status = Status::failure(err == ENOENT ? "File not found: " + path
                                                 : "Cannot open " + path + ": " + errnoText(err));
        return r;
    }
    r.file->fd = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.status = Status::failure("Not a regular file: " + path + kindOf(st));
        return r;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    unsigned char magic[4] = {};
    ssize_t n = ::pread(fd, magic, sizeof magic, 0);
    if (n < 0) {
        r.status = Status::failure("Cannot read " + path + ": " + errnoText(errno));
        return r;
    }
    if (!looksLikeTiff(magic, static_cast<std::size_t>(n))) {
        r.status = Status::failure(st.st_size == 0 ? "Empty file, not a TIFF image: " + path
                                                   : "Not a TIFF file: " + path);
        return r;
    }
    r.file->realSize = r.file->virtualSize = static_cast<std::uint64_t>(st.st_size);
    TIFFOpenOptions* opts = makeOpenOptions(&r.file->messages);
    r.tiff.reset(TIFFClientOpenExt(path.c_str(), "rm", r.file.get(), readProc, noWriteProc,
                                   seekProc, closeProc, sizeProc, mapProc, unmapProc, opts));
    TIFFOpenOptionsFree(opts);
    if (!r.tiff) {
        std::string why = r.file->messages.firstError();
        r.status = Status::failure("Damaged TIFF file " + path +
                                   (why.empty() ? std::string() : ": " + why));
    }
    return r;
}

Status pageSizeAcceptable(TIFF* tif) {
    std::uint32_t w = 0, h = 0;
    std::uint16_t spp = 1, bps = 1;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    if (w == 0 || h == 0) {
        return Status::failure("The page has no pixels (width or height is 0)");
    }
    if (w > kMaxPageSide || h > kMaxPageSide) {
        return Status::failure("The page is too large: " + std::to_string(w) + " x " +
                               std::to_string(h) + " pixels (at most " +
                               std::to_string(kMaxPageSide) + " pixels a side are accepted)");
    }
    if (spp == 0 || spp > 8) {
        return Status::failure("Unsupported number of samples per pixel: " + std::to_string(spp));
    }
    if (bps == 0 || bps > 64) {
        return Status::failure("Unsupported bits per sample: " + std::to_string(bps));
    }
    return Status::success();
}

}  // namespace leafmark::imaging
