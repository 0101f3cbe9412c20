#include "imaging/engine/TiffEncode.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace leafmark::imaging {

namespace {

bool isFaxFormat(int format) {
    return format == COMPRESSION_CCITTRLE || format == COMPRESSION_CCITTFAX3 ||
           format == COMPRESSION_CCITTFAX4;
}

bool isKnownFormat(int format) {
    return format == COMPRESSION_NONE || isFaxFormat(format) || format == COMPRESSION_LZW ||
           format == COMPRESSION_JPEG || format == COMPRESSION_ADOBE_DEFLATE ||
           format == COMPRESSION_PACKBITS;
}

int naturalBits(PIX* pix) {
    const int d = pixGetDepth(pix);
    if (d == 1) return 1;
    if (d == 32) return 24;
    if (d == 16) return 16;
    l_int32 colour = 0;
    if (PIXCMAP* cmap = pixGetColormap(pix)) pixcmapHasColor(cmap, &colour);
    return colour ? 24 : 8;
}

// An 8 bpp index image and its colormap holding exactly the page's colours, or
// a median-cut reduction when there are more than `maxColors`.
bool makePalette(PIX* rgb, int bits, EncodePlan& plan) {
    const int maxColors = 1 << bits;
    const l_int32 w = pixGetWidth(rgb), h = pixGetHeight(rgb), wpl = pixGetWpl(rgb);
    PixPtr idx(pixCreate(w, h, 8));
    if (!idx) return false;
    std::unordered_map<l_uint32, int> index;
    std::vector<l_uint32> colours;
    bool exact = true;
    const l_uint32* src = pixGetData(rgb);
    l_uint32* dst = pixGetData(idx.get());
    const l_int32 dwpl = pixGetWpl(idx.get());
    for (l_int32 y = 0; y < h && exact; ++y) {
        for (l_int32 x = 0; x < w; ++x) {
            const l_uint32 c = src[y * wpl + x] & 0xFFFFFF00u;
            auto it = index.find(c);
            if (it == index.end()) {
                if (static_cast<int>(colours.size()) == maxColors) {
                    exact = false;
                    break;
                }
                it = index.emplace(c, static_cast<int>(colours.size())).first;
                colours.push_back(c);
            }
            SET_DATA_BYTE(dst + y * dwpl, x, it->second);
        }
    }
    plan.colormap.assign(static_cast<std::size_t>(3 * maxColors), 0);
    if (exact) {
        for (std::size_t i = 0; i < colours.size(); ++i) {
            l_int32 r, g, b;
            extractRGBValues(colours[i], &r, &g, &b);
            plan.colormap[i] = static_cast<std::uint16_t>(r * 257);
            plan.colormap[maxColors + i] = static_cast<std::uint16_t>(g * 257);
            plan.colormap[2 * maxColors + i] = static_cast<std::uint16_t>(b * 257);
        }
        plan.work = std::move(idx);
        return true;
    }
    PixPtr q(pixMedianCutQuantGeneral(rgb, 0, 8, maxColors, 5, 1, 0));
    PIXCMAP* cmap = q ? pixGetColormap(q.get()) : nullptr;
    if (!cmap) return false;
    for (int i = 0; i < std::min(pixcmapGetCount(cmap), maxColors); ++i) {
        l_int32 r, g, b;
        pixcmapGetColor(cmap, i, &r, &g, &b);
        plan.colormap[i] = static_cast<std::uint16_t>(r * 257);
        plan.colormap[maxColors + i] = static_cast<std::uint16_t>(g * 257);
        plan.colormap[2 * maxColors + i] = static_cast<std::uint16_t>(b * 257);
    }
    pixDestroyColormap(q.get());
    plan.work = std::move(q);
    return true;
}

void packSample(std::uint8_t* row, std::uint32_t x, int bits, unsigned v) {
    switch (bits) {
        case 2:
            row[x >> 2] |= static_cast<std::uint8_t>((v & 3u) << (6 - 2 * (x & 3)));
            break;
        case 4:
            row[x >> 1] |= static_cast<std::uint8_t>((v & 15u) << (4 - 4 * (x & 1)));
            break;
        default:
            row[x] = static_cast<std::uint8_t>(v);
            break;
    }
}

void buildRow(const EncodePlan& plan, const l_uint32* line, std::uint32_t w, std::uint8_t* row,
              std::size_t rowBytes) {
    std::memset(row, 0, rowBytes);
    const int bps = plan.bitsPerSample;
    if (bps == 1) {
        const bool invert = plan.photometric == PHOTOMETRIC_MINISBLACK;  // PIX 1 = black
        for (std::uint32_t i = 0; i < (w + 7) / 8; ++i) {
            const unsigned b = GET_DATA_BYTE(line, i);
            row[i] = static_cast<std::uint8_t>(invert ? ~b : b);
        }
        if (w % 8) {  // padding bits are white in the file's sense
            const std::uint8_t pad = static_cast<std::uint8_t>(0xFFu >> (w % 8));
            row[w / 8] = invert ? (row[w / 8] | pad) : (row[w / 8] & ~pad);
        }
        return;
    }
    if (plan.samplesPerPixel >= 3) {
        const int spp = plan.samplesPerPixel;
        for (std::uint32_t x = 0; x < w; ++x) {
            l_int32 r, g, b;
            extractRGBValues(line[x], &r, &g, &b);
            std::uint8_t* p = row + static_cast<std::size_t>(x) * spp;
            p[0] = static_cast<std::uint8_t>(r);
            p[1] = static_cast<std::uint8_t>(g);
            p[2] = static_cast<std::uint8_t>(b);
            if (spp == 4) p[3] = 255;
        }
        return;
    }
    if (bps == 16 && pixGetDepth(plan.work.get()) == 16) {  // every bit of the page's samples
        for (std::uint32_t x = 0; x < w; ++x) {
            const auto s = static_cast<std::uint16_t>(GET_DATA_TWO_BYTES(line, x));
            std::memcpy(row + 2 * x, &s, 2);
        }
        return;
    }
    for (std::uint32_t x = 0; x < w; ++x) {
        const unsigned v = GET_DATA_BYTE(line, x);
        if (bps == 16) {
            const std::uint16_t s = static_cast<std::uint16_t>(v * 257u);
            std::memcpy(row + 2 * x, &s, 2);
        } else if (plan.photometric == PHOTOMETRIC_PALETTE) {
            packSample(row, x, bps, v);
        } else {
            packSample(row, x, bps, v >> (8 - bps));
        }
    }
}

}  // namespace

