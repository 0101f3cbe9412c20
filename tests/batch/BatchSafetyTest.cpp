// What a batch run must keep: every page and tag of a page written into another
// folder, and pages the operator protected against writing.
#include "support/FolderRunTest.h"
#include "support/TestPages.h"
#include "batch/core/BatchRun.h"
#include "batch/core/RunText.h"
#include "shared/FileList.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <vector>

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
