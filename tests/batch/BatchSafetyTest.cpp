// What a batch run must keep: every page and tag of a page written into another
// folder, pages the operator protected against writing, the low bits of 16-bit
// pages, and everything in the output folder that is not a leftover of ours.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <vector>

#include "batch/core/BatchRun.h"
#include "batch/core/RunText.h"
#include "imaging/engine/Leftovers.h"
#include "shared/FileList.h"
#include "shared/PageFiles.h"
#include "support/FolderRunTest.h"
#include "support/TestPages.h"

using namespace leafmark;
using namespace leafmark::batch;
using namespace leafmark::testing;

namespace {

RunSummary runOnce(const QString& source, const QString& output) {
    FileList list;
    list.read(source, kPageAndEodPatterns);
    BatchRun run({RunKind::PreProcess, source, output, list.names(), 1});
    run.setOptionsProvider([] { return PageOptions{true, false, false, 0.0}; });
    QSignalSpy finished(&run, &BatchRun::finished);
    run.start();
    if (finished.isEmpty()) {
        EXPECT_TRUE(finished.wait(60000));
    }
    return run.summary();
}

// Two 1-bit pages; page 1 carries a white point, primary chromaticities and a page number.
void writeTaggedTwoPageFile(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr);
    for (std::uint16_t page = 0; page < 2; ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 96u);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 64u);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, page, static_cast<std::uint16_t>(2));
        if (page == 0) {
            float white[2] = {0.3127f, 0.329f};
            float primaries[6] = {0.64f, 0.33f, 0.3f, 0.6f, 0.15f, 0.06f};
            TIFFSetField(tif, TIFFTAG_WHITEPOINT, white);
            TIFFSetField(tif, TIFFTAG_PRIMARYCHROMATICITIES, primaries);
        }
        std::vector<unsigned char> row(12, page == 0 ? 0x00 : 0xF0);
        for (std::uint32_t y = 0; y < 64; ++y) TIFFWriteScanline(tif, row.data(), y, 0);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

// A 16-bit page, 120 x 90 at 300 dpi: gray (one sample) or colour (three), light
// samples whose low byte differs from pixel to pixel.
std::uint16_t deepSample(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
    return static_cast<std::uint16_t>(0x9000 + x * 37 + y * 3 + channel * 11);
}

void writeSixteenBitPage(const QString& path, std::uint16_t samples) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 120u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 90u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0);
    std::vector<std::uint16_t> row(120u * samples);
    for (std::uint32_t y = 0; y < 90; ++y) {
        for (std::uint32_t x = 0; x < 120; ++x)
            for (std::uint32_t c = 0; c < samples; ++c) row[x * samples + c] = deepSample(x, y, c);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
}

using BatchKeeps = FolderRunTest;

}  // namespace

TEST_F(BatchKeeps, APageWrittenIntoAnotherFolderKeepsLaterPagesAndEveryTag) {
    writeTaggedTwoPageFile(in + "/a.tif");
    const RunSummary r = runOnce(in, out);
    ASSERT_EQ(r.pagesProcessed, 1) << r.failed.join('\n').toStdString();

    TIFF* tif = TIFFOpen(QFile::encodeName(out + "/a.tif").constData(), "r");
    ASSERT_NE(tif, nullptr);
    float* white = nullptr;
    float* primaries = nullptr;
    std::uint16_t number = 99, of = 99;
    ASSERT_EQ(TIFFGetField(tif, TIFFTAG_WHITEPOINT, &white), 1);
    ASSERT_EQ(TIFFGetField(tif, TIFFTAG_PRIMARYCHROMATICITIES, &primaries), 1);
    EXPECT_FLOAT_EQ(white[0], 0.3127f);
    EXPECT_FLOAT_EQ(primaries[5], 0.06f);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_PAGENUMBER, &number, &of), 1);
    EXPECT_EQ(of, 2);
    EXPECT_EQ(TIFFNumberOfDirectories(tif), 2);
    TIFFClose(tif);
}

// In place or over a page already in the output folder: a read-only page is a
// failure of the run and stays exactly as it was.
TEST_F(BatchKeeps, AReadOnlyPageIsAFailureAndUntouched) {
    writePage(in + "/a.tif", seededPage(0));
    writePage(out + "/a.tif", seededPage(7));
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup;
    for (const QString& folder : {in, out}) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(QFile::setPermissions(folder + "/a.tif", readOnly));
        const QByteArray before = fileBytes(folder + "/a.tif");
        const RunSummary r = runOnce(in, folder);
        EXPECT_EQ(r.pagesProcessed, 0);
        ASSERT_EQ(r.failures, 1);
        EXPECT_TRUE(r.failed[0].contains("write-protected")) << r.failed[0].toStdString();
        EXPECT_EQ(fileBytes(folder + "/a.tif"), before);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList({"a.tif"}));
    }
}

