#include "imaging/engine/TiffTags.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/engine/PageEngine.h"

namespace leafmark::imaging {

namespace {

// How a standard tag's value is passed to TIFFGetField / TIFFSetField.
enum class Kind {
    U16,
    U32,
    Float,
    Double,
    U16Pair,
    FloatArray6,
    ColorMap,
    ExtraSamples,
    Transfer,
    Bytes
};

struct StdTag {
    std::uint32_t tag;
    Kind kind;
    bool pixel;  // describes the pixel data: rewritten on a re-encoded page, copied on a raw one
};

// Compression comes first so that the codec's own tags are known when they follow.
constexpr StdTag kStdTags[] = {
    {TIFFTAG_COMPRESSION, Kind::U16, true},
    {TIFFTAG_IMAGEWIDTH, Kind::U32, true},
    {TIFFTAG_IMAGELENGTH, Kind::U32, true},
    {TIFFTAG_BITSPERSAMPLE, Kind::U16, true},
    {TIFFTAG_SAMPLESPERPIXEL, Kind::U16, true},
    {TIFFTAG_PHOTOMETRIC, Kind::U16, true},
    {TIFFTAG_FILLORDER, Kind::U16, true},
    {TIFFTAG_ORIENTATION, Kind::U16, true},
    {TIFFTAG_PLANARCONFIG, Kind::U16, true},
    {TIFFTAG_ROWSPERSTRIP, Kind::U32, true},
    {TIFFTAG_TILEWIDTH, Kind::U32, true},
    {TIFFTAG_TILELENGTH, Kind::U32, true},
    {TIFFTAG_MINSAMPLEVALUE, Kind::U16, true},
    {TIFFTAG_MAXSAMPLEVALUE, Kind::U16, true},
    {TIFFTAG_SMINSAMPLEVALUE, Kind::Double, true},
    {TIFFTAG_SMAXSAMPLEVALUE, Kind::Double, true},
    {TIFFTAG_SAMPLEFORMAT, Kind::U16, true},
    {TIFFTAG_COLORMAP, Kind::ColorMap, true},
    {TIFFTAG_EXTRASAMPLES, Kind::ExtraSamples, true},
    {TIFFTAG_YCBCRSUBSAMPLING, Kind::U16Pair, true},
    {TIFFTAG_YCBCRPOSITIONING, Kind::U16, true},
    {TIFFTAG_REFERENCEBLACKWHITE, Kind::FloatArray6, true},
    {TIFFTAG_TRANSFERFUNCTION, Kind::Transfer, true},
    {TIFFTAG_PREDICTOR, Kind::U16, true},
    {TIFFTAG_GROUP3OPTIONS, Kind::U32, true},
    {TIFFTAG_GROUP4OPTIONS, Kind::U32, true},
    {TIFFTAG_JPEGTABLES, Kind::Bytes, true},
    {TIFFTAG_IMAGEDEPTH, Kind::U32, true},
    {TIFFTAG_TILEDEPTH, Kind::U32, true},
    {TIFFTAG_SUBFILETYPE, Kind::U32, false},
    {TIFFTAG_THRESHHOLDING, Kind::U16, false},
    {TIFFTAG_XRESOLUTION, Kind::Float, false},
    {TIFFTAG_YRESOLUTION, Kind::Float, false},
    {TIFFTAG_RESOLUTIONUNIT, Kind::U16, false},
    {TIFFTAG_XPOSITION, Kind::Float, false},
    {TIFFTAG_YPOSITION, Kind::Float, false},
    {TIFFTAG_PAGENUMBER, Kind::U16Pair, false},
    {TIFFTAG_HALFTONEHINTS, Kind::U16Pair, false},
};

// Tags whose value is an offset to another directory of the old file; copied
// as plain numbers they would point at nothing in the new file.
bool isDirectoryPointer(std::uint32_t tag) {
    return tag == TIFFTAG_SUBIFD || tag == TIFFTAG_EXIFIFD || tag == TIFFTAG_GPSIFD ||
           tag == TIFFTAG_INTEROPERABILITYIFD;
}

void copyStdTag(TIFF* in, TIFF* out, const StdTag& t) {
    if (!TIFFFindField(in, t.tag, TIFF_ANY)) return;  // a codec tag of another codec
    switch (t.kind) {
        case Kind::U16: {
            std::uint16_t v;
            if (TIFFGetField(in, t.tag, &v)) TIFFSetField(out, t.tag, v);
            break;
        }
        case Kind::U32: {
            std::uint32_t v;
            if (TIFFGetField(in, t.tag, &v)) TIFFSetField(out, t.tag, v);
            break;
        }
        case Kind::Float: {
            float v;
            if (TIFFGetField(in, t.tag, &v)) TIFFSetField(out, t.tag, static_cast<double>(v));
            break;
        }
        case Kind::Double: {
            double v;
            if (TIFFGetField(in, t.tag, &v)) TIFFSetField(out, t.tag, v);
            break;
        }
        case Kind::U16Pair: {
            std::uint16_t a, b;
            if (TIFFGetField(in, t.tag, &a, &b)) TIFFSetField(out, t.tag, a, b);
            break;
        }
        case Kind::FloatArray6: {
            float* v;
            if (TIFFGetField(in, t.tag, &v)) TIFFSetField(out, t.tag, v);
            break;
        }
        case Kind::ColorMap:
        case Kind::Transfer: {  // three tables each
            std::uint16_t *r, *g, *b;
            if (TIFFGetField(in, t.tag, &r, &g, &b)) TIFFSetField(out, t.tag, r, g, b);
            break;
        }
        case Kind::ExtraSamples: {
            std::uint16_t n, *v;
            if (TIFFGetField(in, t.tag, &n, &v)) TIFFSetField(out, t.tag, n, v);
            break;
        }
        case Kind::Bytes: {
            std::uint32_t n;
            void* v;
            if (TIFFGetField(in, t.tag, &n, &v)) TIFFSetField(out, t.tag, n, v);
            break;
        }
    }
}

// Makes a tag libtiff does not know (a private tag) writable in `out`, with the
// same shape libtiff gave it when reading.
void registerUnknownTag(TIFF* out, const TIFFField* fip, std::uint32_t tag) {
    if (TIFFFindField(out, tag, TIFF_ANY)) return;
    static char name[] = "private tag";
    TIFFFieldInfo info{};
    info.field_tag = tag;
    info.field_readcount = TIFF_VARIABLE2;
    info.field_writecount = TIFF_VARIABLE2;
    info.field_type = TIFFFieldDataType(fip);
    info.field_bit = FIELD_CUSTOM;
    info.field_oktochange = 1;
    info.field_passcount = 1;
    info.field_name = name;
    TIFFMergeFieldInfo(out, &info, 1);
}

void copyCustomTag(TIFF* in, TIFF* out, std::uint32_t tag) {
    const TIFFField* fip = TIFFFindField(in, tag, TIFF_ANY);
    if (!fip) return;
    if (TIFFFieldIsAnonymous(fip)) registerUnknownTag(out, fip, tag);
    const TIFFDataType type = TIFFFieldDataType(fip);
    if (TIFFFieldPassCount(fip)) {
        void* data = nullptr;
        if (TIFFFieldReadCount(fip) == TIFF_VARIABLE2) {
            std::uint32_t n = 0;
            if (TIFFGetField(in, tag, &n, &data)) TIFFSetField(out, tag, n, data);
        } else {
            std::uint16_t n = 0;
            if (TIFFGetField(in, tag, &n, &data)) TIFFSetField(out, tag, static_cast<int>(n), data);
        }
    } else if (type == TIFF_ASCII || TIFFFieldReadCount(fip) != 1) {
        void* data = nullptr;
        if (TIFFGetField(in, tag, &data)) TIFFSetField(out, tag, data);
    } else {
        alignas(8) unsigned char value[16] = {};
        if (!TIFFGetField(in, tag, value)) return;
        const int size = TIFFFieldSetGetSize(fip);
        switch (type) {
            case TIFF_RATIONAL:
            case TIFF_SRATIONAL:
            case TIFF_FLOAT:
            case TIFF_DOUBLE:
                if (size == 8) {
                    double d;
                    std::memcpy(&d, value, 8);
                    TIFFSetField(out, tag, d);
                } else {
                    float f;
                    std::memcpy(&f, value, 4);
                    TIFFSetField(out, tag, static_cast<double>(f));
                }
                break;
            case TIFF_BYTE:
            case TIFF_SBYTE:
            case TIFF_UNDEFINED:
                TIFFSetField(out, tag, static_cast<int>(value[0]));
                break;
            case TIFF_SHORT:
            case TIFF_SSHORT: {
                std::uint16_t v;
                std::memcpy(&v, value, 2);
                TIFFSetField(out, tag, static_cast<int>(v));
                break;
            }
            case TIFF_LONG:
            case TIFF_SLONG:
            case TIFF_IFD: {
                std::uint32_t v;
                std::memcpy(&v, value, 4);
                TIFFSetField(out, tag, v);
                break;
            }
            default: {
                std::uint64_t v;
                std::memcpy(&v, value, 8);
                TIFFSetField(out, tag, v);
                break;
            }
        }
    }
}

void copyCustomTags(TIFF* in, TIFF* out, bool withComments) {
    const int count = TIFFGetTagListCount(in);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t tag = TIFFGetTagListEntry(in, i);
        if (isDirectoryPointer(tag) || (!withComments && isCommentTag(tag))) continue;
        copyCustomTag(in, out, tag);
    }
}

}  // namespace

