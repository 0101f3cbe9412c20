// Loading pages: every stored layout and compression gives the exact pixels,
// orientation and resolution are honoured, and bad files are refused clearly.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "imaging/engine/PageEngine.h"
#include "support/TestPages.h"

using namespace leafmark::imaging;
using namespace leafmark::testing;

namespace {

class LoadTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    // Writes `spec`, loads it and returns the largest pixel difference from what it must show.
    int loadDifference(const PageSpec& spec, const std::string& name = "page.tif") {
        const std::string file = path(name);
        if (!writeTiff(file, {spec})) return -100;
        Status s = engine.LoadPage(file);
        EXPECT_TRUE(s.ok()) << s.reason();
        EXPECT_FALSE(engine.damaged()) << engine.damageReason();
        PixPtr want = expectedPix(spec);
        return maxDifference(engine.pix(), want.get());
    }
    QTemporaryDir dir;
    PageEngine engine;
};

std::string describe(const PageSpec& s) {
    return "bps " + std::to_string(s.bps) + " spp " + std::to_string(s.spp) + " photometric " +
           std::to_string(s.photometric) + " compression " + std::to_string(s.compression) +
           " fill " + std::to_string(s.fillOrder) + " tile " + std::to_string(s.tileSize);
}

}  // namespace

TEST_F(LoadTest, BilevelPagesLoadExactlyInEveryCompressionSenseAndLayout) {
    const std::uint16_t compressions[] = {
        COMPRESSION_NONE, COMPRESSION_CCITTRLE,      COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4,
        COMPRESSION_LZW,  COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS};
    int written = 0;
    for (std::uint16_t c : compressions) {
        for (std::uint16_t photo : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
            for (std::uint16_t fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
                for (std::uint32_t tile : {0u, 32u}) {
                    PageSpec s;
                    s.compression = c;
                    s.photometric = photo;
                    s.fillOrder = fill;
                    s.tileSize = tile;
                    s.rowsPerStrip = c == COMPRESSION_CCITTFAX4 ? s.height : 8;
                    if (!writeTiff(path("b.tif"), {s})) continue;  // an encoder libtiff lacks
                    ++written;
                    EXPECT_EQ(loadDifference(s, "b.tif"), 0) << describe(s);
                    EXPECT_EQ(pixGetDepth(engine.pix()), 1);
                    EXPECT_EQ(engine.loadedFormat(), c);
                    EXPECT_EQ(engine.loadedBitDepth(), 1);
                }
            }
        }
    }
    EXPECT_GE(written, 40);
    PageSpec g3two;
    g3two.compression = COMPRESSION_CCITTFAX3;
    g3two.group3Options = GROUP3OPT_2DENCODING;
    EXPECT_EQ(loadDifference(g3two), 0) << "Group 3 2-D";

    // Without a Photometric tag a 1-bit page is read as min-is-white, black text on
    // white (as libtiff's own tools show it), and a save states that sense.
    PageSpec bare;
    bare.compression = COMPRESSION_CCITTFAX4;
    bare.withPhotometric = false;
    EXPECT_EQ(loadDifference(bare, "bare.tif"), 0) << "no Photometric";
    ASSERT_TRUE(engine.SavePage(path("bare.tif"), 4, 1).ok());
    ASSERT_TRUE(engine.LoadPage(path("bare.tif")).ok());
    PixPtr want = expectedPix(bare);
    EXPECT_EQ(maxDifference(engine.pix(), want.get()), 0) << "saved with the same sense";
}

TEST_F(LoadTest, GrayPagesLoadAsEightBitGrayAndSixteenBitGrayWhole) {
    for (std::uint16_t bps : {2, 4, 8, 16}) {
        for (std::uint16_t photo : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
            for (std::uint16_t c : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                    COMPRESSION_PACKBITS}) {
                PageSpec s;
                s.bps = bps;
                s.photometric = photo;
                s.compression = c;
                s.tileSize = bps == 8 && c == COMPRESSION_LZW ? 16 : 0;
                EXPECT_EQ(loadDifference(s), 0) << describe(s);
                EXPECT_EQ(pixGetDepth(engine.pix()), bps == 16 ? 16 : 8);
                EXPECT_EQ(engine.loadedBitDepth(), bps);
            }
        }
    }
    PageSpec jpeg;
    jpeg.bps = 8;
    jpeg.photometric = PHOTOMETRIC_MINISBLACK;
    jpeg.compression = COMPRESSION_JPEG;
    jpeg.rowsPerStrip = 16;
    const int diff = loadDifference(jpeg);
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 12) << "8-bit JPEG beyond tolerance";
}

