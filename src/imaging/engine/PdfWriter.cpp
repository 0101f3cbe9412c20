#include "imaging/engine/PdfWriter.h"

#include <unistd.h>
#include <zlib.h>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "imaging/engine/MemoryTiff.h"
#include "imaging/engine/OutputFile.h"
#include "imaging/engine/TiffDecode.h"
#include "imaging/engine/TiffHandle.h"

namespace leafmark::imaging {

namespace {

// One page's image, ready to be written as an image object.
struct PdfImage {
    int width = 0, height = 0;
    int xDpi = 0, yDpi = 0;
    const char* colorSpace = "/DeviceGray";
    int bitsPerComponent = 8;
    std::string filter;  // "/CCITTFaxDecode", "/DCTDecode", "/FlateDecode"
    std::string decodeParms;
    std::vector<unsigned char> data;
};

// A number in PDF syntax, whatever the process locale says about decimal points.
std::string num(double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
    std::string s(buf, r.ptr);
    while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
        const bool dot = s.back() == '.';
        s.pop_back();
        if (dot) break;
    }
    return s;
}

// The strip of a Group 4 page that a PDF reader can take as it is: one strip,
// standard bit order, upright, no uncompressed mode.
bool copyableGroup4(TIFF* tif, bool& blackIs1) {
    std::uint16_t compression = 0, bps = 1, spp = 1, photometric = 0, fill = FILLORDER_MSB2LSB,
                  orientation = ORIENTATION_TOPLEFT;
    std::uint32_t options = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    if (compression != COMPRESSION_CCITTFAX4 || bps != 1 || spp != 1 || fill != FILLORDER_MSB2LSB ||
        orientation != ORIENTATION_TOPLEFT || TIFFIsTiled(tif) || TIFFNumberOfStrips(tif) != 1)
        return false;
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) ||
        (photometric != PHOTOMETRIC_MINISWHITE && photometric != PHOTOMETRIC_MINISBLACK))
        return false;
    if (TIFFGetField(tif, TIFFTAG_GROUP4OPTIONS, &options) && options != 0) return false;
    blackIs1 = photometric == PHOTOMETRIC_MINISBLACK;  // the coded "black" runs are the 1 bits
    return true;
}

std::string faxParms(int width, int height, bool blackIs1) {
    return "<< /K -1 /Columns " + std::to_string(width) + " /Rows " + std::to_string(height) +
           " /BlackIs1 " + (blackIs1 ? "true" : "false") + " >>";
}

bool deflate(const std::vector<unsigned char>& raw, std::vector<unsigned char>& out) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    out.resize(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;
    out.resize(size);
    return true;
}

// Image of a decoded page (1 bpp, 8 or 16 bpp gray, or 32 bpp RGB).
Status imageFromPix(PIX* pix, bool storedAsJpeg, PdfImage& img) {
    if (pixGetDepth(pix) == 16) {
        // A 16-bit gray page is shown in the document at 8 bits; its file keeps all 16.
        PixPtr gray(pixConvert16To8(pix, L_MS_BYTE));
        if (!gray) return Status::failure("not enough memory to prepare the page");
        return imageFromPix(gray.get(), storedAsJpeg, img);
    }
    img.width = pixGetWidth(pix);
    img.height = pixGetHeight(pix);
    const int depth = pixGetDepth(pix);
    if (depth == 1) {
        if (Status coded = encodeGroup4Strip(pix, img.data); !coded) return coded;
        img.bitsPerComponent = 1;
        img.filter = "/CCITTFaxDecode";
        img.decodeParms = faxParms(img.width, img.height, false);
        return Status::success();
    }
    img.colorSpace = depth == 32 ? "/DeviceRGB" : "/DeviceGray";
    if (storedAsJpeg) {
        l_uint8* bytes = nullptr;
        size_t size = 0;
        if (pixWriteMemJpeg(&bytes, &size, pix, 90, 0) == 0 && bytes) {
            img.data.assign(bytes, bytes + size);
            lept_free(bytes);
            img.filter = "/DCTDecode";
            return Status::success();
        }
    }
    const int channels = depth == 32 ? 3 : 1;
    std::vector<unsigned char> raw(static_cast<std::size_t>(img.width) * img.height * channels);
    unsigned char* p = raw.data();
    for (int y = 0; y < img.height; ++y) {
        const l_uint32* line = pixGetData(pix) + static_cast<std::size_t>(y) * pixGetWpl(pix);
        for (int x = 0; x < img.width; ++x) {
            if (channels == 1) {
                *p++ = static_cast<unsigned char>(GET_DATA_BYTE(line, x));
            } else {
                l_int32 r, g, b;
                extractRGBValues(line[x], &r, &g, &b);
                *p++ = static_cast<unsigned char>(r);
                *p++ = static_cast<unsigned char>(g);
                *p++ = static_cast<unsigned char>(b);
            }
        }
    }
    if (!deflate(raw, img.data)) {
        return Status::failure("compressing the page failed");
    }
    img.filter = "/FlateDecode";
    return Status::success();
}

