#include "imaging/engine/TiffDecode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace leafmark::imaging {

namespace {

enum class Layout { Bilevel, Gray, Rgb8, Generic };

// Budget taken for a page being decoded, given back unless handed on.
struct BudgetHold {
    ByteBudget& budget;
    std::uint64_t bytes;
    ~BudgetHold() { budget.release(bytes); }
};

struct PageGeometry {
    std::uint32_t width = 0, height = 0;
    std::uint16_t spp = 1, bps = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = 1;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT;
    std::uint16_t compression = COMPRESSION_NONE;
};

int roundDpi(float value, std::uint16_t unit) {
    if (!(value > 0.0f) || !std::isfinite(value) || unit == RESUNIT_NONE) return 0;
    double dpi = unit == RESUNIT_CENTIMETER ? value * 2.54 : value;
    return dpi > 100000.0 ? 0 : static_cast<int>(std::lround(dpi));
}

Layout chooseLayout(const PageGeometry& g) {
    bool grayPhoto =
        g.photometric == PHOTOMETRIC_MINISWHITE || g.photometric == PHOTOMETRIC_MINISBLACK;
    bool uintSamples = g.sampleFormat == SAMPLEFORMAT_UINT;
    if (g.spp == 1 && grayPhoto && uintSamples) {
        if (g.bps == 1) return Layout::Bilevel;
        if (g.bps == 2 || g.bps == 4 || g.bps == 8 || g.bps == 16) return Layout::Gray;
    }
    if (g.photometric == PHOTOMETRIC_RGB && g.bps == 8 && uintSamples &&
        (g.spp == 3 || g.spp == 4) && g.planar == PLANARCONFIG_CONTIG)
        return Layout::Rgb8;
    return Layout::Generic;
}

// Depth of the decoded page: 16-bit gray stays 16 bits, so that a page saved back
// keeps every bit of its samples; other gray depths are widened to 8.
int decodedDepth(Layout layout, const PageGeometry& g) {
    if (layout == Layout::Bilevel) return 1;
    if (layout == Layout::Gray) return g.bps == 16 ? 16 : 8;
    return 32;
}

// Converts one decoded row of the file into one row of the PIX.
void convertRow(Layout layout, const PageGeometry& g, const std::uint8_t* src, l_uint32* line) {
    const std::uint32_t w = g.width;
    if (layout == Layout::Bilevel) {
        const bool invert = g.photometric == PHOTOMETRIC_MINISBLACK;  // file 0 = black
        for (std::uint32_t i = 0; i < (w + 7) / 8; ++i)
            SET_DATA_BYTE(line, i, invert ? static_cast<std::uint8_t>(~src[i]) : src[i]);
        return;
    }
    if (layout == Layout::Gray) {
        const bool white0 = g.photometric == PHOTOMETRIC_MINISWHITE;
        for (std::uint32_t x = 0; x < w; ++x) {
            if (g.bps == 16) {  // kept whole, already in host order
                std::uint16_t s;
                std::memcpy(&s, src + 2 * x, 2);
                SET_DATA_TWO_BYTES(line, x, white0 ? 0xFFFFu - s : s);
                continue;
            }
            unsigned v;
            switch (g.bps) {
                case 2:
                    v = ((src[x >> 2] >> (6 - 2 * (x & 3))) & 3u) * 85u;
                    break;
                case 4:
                    v = ((src[x >> 1] >> (4 - 4 * (x & 1))) & 15u) * 17u;
                    break;
                default:
                    v = src[x];
                    break;
            }
            SET_DATA_BYTE(line, x, white0 ? 255u - v : v);
        }
        return;
    }
    for (std::uint32_t x = 0; x < w; ++x) {  // Rgb8: alpha, when present, is dropped
        const std::uint8_t* p = src + static_cast<std::size_t>(x) * g.spp;
        composeRGBPixel(p[0], p[1], p[2], line + x);
    }
}

// Reads the page band by band (a strip, or a row of tiles) and converts each
// row. Bands that fail to decode keep what the codec produced; libtiff's
// messages say what went wrong.
Status readBands(TIFF* tif, Layout layout, const PageGeometry& g, PIX* pix) {
    const tmsize_t rowBytes = TIFFScanlineSize(tif);
    if (rowBytes <= 0) return Status::failure("Cannot work out the size of a row of the page");
    const bool tiled = TIFFIsTiled(tif);
    std::uint32_t bandRows = 0, tileW = 0;
    if (tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileW);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &bandRows);
        if (tileW == 0 || bandRows == 0)
            return Status::failure("The page's tile size is missing or zero");
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &bandRows);
    }
    bandRows = std::clamp<std::uint32_t>(bandRows, 1, g.height);
    // A strip of many megabytes is read a row at a time, so the file's own layout
    // never needs a second page-sized buffer beside the decoded page.
    constexpr std::uint64_t kMaxBandBytes = 8u << 20;
    const bool byRow = !tiled && static_cast<std::uint64_t>(rowBytes) * bandRows > kMaxBandBytes;
    if (byRow) bandRows = 1;
    bool rowFailed = false;
    // The band buffer, white in the file's own sense so that undecoded rows stay white.
    const std::uint8_t fill = (layout == Layout::Bilevel || layout == Layout::Gray) &&
                                      g.photometric == PHOTOMETRIC_MINISWHITE
                                  ? 0x00
                                  : 0xFF;
    std::vector<std::uint8_t> band(static_cast<std::size_t>(rowBytes) * bandRows);
    std::vector<std::uint8_t> tile;
    tmsize_t tileRowBytes = 0;
    if (tiled) {
        tile.resize(static_cast<std::size_t>(TIFFTileSize(tif)));
        tileRowBytes = TIFFTileRowSize(tif);
        if (tile.empty() || tileRowBytes <= 0)
            return Status::failure("Cannot work out the size of a tile of the page");
    }
    const l_int32 wpl = pixGetWpl(pix);
    l_uint32* data = pixGetData(pix);
    for (std::uint32_t y0 = 0; y0 < g.height; y0 += bandRows) {
        const std::uint32_t rows = std::min(bandRows, g.height - y0);
        std::fill(band.begin(), band.end(), fill);
        if (byRow) {
            // After a row that fails, the rest stays white: retrying would read
            // the whole strip again for every row.
            if (!rowFailed) rowFailed = TIFFReadScanline(tif, band.data(), y0, 0) < 0;
        } else if (!tiled) {
            TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y0, 0), band.data(),
                                 static_cast<tmsize_t>(rows) * rowBytes);
        } else {
            for (std::uint32_t x0 = 0; x0 < g.width; x0 += tileW) {
                std::fill(tile.begin(), tile.end(), fill);
                TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, 0), tile.data(),
                                    static_cast<tmsize_t>(tile.size()));
                // Tile widths are multiples of 16, so a tile starts on a byte boundary.
                const std::size_t xoff = static_cast<std::size_t>(x0) * g.spp * g.bps / 8;
                const std::size_t n =
                    std::min<std::size_t>(static_cast<std::size_t>(tileRowBytes),
                                          static_cast<std::size_t>(rowBytes) - xoff);
                for (std::uint32_t r = 0; r < rows; ++r)
                    std::memcpy(band.data() + r * rowBytes + xoff, tile.data() + r * tileRowBytes,
                                n);
            }
        }
        for (std::uint32_t r = 0; r < rows; ++r)
            convertRow(layout, g, band.data() + r * rowBytes,
                       data + static_cast<std::size_t>(y0 + r) * wpl);
    }
    if (layout == Layout::Bilevel) pixSetPadBits(pix, 0);
    return Status::success();
}