TEST_F(LoadTest, ColourPagesLoadAsRgb) {
    struct Case {
        std::uint16_t bps, spp, photometric, compression;
        int tolerance;
    } cases[] = {
        {8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, 0},
        {8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, 0},
        {8, 4, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE, 0},
        {8, 4, PHOTOMETRIC_SEPARATED, COMPRESSION_LZW, 1},
        {1, 1, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS, 0},
        {4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW, 0},
        {8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE, 0},
        {8, 3, PHOTOMETRIC_RGB, COMPRESSION_JPEG, 16},
    };
    for (const Case& c : cases) {
        PageSpec s;
        s.bps = c.bps;
        s.spp = c.spp;
        s.photometric = c.photometric;
        s.compression = c.compression;
        s.rowsPerStrip = 16;
        const int diff = loadDifference(s);
        EXPECT_GE(diff, 0) << describe(s);
        EXPECT_LE(diff, c.tolerance) << describe(s);
        EXPECT_EQ(pixGetDepth(engine.pix()), 32);
        EXPECT_EQ(engine.loadedBitDepth(), c.bps * c.spp);
    }
}

TEST_F(LoadTest, OrientationTagTurnsThePageUpright) {
    for (std::uint16_t o = 1; o <= 8; ++o) {
        for (std::uint16_t bps : {1, 8}) {
            PageSpec s;
            s.bps = bps;
            s.photometric = PHOTOMETRIC_MINISBLACK;
            s.orientation = o;
            EXPECT_EQ(loadDifference(s), 0) << "orientation " << o << " bps " << bps;
            if (o >= 5) {
                EXPECT_EQ(engine.PageWidth(), s.height);
                EXPECT_EQ(engine.XResolution(), 200) << "resolutions follow the turn";
            }
        }
    }
}

TEST_F(LoadTest, ResolutionIsReadInDotsPerInch) {
    PageSpec s;
    s.xres = 300.4f;
    s.yres = 199.6f;
    ASSERT_EQ(loadDifference(s), 0);
    EXPECT_EQ(engine.XResolution(), 300);
    EXPECT_EQ(engine.YResolution(), 200);
    s.resolutionUnit = RESUNIT_CENTIMETER;
    s.xres = s.yres = 118.11f;  // 300 dpi
    ASSERT_EQ(loadDifference(s), 0);
    EXPECT_EQ(engine.XResolution(), 300);
    s.withResolution = false;
    ASSERT_EQ(loadDifference(s), 0);
    EXPECT_EQ(engine.XResolution(), 0);
    EXPECT_EQ(engine.YResolution(), 0);
}

TEST_F(LoadTest, CommentSlotsAreReadFromTheFileWithAndWithoutLoading) {
    PageSpec one;
    one.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "BOD"},
                 {TIFFTAG_MODEL, "Changed"},
                 {TIFFTAG_SOFTWARE, "Scan 2"}};
    PageSpec two;
    two.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "second"}};
    const std::string file = path("c.tif");
    ASSERT_TRUE(writeTiff(file, {one, two}));
    EXPECT_EQ(PageEngine::ReadComment(file, 1, kSlotDocumentMarker), "BOD");
    EXPECT_EQ(PageEngine::ReadComment(file, 1, kSlotChangeMarker), "Changed");
    EXPECT_EQ(PageEngine::ReadComment(file, 1, 9), "Scan 2");
    EXPECT_EQ(PageEngine::ReadComment(file, 1, 0), std::nullopt);
    EXPECT_EQ(PageEngine::ReadComment(file, 2, kSlotDocumentMarker), "second");
    EXPECT_EQ(PageEngine::ReadComment(file, 3, kSlotDocumentMarker), std::nullopt);
    EXPECT_EQ(PageEngine::ReadComment(file, 1, 10), std::nullopt);
    EXPECT_EQ(PageEngine::ReadComment(path("missing.tif"), 1, 3), std::nullopt);
    ASSERT_TRUE(engine.LoadPage(file).ok());
    EXPECT_EQ(engine.comment(kSlotDocumentMarker), "BOD");
    EXPECT_EQ(engine.comment(9), "Scan 2");
}

TEST_F(LoadTest, FileInfoComesFromTheHeaderAlone) {
    PageSpec a;
    a.compression = COMPRESSION_CCITTFAX4;
    PageSpec b;
    b.bps = 8;
    b.spp = 3;
    b.photometric = PHOTOMETRIC_RGB;
    const std::string file = path("info.tif");
    ASSERT_TRUE(writeTiff(file, {a, b, a}));
    ASSERT_TRUE(engine.ReadFileInfo(file).ok());
    EXPECT_EQ(engine.StoredFormat(), 4);
    EXPECT_EQ(engine.StoredBitDepth(), 1);
    EXPECT_EQ(engine.storedInfo().width, 67);
    EXPECT_EQ(engine.storedInfo().height, 45);
    EXPECT_EQ(engine.storedInfo().xResolution, 300);
    EXPECT_EQ(engine.storedInfo().yResolution, 200);
    EXPECT_EQ(engine.storedInfo().pageCount, 3);
    EXPECT_FALSE(engine.hasImage()) << "reading information loads no page";
    ASSERT_TRUE(writeTiff(file, {b}));
    ASSERT_TRUE(engine.ReadFileInfo(file).ok());
    EXPECT_EQ(engine.StoredFormat(), 1);
    EXPECT_EQ(engine.StoredBitDepth(), 24);
    EXPECT_FALSE(engine.ReadFileInfo(path("none.tif")).ok());
    EXPECT_EQ(engine.StoredFormat(), 0);
    EXPECT_EQ(engine.StoredBitDepth(), 0);
}