bool isCommentTag(std::uint32_t tag) {
    return std::find(kCommentTags.begin(), kCommentTags.end(), tag) != kCommentTags.end();
}

void copyDescriptiveTags(TIFF* in, TIFF* out) {
    for (const StdTag& t : kStdTags)
        if (!t.pixel) copyStdTag(in, out, t);
    copyCustomTags(in, out, false);
}

Status copyDirectoryRaw(TIFF* in, TIFF* out) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(in, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_OJPEG) {
        return Status::failure(
            "a later page uses old-style JPEG compression, which cannot be carried over");
    }
    for (const StdTag& t : kStdTags) copyStdTag(in, out, t);
    copyCustomTags(in, out, true);

    const bool tiled = TIFFIsTiled(in);
    const std::uint32_t n = tiled ? TIFFNumberOfTiles(in) : TIFFNumberOfStrips(in);
    // A block is never given more memory than the file can hold from its offset.
    const std::uint64_t fileSize = TIFFGetSizeProc(in)(TIFFClientdata(in));
    std::vector<unsigned char> buf;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint64_t size = TIFFGetStrileByteCount(in, i);
        const std::uint64_t offset = TIFFGetStrileOffset(in, i);
        if (size > 0 && (offset > fileSize || size > fileSize - offset)) {
            return Status::failure(
                "a later page of the file is damaged and cannot be carried over");
        }
        if (size > (1ull << 31)) {
            return Status::failure("a later page has a block of data too large to copy");
        }
        buf.resize(static_cast<std::size_t>(size));
        const tmsize_t got = size == 0 ? 0
                             : tiled
                                 ? TIFFReadRawTile(in, i, buf.data(), static_cast<tmsize_t>(size))
                                 : TIFFReadRawStrip(in, i, buf.data(), static_cast<tmsize_t>(size));
        if (got < 0) {
            return Status::failure(
                "a later page of the file is damaged and cannot be carried over");
        }
        const tmsize_t put = tiled ? TIFFWriteRawTile(out, i, buf.data(), got)
                                   : TIFFWriteRawStrip(out, i, buf.data(), got);
        if (put != got) {
            return Status::failure("writing a later page failed");
        }
    }
    if (!TIFFWriteDirectory(out)) {
        return Status::failure("writing a later page's directory failed");
    }
    return Status::success();
}

}  // namespace leafmark::imaging
