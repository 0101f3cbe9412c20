#include "support/TestPages.h"

#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "shared/NativePath.h"

namespace leafmark::testing {

using imaging::PixPtr;

namespace {

int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* openQuiet(const std::string& path, const char* mode) {
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(opts, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, quiet, nullptr);
    TIFF* tif = TIFFOpenExt(path.c_str(), mode, opts);
    TIFFOpenOptionsFree(opts);
    return tif;
}

void putBits(std::vector<std::uint8_t>& row, std::uint32_t x, int bits, unsigned v) {
    const std::uint32_t bit = x * static_cast<std::uint32_t>(bits);
    for (int b = 0; b < bits; ++b) {
        const unsigned one = (v >> (bits - 1 - b)) & 1u;
        if (one) row[(bit + b) / 8] |= static_cast<std::uint8_t>(0x80u >> ((bit + b) % 8));
    }
}

// The page's own content at stored pixel (x, y) when it is not the pattern.
bool inkBlack(const PageSpec& s, std::uint32_t x, std::uint32_t y) {
    if (s.ink == Ink::Black) return true;
    if (s.ink != Ink::Block) return false;
    const auto& b = s.block;
    return static_cast<int>(x) >= b.x && static_cast<int>(x) < b.x + b.width &&
           static_cast<int>(y) >= b.y && static_cast<int>(y) < b.y + b.height;
}
bool isBlack(const PageSpec& s, std::uint32_t x, std::uint32_t y) {
    return s.ink == Ink::Pattern ? blackAt(x, y) : inkBlack(s, x, y);
}
std::uint8_t grayLevel(const PageSpec& s, std::uint32_t x, std::uint32_t y) {
    return s.ink == Ink::Pattern ? grayAt(x, y) : inkBlack(s, x, y) ? 0 : 255;
}

// 16-bit samples whose low byte is not a copy of the high one (for the pattern).
std::uint16_t gray16Level(const PageSpec& s, std::uint32_t x, std::uint32_t y) {
    return s.ink == Ink::Pattern ? gray16At(x, y)
                                 : static_cast<std::uint16_t>(grayLevel(s, x, y) * 257);
}
std::uint32_t rgbLevel(const PageSpec& s, std::uint32_t x, std::uint32_t y) {
    return s.ink == Ink::Pattern ? rgbAt(x, y) : inkBlack(s, x, y) ? 0u : 0xFFFFFFu;
}

// One stored row of the page, in the file's own sample layout.
std::vector<std::uint8_t> storedRow(const PageSpec& s, std::uint32_t y, std::size_t rowBytes) {
    std::vector<std::uint8_t> row(rowBytes, 0);
    for (std::uint32_t x = 0; x < s.width; ++x) {
        if (s.photometric == PHOTOMETRIC_PALETTE) {
            putBits(row, x, s.bps, paletteIndexAt(x, y, s.bps));
        } else if (s.spp == 1 && s.bps == 1) {
            const bool black = isBlack(s, x, y);
            putBits(row, x, 1, (s.photometric == PHOTOMETRIC_MINISWHITE) == black ? 1u : 0u);
        } else if (s.spp == 1 && s.bps == 16) {
            std::uint16_t v = gray16Level(s, x, y);
            if (s.photometric == PHOTOMETRIC_MINISWHITE) v = static_cast<std::uint16_t>(65535 - v);
            std::memcpy(row.data() + 2 * x, &v, 2);
        } else if (s.spp == 1) {
            unsigned v = grayLevel(s, x, y) >> (8 - s.bps);
            if (s.photometric == PHOTOMETRIC_MINISWHITE) v = ((1u << s.bps) - 1) - v;
            putBits(row, x, s.bps, v);
        } else {
            const std::uint32_t c = rgbLevel(s, x, y);
            std::uint8_t* p = row.data() + static_cast<std::size_t>(x) * s.spp;
            const std::uint8_t r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (s.photometric == PHOTOMETRIC_SEPARATED) {
                p[0] = 255 - r;
                p[1] = 255 - g;
                p[2] = 255 - b;
                p[3] = 0;
            } else {
                p[0] = r;
                p[1] = g;
                p[2] = b;
                if (s.spp == 4) p[3] = 255;
            }
        }
    }
    return row;
}

bool writePage(TIFF* tif, const PageSpec& s) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bps);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.spp);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(tif, TIFFTAG_FILLORDER, s.fillOrder);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, s.orientation);
    const bool ycbcr = s.compression == COMPRESSION_JPEG && s.spp == 3;
    if (s.withPhotometric)
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, ycbcr ? PHOTOMETRIC_YCBCR : s.photometric);
    if (ycbcr) TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    if (s.compression == COMPRESSION_JPEG) TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 90);
    if (s.compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, s.group3Options);
    if (s.spp == 4 && s.photometric == PHOTOMETRIC_RGB) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (s.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    std::vector<std::uint16_t> cmap;
    if (s.photometric == PHOTOMETRIC_PALETTE) {
        const std::size_t n = 1u << s.bps;
        cmap.resize(3 * n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t c = paletteColour(static_cast<int>(i));
            cmap[i] = static_cast<std::uint16_t>((c >> 16) * 257);
            cmap[n + i] = static_cast<std::uint16_t>(((c >> 8) & 0xFF) * 257);
            cmap[2 * n + i] = static_cast<std::uint16_t>((c & 0xFF) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, cmap.data(), cmap.data() + n, cmap.data() + 2 * n);
    }
    if (s.withResolution) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<double>(s.xres));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<double>(s.yres));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, s.resolutionUnit);
    }
    for (const auto& [tag, text] : s.ascii) TIFFSetField(tif, tag, text.c_str());
    const std::size_t rowBytes = (static_cast<std::size_t>(s.width) * s.bps * s.spp + 7) / 8;
    if (s.tileSize == 0) {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::min(s.rowsPerStrip, s.height));
        for (std::uint32_t y = 0; y < s.height; ++y) {
            std::vector<std::uint8_t> row = storedRow(s, y, rowBytes);
            if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
        }
    } else {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, s.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, s.tileSize);
        const std::size_t tileRow = static_cast<std::size_t>(s.tileSize) * s.bps * s.spp / 8;
        std::vector<std::uint8_t> tile(tileRow * s.tileSize);
        for (std::uint32_t ty = 0; ty < s.height; ty += s.tileSize) {
            for (std::uint32_t tx = 0; tx < s.width; tx += s.tileSize) {
                std::fill(tile.begin(), tile.end(), 0);
                const std::size_t xoff = static_cast<std::size_t>(tx) * s.bps * s.spp / 8;
                for (std::uint32_t r = 0; r < s.tileSize && ty + r < s.height; ++r) {
                    std::vector<std::uint8_t> row = storedRow(s, ty + r, rowBytes);
                    std::copy_n(row.begin() + static_cast<std::ptrdiff_t>(xoff),
                                std::min(tileRow, rowBytes - xoff), tile.begin() + r * tileRow);
                }
                if (TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, 0), tile.data(),
                                         static_cast<tmsize_t>(tile.size())) < 0)
                    return false;
            }
        }
    }
    return TIFFWriteDirectory(tif) != 0;
}