// Every other layout goes through libtiff's RGBA reader (palette, CMYK, YCbCr,
// 16-bit colour, gray with alpha, ...), in stored row order.
Status readGeneric(TIFF* tif, const PageGeometry& g, PixPtr& pix) {
    char emsg[1024] = {};
    if (!TIFFRGBAImageOK(tif, emsg))
        return Status::failure(std::string("Unsupported page layout: ") + emsg);
    TIFFRGBAImage img{};
    if (!TIFFRGBAImageBegin(&img, tif, 0, emsg))
        return Status::failure(std::string("Cannot decode the page: ") + emsg);
    img.req_orientation = ORIENTATION_TOPLEFT;
    img.orientation = ORIENTATION_TOPLEFT;  // orientation is applied afterwards for every layout
    pix.reset(pixCreate(static_cast<l_int32>(g.width), static_cast<l_int32>(g.height), 32));
    if (!pix) {
        TIFFRGBAImageEnd(&img);
        return Status::failure("Not enough memory for the page");
    }
    auto* raster = reinterpret_cast<std::uint32_t*>(pixGetData(pix.get()));
    const std::size_t count = static_cast<std::size_t>(g.width) * g.height;
    std::fill(raster, raster + count, 0xFFFFFFFFu);
    TIFFRGBAImageGet(&img, raster, g.width, g.height);
    TIFFRGBAImageEnd(&img);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = raster[i];
        l_uint32 out;
        composeRGBPixel(static_cast<l_int32>(TIFFGetR(p)), static_cast<l_int32>(TIFFGetG(p)),
                        static_cast<l_int32>(TIFFGetB(p)), &out);
        raster[i] = out;
    }
    return Status::success();
}

