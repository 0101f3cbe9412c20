// Writes a rendered page with libtiff in the format of its kind. The file is
// written under a hidden temporary name in the same folder and renamed over the
// target only when complete, so a failed write never leaves a partial page.

#include <tiffio.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "PageMaker.h"

namespace leafmark::pagemaker {
namespace {

struct TiffCloser {
    void operator()(TIFF* t) const {
        if (t) TIFFClose(t);
    }
};

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

// Tags and rows of one page; false when libtiff refuses a tag or a row.
bool writeImage(TIFF* tif, const Page& page) {
    const QImage& img = page.image;
    const PageKind kind = page.info.kind;
    const auto w = static_cast<std::uint32_t>(img.width());
    const auto h = static_cast<std::uint32_t>(img.height());
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(page.info.xDpi)) &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(page.info.yDpi)) &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    if (!page.info.description.empty())
        ok = ok && TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, page.info.description.c_str());

    std::size_t rowBytes = 0;
    switch (kind) {
        case PageKind::Group4:
        case PageKind::Fax:
            ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1) &&
                 TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
                 TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE) &&
                 TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) &&
                 TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
            if (kind == PageKind::Group4) {
                ok = ok && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
            } else {
                ok = ok && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3) &&
                     TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
            }
            rowBytes = (w + 7) / 8;
            break;
        case PageKind::Gray:
            ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
                 TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
                 TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
                 TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
                 TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
            rowBytes = w;
            break;
        case PageKind::Colour:
            ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
                 TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
                 TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
                 TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG) &&
                 TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 80) &&
                 TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
            rowBytes = static_cast<std::size_t>(w) * 3;
            break;
    }
    if (!ok) return false;

    // libtiff may work on the row buffer in place, so each row is copied first.
    std::vector<unsigned char> row(rowBytes);
    for (std::uint32_t y = 0; y < h; ++y) {
        std::memcpy(row.data(), img.constScanLine(static_cast<int>(y)), rowBytes);
        if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}

bool imageMatchesKind(const Page& page) {
    const QImage& img = page.image;
    if (img.isNull() || img.width() != page.info.width || img.height() != page.info.height)
        return false;
    switch (page.info.kind) {
        case PageKind::Group4:
        case PageKind::Fax:
            return img.format() == QImage::Format_Mono;
        case PageKind::Gray:
            return img.format() == QImage::Format_Grayscale8;
        case PageKind::Colour:
            return img.format() == QImage::Format_RGB888;
    }
    return false;
}

}  // namespace

bool writeTiff(const Page& page, const QString& path, QString* error) {
    if (!imageMatchesKind(page)) {
        setError(error, QStringLiteral("The page image does not match its kind (%1).")
                            .arg(QLatin1String(kindName(page.info.kind))));
        return false;
    }
    const QFileInfo target(path);
    const QString temp = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                         QStringLiteral(".%1.partial").arg(::getpid());
    const QByteArray tempName = QFile::encodeName(temp);
    {
        std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(tempName.constData(), "w"));
        if (!tif) {
            setError(error, QStringLiteral("Cannot create %1.").arg(temp));
            return false;
        }
        if (!writeImage(tif.get(), page)) {
            tif.reset();
            std::remove(tempName.constData());
            setError(error, QStringLiteral("Cannot write the page into %1.").arg(temp));
            return false;
        }
        // Closing flushes the last strip; a failure shows up when the file is
        // found short below, since TIFFClose reports nothing.
    }
    if (QFileInfo(temp).size() <= 0 ||
        std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        std::remove(tempName.constData());
        setError(error, QStringLiteral("Cannot put the page in place as %1.").arg(path));
        return false;
    }
    return true;
}

bool makePageFile(const PageSpec& spec, const QString& path, QString* error, PageInfo* info) {
    Page page = renderPage(spec);
    page.info.name = QFileInfo(path).fileName();
    if (!writeTiff(page, path, error)) return false;
    if (info) *info = std::move(page.info);
    return true;
}

}  // namespace leafmark::pagemaker
