// Export of a document: the multi-page TIFF read back with libtiff, the PDF read
// by the PDF tools of the system (page count, page sizes, pixels).

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "imaging/engine/PdfWriter.h"
#include "imaging/engine/TiffJoin.h"
#include "support/TestPages.h"

using namespace leafmark::imaging;
namespace fx = leafmark::testing;

namespace {

// Pages of every path through the writers: Group 4 in one strip (copied as it
// is), Group 4 min-is-black, Group 3 in many strips at fax resolution (re-coded
// for PDF), 8-bit gray LZW (Flate); sizes give whole points.
std::vector<fx::PageSpec> mixedPages() {
    fx::PageSpec g4;
    g4.width = 300, g4.height = 200, g4.xres = 300, g4.yres = 200;
    g4.compression = COMPRESSION_CCITTFAX4, g4.rowsPerStrip = 200;
    g4.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "BOD"}, {TIFFTAG_ARTIST, "scanner 2"}};
    fx::PageSpec inverse = g4;
    inverse.photometric = PHOTOMETRIC_MINISBLACK;
    inverse.ascii = {};
    fx::PageSpec fax;
    fax.width = 408, fax.height = 392, fax.xres = 204, fax.yres = 196;
    fax.compression = COMPRESSION_CCITTFAX3, fax.rowsPerStrip = 8,
    fax.group3Options = GROUP3OPT_2DENCODING;
    fx::PageSpec gray;
    gray.width = 150, gray.height = 225, gray.xres = 150, gray.yres = 150;
    gray.bps = 8, gray.photometric = PHOTOMETRIC_MINISBLACK, gray.compression = COMPRESSION_LZW;
    return {g4, inverse, fax, gray};
}

std::vector<std::string> writePages(const QTemporaryDir& dir,
                                    const std::vector<fx::PageSpec>& specs) {
    std::vector<std::string> files;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        files.push_back(dir.filePath(QStringLiteral("p%1.tif").arg(i)).toStdString());
        EXPECT_TRUE(fx::writeTiff(files.back(), {specs[i]}));
    }
    return files;
}

std::vector<std::string> rawStrips(const std::string& path, int page) {
    std::vector<std::string> out;
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) return out;
    if (TIFFSetDirectory(t, static_cast<tdir_t>(page)))
        for (std::uint32_t s = 0; s < TIFFNumberOfStrips(t); ++s) {
            std::string bytes(TIFFGetStrileByteCount(t, s), '\0');
            TIFFReadRawStrip(t, s, bytes.data(), static_cast<tmsize_t>(bytes.size()));
            out.push_back(bytes);
        }
    TIFFClose(t);
    return out;
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << " "
                               << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Page `page` (1-based) rendered by the system's PDF renderer at x by y dots per
// inch, 8-bit gray. (The cairo renderer draws an image at 1:1 pixel for pixel;
// the splash one resamples 1-bit images slightly even at their own resolution.)
PixPtr render(const QString& pdf, int page, int xDpi, int yDpi, const QTemporaryDir& dir) {
    const QString out = dir.filePath(QStringLiteral("render"));
    run(QStringLiteral("pdftocairo"),
        {QStringLiteral("-png"), QStringLiteral("-gray"), QStringLiteral("-f"),
         QString::number(page), QStringLiteral("-l"), QString::number(page), QStringLiteral("-rx"),
         QString::number(xDpi), QStringLiteral("-ry"), QString::number(yDpi),
         QStringLiteral("-singlefile"), pdf, out});
    PixPtr pix(pixRead((out + QStringLiteral(".png")).toLocal8Bit().constData()));
    return PixPtr(pix ? pixConvertTo8(pix.get(), 0) : nullptr);
}