Status planEncoding(PIX* pix, int format, int bits, int bilevelPhotometric,
                    std::uint32_t group3Options, EncodePlan& plan) {
    if (!pix) {
        return Status::failure("there is no image to save");
    }
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        bits = naturalBits(pix);
    PixPtr base(pixGetColormap(pix) ? pixRemoveColormap(pix, REMOVE_CMAP_BASED_ON_SRC)
                                    : pixClone(pix));
    if (!base) {
        return Status::failure("not enough memory to prepare the page");
    }
    const bool colour = pixGetDepth(base.get()) == 32;
    plan.bitsPerSample = bits;
    plan.samplesPerPixel = 1;
    if (bits == 1) {
        plan.photometric = bilevelPhotometric == PHOTOMETRIC_MINISBLACK ? PHOTOMETRIC_MINISBLACK
                                                                        : PHOTOMETRIC_MINISWHITE;
        if (pixGetDepth(base.get()) == 1) {
            plan.work = std::move(base);
        } else {
            PixPtr gray(pixConvertTo8(base.get(), 0));
            plan.work.reset(gray ? pixThresholdToBinary(gray.get(), 128) : nullptr);
        }
    } else if (bits == 24 || bits == 32) {
        plan.bitsPerSample = 8;
        plan.samplesPerPixel = bits / 8;
        plan.photometric = PHOTOMETRIC_RGB;
        plan.work.reset(pixConvertTo32(base.get()));
    } else if (colour && bits <= 8) {
        plan.photometric = PHOTOMETRIC_PALETTE;
        if (!makePalette(base.get(), bits, plan)) plan.work.reset();
    } else {
        plan.photometric = PHOTOMETRIC_MINISBLACK;
        // A 16-bit page written at 16 bits keeps its samples; at fewer bits it
        // keeps their high byte.
        const int depth = pixGetDepth(base.get());
        plan.work.reset(depth == 8 || (depth == 16 && bits == 16) ? pixClone(base.get())
                                                                  : pixConvertTo8(base.get(), 0));
    }
    if (!plan.work) {
        return Status::failure("not enough memory to prepare the page");
    }
    int compression =
        isKnownFormat(format) && TIFFIsCODECConfigured(static_cast<std::uint16_t>(format))
            ? format
            : COMPRESSION_LZW;
    if (isFaxFormat(compression) && bits != 1) compression = COMPRESSION_LZW;
    const bool jpegable = bits == 24 || (bits == 8 && plan.photometric == PHOTOMETRIC_MINISBLACK);
    if (compression == COMPRESSION_JPEG && !jpegable) compression = COMPRESSION_LZW;
    plan.compression = compression;
    plan.group3Options = group3Options;
    return Status::success();
}