// Every clean-up step over a 16-bit gray page writes 16 bits back, the low byte of
// each sample it did not paint included; a 16-bit colour page, which would lose its
// low bytes, is reported as a failure and copied unchanged.
TEST_F(BatchKeeps, SixteenBitPagesKeepTheirLowBitsOrAreReported) {
    writeSixteenBitPage(in + "/colour.tif", 3);
    writeSixteenBitPage(in + "/gray.tif", 1);
    FileList list;
    list.read(in, kPageAndEodPatterns);
    BatchRun run({RunKind::PreProcess, in, out, list.names(), 1});
    run.setOptionsProvider([] { return PageOptions{true, true, true, 0.05}; });  // 15-pixel margin
    QSignalSpy finished(&run, &BatchRun::finished);
    run.start();
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(60000));
    }
    const RunSummary r = run.summary();
    EXPECT_EQ(r.pagesProcessed, 1);
    ASSERT_EQ(r.failures, 1);
    EXPECT_TRUE(r.failed[0].startsWith("colour.tif: 16-bit colour")) << r.failed[0].toStdString();
    EXPECT_EQ(fileBytes(out + "/colour.tif"), fileBytes(in + "/colour.tif"));

    TIFF* tif = TIFFOpen(QFile::encodeName(out + "/gray.tif").constData(), "r");
    ASSERT_NE(tif, nullptr);
    std::uint16_t bps = 0;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    EXPECT_EQ(bps, 16);
    std::vector<std::uint16_t> row(120);
    int kept = 0, white = 0;
    for (std::uint32_t y = 0; y < 90; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
        for (std::uint32_t x = 0; x < 120; ++x) {
            const bool margin = x < 15 || x >= 105 || y < 15 || y >= 75;
            if (margin ? row[x] == 0xFFFF : row[x] == deepSample(x, y, 0))
                (margin ? white : kept)++;
        }
    }
    TIFFClose(tif);
    EXPECT_EQ(kept, 90 * 60);
    EXPECT_EQ(white, 120 * 90 - 90 * 60);
}

// What killed saves and runs left in the output folder goes when the next run
// starts there, unless a live process is still writing into the folder; look-alikes
// that are not ours stay, and a moved-aside end-of-document file is put back, never lost.
TEST_F(BatchKeeps, LeftoversOfKilledRunsGoAndNothingElseIsTouched) {
    QDir().mkpath(out + "/.leafmark-Qw34Er");
    QDir().mkpath(out + "/.leafmark-Ty67Ui/keep");
    writePage(in + "/a.tif", seededPage(0));
    const QStringList ours = {".a.tif.leafmark-Ab12Cd", ".leafmark-Qw34Er/a.tif",
                              ".leafmark-Qw34Er/.a.tif.leafmark-Zx56Cv"};
    const QStringList foreign = {".a.tif.Ab12Cd",
                                 ".a.tif.leafmark-Ab12C",
                                 "a.tif.leafmark-Ab12Cd",
                                 ".leafmark-Ty67Ui/keep/x",
                                 "1ZZZ.EOD",
                                 ".1ZZZ.EOD.leafmark-Mn78Bw"};
    for (const QString& name : ours + foreign) writeFile(out + '/' + name, "x");
    writeFile(out + "/.0ZZZ.EOD.leafmark-Mn78Bv", "moved aside\r\n");
    const auto hidden = [&] {
        QStringList names =
            QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        return names.filter(QRegularExpression("^\\.|ZZZ"));
    };
    const QStringList before = hidden();

    {
        const imaging::FolderInUse writing(QFile::encodeName(out).toStdString());  // a live writer
        runOnce(in, out);
        EXPECT_EQ(hidden(), before) << "touched while another process was writing there";
    }
    runOnce(in, out);
    EXPECT_EQ(hidden(),
              (QStringList{".1ZZZ.EOD.leafmark-Mn78Bw", ".a.tif.Ab12Cd", ".a.tif.leafmark-Ab12C",
                           ".leafmark-Ty67Ui", "0ZZZ.EOD", "1ZZZ.EOD"}));
    EXPECT_EQ(fileBytes(out + "/0ZZZ.EOD"), "moved aside\r\n");
    for (const QString& name : foreign)
        EXPECT_EQ(fileBytes(out + '/' + name), "x") << name.toStdString();
}
