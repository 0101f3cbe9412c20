#include "BatchTestPages.h"

#include <QFile>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace leafmark::testing {

void writePage(const QString& path, const TestPage& page) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr) << path.toStdString();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.height);
    if (page.xres > 0 && page.yres > 0) {
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(page.xres));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(page.yres));
    }
    for (const auto& [tag, text] : page.comments)
        TIFFSetField(tif, static_cast<ttag_t>(tag), text.c_str());

    const int rowBytes = (page.width + 7) / 8;
    std::vector<unsigned char> row(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            // A block whose place depends on the seed, so pages differ from each other.
            const int bx = 20 + (page.seed * 7) % (page.width / 2);
            const int by = 20 + (page.seed * 5) % (page.height / 2);
            const bool black = page.allBlack || (x >= bx && x < bx + 30 && y >= by && y < by + 12);
            auto& byte = row[static_cast<std::size_t>(x / 8)];
            const unsigned char bit = static_cast<unsigned char>(0x80 >> (x % 8));
            byte = black ? (byte | bit) : (byte & ~bit);
        }
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0), 1);
    }
    TIFFClose(tif);
}

void makeDataRunPastTheEnd(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
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
        const std::uint32_t count = static_cast<std::uint32_t>(bytes.size()) * 4;  // one strip, LONG
        std::memcpy(entry + 8, &count, 4);
        writeFile(path, bytes);
        return;
    }
    FAIL() << "no strip byte counts in " << path.toStdString();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::optional<std::string> tagText(const QString& path, int tag) {
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif) return std::nullopt;
    char* text = nullptr;
    std::optional<std::string> result;
    if (TIFFGetField(tif, static_cast<ttag_t>(tag), &text) == 1 && text) result = text;
    TIFFClose(tif);
    return result;
}

}  // namespace leafmark::testing