// Stored coordinates of the visual pixel (x, y) for an orientation.
void storedAt(const PageSpec& s, std::uint32_t x, std::uint32_t y, std::uint32_t& c,
              std::uint32_t& r) {
    const std::uint32_t W = s.width, H = s.height;
    switch (s.orientation) {
        case 2:
            c = W - 1 - x;
            r = y;
            break;
        case 3:
            c = W - 1 - x;
            r = H - 1 - y;
            break;
        case 4:
            c = x;
            r = H - 1 - y;
            break;
        case 5:
            c = y;
            r = x;
            break;
        case 6:
            c = y;
            r = H - 1 - x;
            break;
        case 7:
            c = W - 1 - y;
            r = H - 1 - x;
            break;
        case 8:
            c = W - 1 - y;
            r = x;
            break;
        default:
            c = x;
            r = y;
            break;
    }
}

}  // namespace

bool blackAt(std::uint32_t x, std::uint32_t y) { return (x * 7 + y * 13) % 11 < 4 || x == y; }
std::uint8_t grayAt(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint8_t>((x * 3 + y) % 256);
}
std::uint32_t rgbAt(std::uint32_t x, std::uint32_t y) {
    return ((x * 3) % 256) << 16 | ((y * 5) % 256) << 8 | ((x + y) % 256);
}

std::uint16_t gray16At(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint16_t>(grayAt(x, y) * 257 + (x % 3));
}
std::uint8_t paletteIndexAt(std::uint32_t x, std::uint32_t y, int bits) {
    return static_cast<std::uint8_t>((x / 4 + y / 3) % (1u << bits));
}
std::uint32_t paletteColour(int i) {
    return static_cast<std::uint32_t>((i * 37) % 256) << 16 |
           static_cast<std::uint32_t>((255 - i) % 256) << 8 |
           static_cast<std::uint32_t>((i * 101) % 256);
}