void setPixelTags(TIFF* out, const EncodePlan& plan) {
    PIX* pix = plan.work.get();
    const auto w = static_cast<std::uint32_t>(pixGetWidth(pix));
    const auto h = static_cast<std::uint32_t>(pixGetHeight(pix));
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, plan.bitsPerSample);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, plan.samplesPerPixel);
    TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(out, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(out, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(out, TIFFTAG_COMPRESSION, plan.compression);
    if (plan.samplesPerPixel == 4) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(out, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    std::uint32_t rows = TIFFDefaultStripSize(out, 0);
    if (plan.compression == COMPRESSION_JPEG) {
        TIFFSetField(out, TIFFTAG_JPEGQUALITY, 85);
        if (plan.samplesPerPixel == 3) {
            TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
            TIFFSetField(out, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        } else {
            TIFFSetField(out, TIFFTAG_PHOTOMETRIC, plan.photometric);
        }
        rows = std::max<std::uint32_t>(16, rows / 16 * 16);
    } else {
        TIFFSetField(out, TIFFTAG_PHOTOMETRIC, plan.photometric);
    }
    if (plan.compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(out, TIFFTAG_GROUP3OPTIONS, plan.group3Options);
    if (plan.compression == COMPRESSION_CCITTFAX3 || plan.compression == COMPRESSION_CCITTFAX4 ||
        plan.compression == COMPRESSION_CCITTRLE)
        rows = h;  // fax pages are traditionally one strip
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, std::min(std::max<std::uint32_t>(rows, 1), h));
    if (plan.photometric == PHOTOMETRIC_PALETTE) {
        const std::size_t n = plan.colormap.size() / 3;
        TIFFSetField(out, TIFFTAG_COLORMAP, plan.colormap.data(), plan.colormap.data() + n,
                     plan.colormap.data() + 2 * n);
    }
}

Status writePixels(TIFF* out, const EncodePlan& plan) {
    PIX* pix = plan.work.get();
    const auto w = static_cast<std::uint32_t>(pixGetWidth(pix));
    const auto h = static_cast<std::uint32_t>(pixGetHeight(pix));
    const tmsize_t rowBytes = TIFFScanlineSize(out);
    if (rowBytes <= 0) {
        return Status::failure("cannot work out the row size of the page");
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    const l_int32 wpl = pixGetWpl(pix);
    const l_uint32* data = pixGetData(pix);
    for (std::uint32_t y = 0; y < h; ++y) {
        buildRow(plan, data + static_cast<std::size_t>(y) * wpl, w, row.data(), row.size());
        if (TIFFWriteScanline(out, row.data(), y, 0) < 0) {
            return Status::failure("writing the page's pixels failed");
        }
    }
    return Status::success();
}

}  // namespace leafmark::imaging