PixPtr applyOrientation(PixPtr pix, std::uint16_t orientation) {
    PIX* p = pix.get();
    switch (orientation) {
        case ORIENTATION_TOPRIGHT:
            return PixPtr(pixFlipLR(nullptr, p));
        case ORIENTATION_BOTRIGHT:
            return PixPtr(pixRotate180(nullptr, p));
        case ORIENTATION_BOTLEFT:
            return PixPtr(pixFlipTB(nullptr, p));
        case ORIENTATION_LEFTTOP: {  // stored rows are the visual columns: a transpose
            PixPtr cw(pixRotate90(p, 1));
            return PixPtr(cw ? pixFlipLR(nullptr, cw.get()) : nullptr);
        }
        case ORIENTATION_RIGHTTOP:
            return PixPtr(pixRotate90(p, 1));
        case ORIENTATION_RIGHTBOT: {
            PixPtr cw(pixRotate90(p, 1));
            return PixPtr(cw ? pixFlipTB(nullptr, cw.get()) : nullptr);
        }
        case ORIENTATION_LEFTBOT:
            return PixPtr(pixRotate90(p, -1));
        default:
            return pix;
    }
}

bool turnsPage(std::uint16_t orientation) {
    return orientation >= ORIENTATION_LEFTTOP && orientation <= 8;
}

PageGeometry readGeometry(TIFF* tif) {
    PageGeometry g;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &g.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &g.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &g.spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &g.bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &g.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &g.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &g.orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &g.compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &g.photometric))
        g.photometric = g.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    return g;
}

// Lets reads run past a truncated end (as zeros, bounded) and says whether the
// page's data reaches beyond the end of the file.
// Where the page's data ends, counting only strips or tiles that start inside the file.
std::uint64_t dataEnd(TIFF* tif, std::uint64_t fileSize) {
    const std::uint32_t n = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t end = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint64_t off = TIFFGetStrileOffset(tif, i), count = TIFFGetStrileByteCount(tif, i);
        if (off < fileSize)
            end = std::max(end, off + std::min<std::uint64_t>(count, UINT64_MAX - off));
    }
    return end;
}

bool prepareForTruncation(TIFF* tif, TiffReadFile& file, const PageGeometry& g) {
    const std::uint64_t end = dataEnd(tif, file.realSize);
    if (end <= file.realSize) return false;
    const std::uint64_t page = static_cast<std::uint64_t>(g.width) * g.height * g.spp * g.bps / 8;
    file.virtualSize = file.realSize + std::min(end - file.realSize, page + (1u << 20));
    return true;
}

}  // namespace

std::optional<std::string> truncationOf(TIFF* tif, std::uint64_t fileSize) {
    if (dataEnd(tif, fileSize) <= fileSize) return std::nullopt;
    return "The file is truncated: the page data ends early";
}