// Share of pixels whose gray differs by more than `tolerance` between the render and the page.
double mismatch(PIX* rendered, PIX* page, int tolerance) {
    if (!rendered || pixGetWidth(rendered) != pixGetWidth(page) ||
        pixGetHeight(rendered) != pixGetHeight(page))
        return 1.0;
    long bad = 0;
    for (int y = 0; y < pixGetHeight(page); ++y)
        for (int x = 0; x < pixGetWidth(page); ++x) {
            l_uint32 r = 0, v = 0;
            pixGetPixel(rendered, x, y, &r);
            pixGetPixel(page, x, y, &v);
            const int want = pixGetDepth(page) == 1 ? (v ? 0 : 255) : static_cast<int>(v);
            bad += std::abs(static_cast<int>(r) - want) > tolerance;
        }
    return static_cast<double>(bad) / (pixGetWidth(page) * pixGetHeight(page));
}

}  // namespace

TEST(Export, MultiPageTiffKeepsEveryPagesCodedDataAndTagsAndNeverOverwritesUnasked) {
    QTemporaryDir dir;
    const auto specs = mixedPages();
    const auto files = writePages(dir, specs);
    const std::string out = dir.filePath(QStringLiteral("doc.tif")).toStdString();
    ASSERT_TRUE(joinPagesToTiff(files, out, false).ok());

    TIFF* t = TIFFOpen(out.c_str(), "r");
    ASSERT_TRUE(t);
    EXPECT_EQ(TIFFNumberOfDirectories(t), files.size());
    TIFFClose(t);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fx::tagDump(out, static_cast<int>(i)), fx::tagDump(files[i], 0));
        EXPECT_EQ(rawStrips(out, static_cast<int>(i)), rawStrips(files[i], 0));
    }

    // An existing file stays as it was unless replacing is asked for; no temporary file is left.
    const std::string before = fx::fileBytes(out);
    const Status again = joinPagesToTiff({files[0]}, out, false);
    EXPECT_FALSE(again.ok());
    EXPECT_NE(again.reason().find("already exists"), std::string::npos);
    EXPECT_EQ(fx::fileBytes(out), before);
    ASSERT_TRUE(joinPagesToTiff({files[0]}, out, true).ok());
    EXPECT_EQ(rawStrips(out, 0), rawStrips(files[0], 0));

    // A page cut short fails the document, and nothing is written.
    const std::string cut = dir.filePath(QStringLiteral("cut.tif")).toStdString();
    const std::string whole = fx::fileBytes(files[3]);
    fx::writeBytes(cut, whole.substr(0, whole.size() / 2));
    const std::string failed = dir.filePath(QStringLiteral("failed.tif")).toStdString();
    EXPECT_FALSE(joinPagesToTiff({files[0], cut}, failed, false).ok());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(failed)));
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::Hidden | QDir::Files)
                  .filter(QStringLiteral(".doc"))
                  .size(),
              0);
}

TEST(Export, PdfPagesHaveThePagesSizesAndPixelsWhenRenderedAtTheirResolution) {
    QTemporaryDir dir;
    const auto specs = mixedPages();
    const auto files = writePages(dir, specs);
    const QString pdf = dir.filePath(QStringLiteral("doc.pdf"));
    ASSERT_TRUE(writePagesToPdf(files, pdf.toStdString(), false).ok());

    const QString info =
        run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("4"), pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           4"))) << info.toStdString();
    QStringList sizes;
    const QRegularExpression sizeLine(
        QStringLiteral("Page +(\\d+) size: +([\\d.]+) x ([\\d.]+) pts"));
    for (auto it = sizeLine.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes << m.captured(1) + QLatin1Char(':') + m.captured(2) + QLatin1Char('x') +
                     m.captured(3);
    }
    EXPECT_EQ(sizes.join(QLatin1Char(' ')).toStdString(), "1:72x72 2:72x72 3:144x144 4:72x108");

    for (std::size_t i = 0; i < specs.size(); ++i) {
        SCOPED_TRACE(i);
        PixPtr page = fx::expectedPix(specs[i]);
        PixPtr shown = render(pdf, static_cast<int>(i) + 1, static_cast<int>(specs[i].xres),
                              static_cast<int>(specs[i].yres), dir);
        EXPECT_LT(mismatch(shown.get(), page.get(), 2), 0.001);
    }
}
