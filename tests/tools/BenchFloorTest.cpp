// The benchmark floors must do the work they claim, or every ratio printed beside
// them is wrong: the raw decode returns the stored 1-bit rows, the raw Group 4
// encode writes a page that decodes to the same rows (also through a rename), and
// the median is the middle of the sorted times.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "../../bench/suite/BenchHarness.h"
#include "../../bench/suite/RawTiff.h"
#include "pagemaker/PageMaker.h"

using namespace leafmark;

namespace {

// The bits of a rendered 1-bit page, packed without padding as TIFF rows are.
bench::Bitmap bitmapOf(const QImage& mono) {
    bench::Bitmap b;
    b.width = mono.width();
    b.height = mono.height();
    b.stride = static_cast<std::size_t>((mono.width() + 7) / 8);
    b.rows.resize(b.stride * static_cast<std::size_t>(b.height));
    for (int y = 0; y < b.height; ++y) {
        std::memcpy(b.rows.data() + b.stride * static_cast<std::size_t>(y), mono.constScanLine(y),
                    b.stride);
        if (b.width % 8)  // padding bits beyond the width are not part of the page
            b.rows[b.stride * static_cast<std::size_t>(y + 1) - 1] &=
                static_cast<std::uint8_t>(0xFF00 >> (b.width % 8));
    }
    return b;
}

}  // namespace

TEST(BenchFloor, RawDecodeAndEncodeRoundTripTheSameBits) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const pagemaker::Page page = pagemaker::renderPage(
        pagemaker::PageSpec{pagemaker::PageKind::Group4, 4, 1.5, 3, true, {}});
    const std::string made =
        QFile::encodeName(dir.filePath(QStringLiteral("made.tif"))).toStdString();
    ASSERT_TRUE(pagemaker::writeTiff(page, QString::fromStdString(made)));

    const bench::Bitmap expected = bitmapOf(page.image);
    bench::Bitmap decoded;
    EXPECT_EQ(bench::rawDecode(made, &decoded), expected.rows.size());
    EXPECT_EQ(decoded.width, 2550);
    EXPECT_EQ(decoded.height, 3300);
    EXPECT_TRUE(decoded.rows == bitmapOf(page.image).rows);

    for (bool atomic : {false, true}) {
        SCOPED_TRACE(atomic ? "atomic" : "plain");
        const std::string out =
            QFile::encodeName(dir.filePath(QStringLiteral("out.tif"))).toStdString();
        ASSERT_TRUE(bench::rawEncodeG4(decoded, out, atomic));
        bench::Bitmap again;
        EXPECT_EQ(bench::rawDecode(out, &again), expected.rows.size());
        EXPECT_TRUE(again.rows == expected.rows);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
              2);  // no temporary left
}

TEST(BenchFloor, FailuresAreReportedNotTimedAsWork) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string missing =
        QFile::encodeName(dir.filePath(QStringLiteral("none.tif"))).toStdString();
    EXPECT_EQ(bench::rawDecode(missing), 0u);
    bench::Bitmap b;
    b.width = b.height = 8;
    b.stride = 1;
    b.rows.assign(8, 0x81);
    const std::string inMissingFolder =
        QFile::encodeName(dir.filePath(QStringLiteral("no/x.tif"))).toStdString();
    EXPECT_FALSE(bench::rawEncodeG4(b, inMissingFolder, false));
    EXPECT_FALSE(bench::rawEncodeG4(b, inMissingFolder, true));
}

TEST(BenchFloor, SummaryIsTheMedianAndFastestOfTheRuns) {
    const bench::Timing odd = bench::summarise({9.0, 1.0, 5.0, 7.0, 3.0});
    EXPECT_DOUBLE_EQ(odd.medianMs, 5.0);
    EXPECT_DOUBLE_EQ(odd.minMs, 1.0);
    EXPECT_EQ(odd.runs, 5);
    const bench::Timing even = bench::summarise({4.0, 10.0, 2.0, 6.0});
    EXPECT_DOUBLE_EQ(even.medianMs, 5.0);
    EXPECT_DOUBLE_EQ(even.minMs, 2.0);
    EXPECT_EQ(bench::summarise({}).runs, 0);

    int setups = 0, bodies = 0;
    bool setupFirst = true;
    const bench::Timing t = bench::measure(
        4, [&](int) { ++setups; },
        [&](int run) {
            setupFirst = setupFirst && setups == run + 1;
            ++bodies;
        });
    EXPECT_EQ(t.runs, 4);
    EXPECT_EQ(bodies, 4);
    EXPECT_TRUE(setupFirst);
}