void readDirectoryInfo(TIFF* tif, FileInfo& info) {
    PageGeometry g = readGeometry(tif);
    info.format = g.compression;
    info.bitDepth = g.bps * g.spp;
    info.width = static_cast<int>(std::min<std::uint32_t>(g.width, 0x7fffffff));
    info.height = static_cast<int>(std::min<std::uint32_t>(g.height, 0x7fffffff));
    float xr = 0, yr = 0;
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xr)) info.xResolution = roundDpi(xr, unit);
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yr)) info.yResolution = roundDpi(yr, unit);
    if (turnsPage(g.orientation)) {
        std::swap(info.width, info.height);
        std::swap(info.xResolution, info.yResolution);
    }
}

Status pageAcceptable(TIFF* tif, std::uint64_t limit, std::uint64_t* bytesOut) {
    if (Status size = pageSizeAcceptable(tif); !size) return size;
    const PageGeometry g = readGeometry(tif);
    if (!TIFFIsCODECConfigured(g.compression)) {
        return Status::failure("Unsupported compression (code " + std::to_string(g.compression) +
                               ")");
    }
    const Layout layout = chooseLayout(g);
    const int depth = decodedDepth(layout, g);
    const std::uint64_t bytes = decodedPageBytes(g.width, g.height, static_cast<unsigned>(depth));
    if (bytes > limit) {
        return Status::failure("The page is too large: " + std::to_string(g.width) + " x " +
                               std::to_string(g.height) + " pixels take " +
                               std::to_string(bytes / (1024 * 1024)) + " MiB (at most " +
                               std::to_string(limit / (1024 * 1024)) + " MiB are accepted)");
    }
    if (bytesOut) *bytesOut = bytes;
    return Status::success();
}

Status decodeCurrentPage(TiffReader& r, DecodedPage& out, ByteBudget& budget) {
    TIFF* tif = r.tiff.get();
    std::uint64_t bytes = 0;
    if (Status acceptable = pageAcceptable(tif, budget.limit(), &bytes); !acceptable)
        return acceptable;
    const PageGeometry g = readGeometry(tif);
    readDirectoryInfo(tif, out.info);
    out.photometric = g.photometric;
    const Layout layout = chooseLayout(g);
    out.narrowed = g.bps > 8 && decodedDepth(layout, g) != 16;
    const int depth = decodedDepth(layout, g);
    budget.acquire(bytes);
    BudgetHold hold{budget, bytes};
    const bool truncated = prepareForTruncation(tif, *r.file, g);
    PixPtr pix;
    if (layout == Layout::Generic) {
        if (Status read = readGeneric(tif, g, pix); !read) return read;
    } else {
        pix.reset(pixCreate(static_cast<l_int32>(g.width), static_cast<l_int32>(g.height), depth));
        if (!pix) {
            return Status::failure("Not enough memory for the page");
        }
        if (Status read = readBands(tif, layout, g, pix.get()); !read) return read;
    }
    pix = applyOrientation(std::move(pix), g.orientation);
    if (!pix) {
        return Status::failure("Not enough memory to turn the page upright");
    }
    pixSetResolution(pix.get(), out.info.xResolution, out.info.yResolution);
    out.pix = std::move(pix);
    out.reserved = hold.bytes;
    hold.bytes = 0;  // now held by the page

    // Any error libtiff reported for this file (while reading its directory or
    // decoding) means some of what is shown may be wrong.
    const auto& errors = r.messages().errors;
    if (!errors.empty() || truncated) {
        out.damaged = true;
        out.damageReason = errors.empty() ? "The file is truncated: the page data ends early"
                           : truncated    ? "The file is truncated (" + errors.front() + ")"
                                          : errors.front();
    }
    return Status::success();
}

Status decodeIntactPage(TiffReader& r, DecodedPage& out) {
    ByteBudget budget;  // one page at a time: the page's own budget is enough
    if (Status decoded = decodeCurrentPage(r, out, budget); !decoded) return decoded;
    if (out.damaged) {
        return Status::failure("the page is damaged: " + out.damageReason);
    }
    return Status::success();
}

}  // namespace leafmark::imaging