bool writeTiff(const std::string& path, const std::vector<PageSpec>& pages) {
    TIFF* tif = openQuiet(path, "w");
    if (!tif) return false;
    bool ok = true;
    for (const PageSpec& p : pages) {
        if (ok && p.withExif) {  // the EXIF directory goes first, the page then points back to it
            std::uint64_t exif = 0;
            ok = TIFFCreateEXIFDirectory(tif) == 0 &&
                 TIFFSetField(tif, EXIFTAG_EXPOSURETIME, 0.5) &&
                 TIFFWriteCustomDirectory(tif, &exif) &&
                 (TIFFFreeDirectory(tif), TIFFCreateDirectory(tif) == 0) &&
                 TIFFSetField(tif, TIFFTAG_EXIFIFD, exif);
        }
        ok = ok && writePage(tif, p);
    }
    TIFFClose(tif);
    return ok;
}

PixPtr expectedPix(const PageSpec& s) {
    const bool turned = s.orientation >= 5;
    const std::uint32_t w = turned ? s.height : s.width, h = turned ? s.width : s.height;
    const bool bilevel = s.spp == 1 && s.bps == 1 && s.photometric != PHOTOMETRIC_PALETTE;
    const bool gray = s.spp == 1 && s.photometric != PHOTOMETRIC_PALETTE;
    const int depth = bilevel ? 1 : gray ? (s.bps == 16 ? 16 : 8) : 32;
    PixPtr pix(pixCreate(static_cast<l_int32>(w), static_cast<l_int32>(h), depth));
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint32_t c, r;
            storedAt(s, x, y, c, r);
            l_uint32 v;
            if (bilevel) {
                v = isBlack(s, c, r) ? 1 : 0;
            } else if (depth == 16) {
                v = gray16Level(s, c, r);
            } else if (gray) {
                const unsigned level = grayLevel(s, c, r) >> (s.bps >= 8 ? 0 : 8 - s.bps);
                v = s.bps >= 8 ? level : level * (255u / ((1u << s.bps) - 1));
            } else {
                const std::uint32_t rgb = s.photometric == PHOTOMETRIC_PALETTE
                                              ? paletteColour(paletteIndexAt(c, r, s.bps))
                                              : rgbLevel(s, c, r);
                composeRGBPixel(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF, &v);
            }
            pixSetPixel(pix.get(), static_cast<l_int32>(x), static_cast<l_int32>(y), v);
        }
    }
    return pix;
}

int maxDifference(PIX* a, PIX* b) {
    if (!a || !b || pixGetWidth(a) != pixGetWidth(b) || pixGetHeight(a) != pixGetHeight(b) ||
        pixGetDepth(a) != pixGetDepth(b))
        return -1;
    int worst = 0;
    for (l_int32 y = 0; y < pixGetHeight(a); ++y) {
        for (l_int32 x = 0; x < pixGetWidth(a); ++x) {
            l_uint32 p, q;
            pixGetPixel(a, x, y, &p);
            pixGetPixel(b, x, y, &q);
            if (pixGetDepth(a) == 32) {
                for (int shift = 8; shift <= 24; shift += 8)
                    worst = std::max(worst, std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                                     static_cast<int>((q >> shift) & 0xFF)));
            } else {
                worst = std::max(worst, std::abs(static_cast<int>(p) - static_cast<int>(q)));
            }
        }
    }
    return worst;
}

