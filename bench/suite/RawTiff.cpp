#include "RawTiff.h"

#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace leafmark::bench {
namespace {

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

bool syncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

std::size_t rawDecode(const std::string& path, Bitmap* out) {
    Tiff tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) return 0;
    std::uint32_t w = 0, h = 0;
    std::uint16_t bits = 1, spp = 1;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
    const tmsize_t stripSize = TIFFStripSize(tif.get());
    const std::uint32_t strips = TIFFNumberOfStrips(tif.get());
    if (stripSize <= 0 || strips == 0) return 0;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stripSize) * strips);
    std::size_t total = 0;
    for (std::uint32_t s = 0; s < strips; ++s) {
        const tmsize_t n = TIFFReadEncodedStrip(tif.get(), s, buffer.data() + total, stripSize);
        if (n < 0) return 0;
        total += static_cast<std::size_t>(n);
    }
    if (out && bits == 1 && spp == 1) {
        out->width = static_cast<int>(w);
        out->height = static_cast<int>(h);
        out->stride = (w + 7) / 8;
        buffer.resize(out->stride * h);
        out->rows = std::move(buffer);
    }
    return total;
}

bool rawEncodeG4(const Bitmap& bitmap, const std::string& path, bool atomic) {
    const std::string target = atomic ? path + ".partial" : path;
    {
        Tiff tif(TIFFOpen(target.c_str(), "w"));
        if (!tif) return false;
        TIFF* t = tif.get();
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(bitmap.width));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(bitmap.height));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(bitmap.height));
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        std::vector<std::uint8_t> row(bitmap.stride);
        for (int y = 0; y < bitmap.height; ++y) {
            const auto* src = bitmap.rows.data() + static_cast<std::size_t>(y) * bitmap.stride;
            std::copy(src, src + bitmap.stride, row.begin());
            if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
                return false;
        }
        if (!TIFFWriteDirectory(t)) return false;
    }
    if (!atomic) return true;
    if (!syncPath(target, O_RDONLY) || std::rename(target.c_str(), path.c_str()) != 0) return false;
    const std::size_t slash = path.find_last_of('/');
    return syncPath(slash == std::string::npos ? "." : path.substr(0, slash),
                    O_RDONLY | O_DIRECTORY);
}

}  // namespace leafmark::bench