Status loadImage(const std::string& file, PdfImage& img) {
    TiffReader r = openTiffForReading(file);
    if (!r.tiff) return r.status;
    TIFF* tif = r.tiff.get();
    FileInfo info;
    readDirectoryInfo(tif, info);
    img.xDpi = info.xResolution > 0 ? info.xResolution : kPdfFallbackDpi;
    img.yDpi = info.yResolution > 0 ? info.yResolution : kPdfFallbackDpi;
    bool blackIs1 = false;
    if (copyableGroup4(tif, blackIs1)) {
        const std::uint64_t size = TIFFGetStrileByteCount(tif, 0);
        if (size > 0 && size < (1ull << 31)) {
            img.data.resize(static_cast<std::size_t>(size));
            const tmsize_t got =
                TIFFReadRawStrip(tif, 0, img.data.data(), static_cast<tmsize_t>(size));
            if (got == static_cast<tmsize_t>(size) &&
                r.file->realSize >= TIFFGetStrileOffset(tif, 0) + size) {
                img.width = info.width;
                img.height = info.height;
                img.bitsPerComponent = 1;
                img.filter = "/CCITTFaxDecode";
                img.decodeParms = faxParms(img.width, img.height, blackIs1);
                return Status::success();
            }
        }
        img.data.clear();  // a short strip is decoded below, which reports the damage
    }
    DecodedPage page;
    if (Status decoded = decodeIntactPage(r, page); !decoded) return decoded;
    return imageFromPix(page.pix.get(), info.format == COMPRESSION_JPEG, img);
}

// Writes the PDF objects to a stdio stream, keeping each object's offset.
class PdfStream {
  public:
    explicit PdfStream(std::FILE* f) : f_(f) {}
    void put(const std::string& s) { put(s.data(), s.size()); }
    void put(const void* p, std::size_t n) {
        if (n && std::fwrite(p, 1, n, f_) != n) failed_ = true;
        pos_ += n;
    }
    void begin(int object) {
        if (offsets_.size() < static_cast<std::size_t>(object + 1))
            offsets_.resize(static_cast<std::size_t>(object + 1));
        offsets_[static_cast<std::size_t>(object)] = pos_;
        put(std::to_string(object) + " 0 obj\n");
    }
    void end() { put("endobj\n"); }
    void stream(const std::string& dict, const void* data, std::size_t n) {
        put("<< " + dict + " /Length " + std::to_string(n) + " >>\nstream\n");
        put(data, n);
        put("\nendstream\n");
    }
    void finish(int objects) {
        const std::size_t xref = pos_;
        put("xref\n0 " + std::to_string(objects) + "\n0000000000 65535 f \n");
        for (int i = 1; i < objects; ++i) {
            char line[24];
            std::snprintf(line, sizeof line, "%010zu 00000 n \n",
                          offsets_[static_cast<std::size_t>(i)]);
            put(line, 20);
        }
        put("trailer\n<< /Size " + std::to_string(objects) + " /Root 1 0 R >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n");
    }
    bool failed() const { return failed_; }

  private:
    std::FILE* f_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    std::vector<std::size_t> offsets_;
};

}  // namespace

Status writePagesToPdf(const std::vector<std::string>& pages, const std::string& path,
                       bool replace) {
    if (pages.empty()) return Status::failure("Cannot write " + path + ": there are no pages");
    OutputFile out;
    if (Status s = out.open(path); !s) return s;
    std::FILE* f = ::fdopen(::dup(out.fd()), "wb");
    if (!f) return Status::failure("Cannot write " + path + ": " + errnoText(errno));
    PdfStream pdf(f);
    pdf.put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    pdf.begin(1);
    pdf.put("<< /Type /Catalog /Pages 2 0 R >>\n");
    pdf.end();
    pdf.begin(2);
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i) kids += std::to_string(3 + 3 * i) + " 0 R ";
    pdf.put("<< /Type /Pages /Count " + std::to_string(pages.size()) + " /Kids [ " + kids +
            "] >>\n");
    pdf.end();

    for (std::size_t i = 0; i < pages.size(); ++i) {
        PdfImage img;
        if (Status loaded = loadImage(pages[i], img); !loaded) {
            std::fclose(f);
            return Status::failure("Cannot write " + path + ": " + pages[i] + ": " +
                                   loaded.reason());
        }
        const double w = img.width * 72.0 / img.xDpi, h = img.height * 72.0 / img.yDpi;
        const int page = static_cast<int>(3 + 3 * i);
        pdf.begin(page);
        pdf.put("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(w) + " " + num(h) +
                "] /Contents " + std::to_string(page + 1) + " 0 R /Resources << /XObject << /Im0 " +
                std::to_string(page + 2) + " 0 R >> >> >>\n");
        pdf.end();
        const std::string draw = "q " + num(w) + " 0 0 " + num(h) + " 0 0 cm /Im0 Do Q";
        pdf.begin(page + 1);
        pdf.stream("", draw.data(), draw.size());
        pdf.end();
        pdf.begin(page + 2);
        std::string dict = "/Type /XObject /Subtype /Image /Width " + std::to_string(img.width) +
                           " /Height " + std::to_string(img.height) + " /ColorSpace " +
                           img.colorSpace + " /BitsPerComponent " +
                           std::to_string(img.bitsPerComponent) + " /Filter " + img.filter;
        if (!img.decodeParms.empty()) dict += " /DecodeParms " + img.decodeParms;
        pdf.stream(dict, img.data.data(), img.data.size());
        pdf.end();
    }
    pdf.finish(static_cast<int>(3 + 3 * pages.size()));
    const bool closed = std::fclose(f) == 0;
    if (pdf.failed() || !closed)
        return Status::failure("Cannot write " + path + ": " + errnoText(errno));
    return out.commit(replace);
}

}  // namespace leafmark::imaging