std::vector<std::string> tagDump(const std::string& path, int page,
                                 const std::vector<std::string>& skip) {
    std::vector<std::string> lines;
    TIFF* tif = openQuiet(path, "r");
    if (!tif) return lines;
    if (TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        char* buf = nullptr;
        std::size_t size = 0;
        FILE* f = open_memstream(&buf, &size);
        TIFFPrintDirectory(tif, f, 0);
        std::fclose(f);
        std::istringstream in(std::string(buf, size));
        std::free(buf);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("TIFF Directory at offset", 0) == 0) continue;
            const auto start = line.find_first_not_of(' ');
            const std::string body = start == std::string::npos ? line : line.substr(start);
            bool skipped = false;
            for (const auto& prefix : skip) skipped = skipped || body.rfind(prefix, 0) == 0;
            if (!skipped) lines.push_back(body);
        }
    }
    TIFFClose(tif);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool renameTag(const std::string& path, int page, std::uint16_t tag, std::uint16_t newTag) {
    TIFF* tif = openQuiet(path, "r");
    if (!tif) return false;
    const bool found = TIFFSetDirectory(tif, static_cast<tdir_t>(page)) && !TIFFIsBigTIFF(tif) &&
                       !TIFFIsByteSwapped(tif);
    const std::uint64_t at = TIFFCurrentDirOffset(tif);
    TIFFClose(tif);
    std::string bytes = fileBytes(path);
    if (!found || at + 2 > bytes.size()) return false;
    std::uint16_t count = 0;
    std::memcpy(&count, bytes.data() + at, 2);
    for (std::uint16_t i = 0; i < count && at + 2 + 12u * (i + 1u) <= bytes.size(); ++i) {
        char* entry = bytes.data() + at + 2 + 12u * i;
        std::uint16_t t = 0;
        std::memcpy(&t, entry, 2);
        if (t != tag) continue;
        std::memcpy(entry, &newTag, 2);
        writeBytes(path, bytes);
        return true;
    }
    return false;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

PageSpec markedPage(int mark, int width, int height) {
    PageSpec s;
    s.width = static_cast<std::uint32_t>(width);
    s.height = static_cast<std::uint32_t>(height);
    s.compression = COMPRESSION_CCITTFAX4;
    s.rowsPerStrip = s.height;
    s.xres = s.yres = 300;
    s.ink = mark > 0 ? Ink::Block : Ink::White;
    s.block = {mark, 8, 4, 4};
    return s;
}

PageSpec seededPage(int seed, int width, int height) {
    PageSpec s = markedPage(0, width, height);
    s.ink = Ink::Block;
    s.block = {20 + (seed * 7) % (width / 2), 20 + (seed * 5) % (height / 2), 30, 12};
    return s;
}

void writePage(const QString& path, const PageSpec& spec) {
    ASSERT_TRUE(writeTiff(nativePathString(path), {spec})) << path.toStdString();
}

void makeDataRunPastTheEnd(const QString& path) {
    TIFF* tif = openQuiet(QFile::encodeName(path).toStdString(), "r");
    ASSERT_NE(tif, nullptr);
    const std::uint64_t at = TIFFCurrentDirOffset(tif);
    ASSERT_FALSE(TIFFIsByteSwapped(tif) || TIFFIsBigTIFF(tif));
    TIFFClose(tif);
    QByteArray bytes = fileBytes(path);
    std::uint16_t entries = 0;
    std::memcpy(&entries, bytes.constData() + at, 2);
    for (std::uint16_t i = 0; i < entries; ++i) {
        char* entry = bytes.data() + at + 2 + 12u * i;
        std::uint16_t tag = 0;
        std::memcpy(&tag, entry, 2);
        if (tag != TIFFTAG_STRIPBYTECOUNTS) continue;
        const std::uint32_t count =
            static_cast<std::uint32_t>(bytes.size()) * 4;  // one strip, LONG
        std::memcpy(entry + 8, &count, 4);
        writeFile(path, bytes);
        return;
    }
    FAIL() << "no strip byte counts in " << path.toStdString();
}

namespace {

std::optional<QString> asciiOf(TIFF* tif, ttag_t tag) {
    char* text = nullptr;
    if (TIFFGetField(tif, tag, &text) != 1 || !text) return std::nullopt;
    return QString::fromLatin1(text);
}

}  // namespace

DiskPage readPage(const QString& path) {
    DiskPage page;
    TIFF* tif = openQuiet(QFile::encodeName(path).toStdString(), "r");
    if (!tif) return page;
    page.description = asciiOf(tif, TIFFTAG_IMAGEDESCRIPTION);
    page.model = asciiOf(tif, TIFFTAG_MODEL);
    std::uint16_t compression = 0, bits = 0, samples = 1, photometric = 0;
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    page.compression = compression;
    page.bits = bits * samples;
    page.width = static_cast<int>(width);
    page.height = static_cast<int>(height);

    // The mark: first dark pixel of row 9 (the block's rows), read as stored.
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tif)));
    bool ok = true;
    for (std::uint32_t y = 0; y < height && ok; ++y) {
        ok = TIFFReadScanline(tif, row.data(), y, 0) == 1;
        if (!ok || y != 9 || page.bits != 1) continue;
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool bit = (row[x / 8] >> (7 - x % 8)) & 1;
            if (photometric == PHOTOMETRIC_MINISWHITE ? bit : !bit) {
                page.mark = static_cast<int>(x);
                break;
            }
        }
    }
    page.readable = ok;
    TIFFClose(tif);
    return page;
}

std::optional<std::string> asciiTag(const QString& path, int tag) {
    TIFF* tif = openQuiet(QFile::encodeName(path).toStdString(), "r");
    if (!tif) return std::nullopt;
    char* text = nullptr;
    std::optional<std::string> result;
    if (TIFFGetField(tif, static_cast<ttag_t>(tag), &text) == 1 && text) result = text;
    TIFFClose(tif);
    return result;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

}  // namespace leafmark::testing
