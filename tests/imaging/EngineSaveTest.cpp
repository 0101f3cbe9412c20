// Saving pages: every compression and depth round-trips with its tags, later
// pages survive byte for byte, comment slots are written and removed, and a
// failed save leaves the old file exactly as it was.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <optional>

#include "imaging/engine/OutputFile.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/engine/TiffSave.h"
#include "support/TestPages.h"

using namespace leafmark::imaging;
using namespace leafmark::testing;
namespace fs = std::filesystem;

namespace {

class SaveTest : public ::testing::Test {
  protected:
    void TearDown() override { setSaveFaultForTesting(-1); }
    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path().toStdString()))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    QTemporaryDir dir;
    PageEngine engine;
};

// Compressed bytes of every strip or tile of page `page` (0-based).
std::vector<std::string> rawBlocks(const std::string& file, int page) {
    std::vector<std::string> out;
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    if (!tif) return out;
    if (TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        const bool tiled = TIFFIsTiled(tif);
        const std::uint32_t n = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string s(TIFFGetStrileByteCount(tif, i), '\0');
            if (tiled)
                TIFFReadRawTile(tif, i, s.data(), static_cast<tmsize_t>(s.size()));
            else
                TIFFReadRawStrip(tif, i, s.data(), static_cast<tmsize_t>(s.size()));
            out.push_back(s);
        }
    }
    TIFFClose(tif);
    return out;
}

PageSpec tagged(PageSpec s) {
    s.ascii = {{TIFFTAG_SOFTWARE, "Scanner 4.2"},
               {TIFFTAG_ARTIST, "Operator"},
               {TIFFTAG_TARGETPRINTER, "kept as it was"}};
    return s;
}

}  // namespace

// Every compression and depth the engine writes: one case each, so that one
// failing format does not hide the others.
struct RoundTrip {
    std::uint16_t bps, spp, photometric, compression;
    int tolerance;
};

std::string describe(const RoundTrip& c) {
    return "bps " + std::to_string(c.bps) + " spp " + std::to_string(c.spp) + " photometric " +
           std::to_string(c.photometric) + " compression " + std::to_string(c.compression);
}

class SaveRoundTrip : public SaveTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(SaveRoundTrip, KeepsFormatDepthTagsAndPixels) {
    const RoundTrip& c = GetParam();
    const std::string what = describe(c);
    PageSpec s = tagged(PageSpec{});
    s.bps = c.bps;
    s.spp = c.spp;
    s.photometric = c.photometric;
    s.compression = c.compression;
    s.rowsPerStrip = 16;
    const std::string file = path("round.tif");
    if (!writeTiff(file, {s})) GTEST_SKIP() << "libtiff has no encoder for " << what;
    const std::vector<std::string> skip = {"Rows/Strip", "JPEG Tables"};
    const auto before = tagDump(file, 0, skip);
    const auto status = engine.LoadPage(file);
    ASSERT_TRUE(status.ok()) << what << ": " << status.reason();
    Status st = engine.SavePage(file, engine.loadedFormat(), engine.loadedBitDepth());
    ASSERT_TRUE(st.ok()) << what << ": " << st.reason();
    EXPECT_EQ(tagDump(file, 0, skip), before) << what;
    ASSERT_TRUE(engine.ReadFileInfo(file).ok());
    EXPECT_EQ(engine.StoredFormat(), c.compression) << what;
    EXPECT_EQ(engine.StoredBitDepth(), c.bps * c.spp) << what;
    ASSERT_TRUE(engine.LoadPage(file).ok()) << what;
    PixPtr want = expectedPix(s);
    const int diff = maxDifference(engine.pix(), want.get());
    EXPECT_GE(diff, 0) << what;
    EXPECT_LE(diff, c.tolerance) << what;
}

// Group 3 one-dimensional (CCITT RLE) may lack an encoder; every other case must run.
INSTANTIATE_TEST_SUITE_P(
    EveryFormat, SaveRoundTrip,
    ::testing::Values(RoundTrip{1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTRLE, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX3, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_LZW, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE, 0},
                      RoundTrip{1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS, 0},
                      RoundTrip{2, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, 0},
                      RoundTrip{4, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, 0},
                      RoundTrip{8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, 0},
                      RoundTrip{8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS, 0},
                      RoundTrip{8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_JPEG, 14},
                      RoundTrip{16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE, 0},
                      RoundTrip{8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, 0},
                      RoundTrip{8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, 0},
                      RoundTrip{8, 3, PHOTOMETRIC_RGB, COMPRESSION_JPEG, 20},
                      RoundTrip{8, 4, PHOTOMETRIC_RGB, COMPRESSION_LZW, 0},
                      RoundTrip{4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW, 0},
                      RoundTrip{8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS, 0}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) {
        return "Bps" + std::to_string(info.param.bps) + "Spp" + std::to_string(info.param.spp) +
               "Photometric" + std::to_string(info.param.photometric) + "Compression" +
               std::to_string(info.param.compression);
    });

TEST(SaveRoundTripCoverage, OnlyTheOneDimensionalFaxEncoderMayBeMissing) {
    QTemporaryDir dir;
    for (const std::uint16_t compression :
         {COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
          COMPRESSION_PACKBITS, COMPRESSION_JPEG}) {
        PageSpec s;
        s.compression = compression;
        if (compression == COMPRESSION_JPEG) s.bps = 8, s.photometric = PHOTOMETRIC_MINISBLACK;
        EXPECT_TRUE(writeTiff(dir.filePath("probe.tif").toStdString(), {s}))
            << "compression " << compression;
    }
}

TEST_F(SaveTest, LaterPagesAreKeptByteForByteWithAllTheirTags) {
    PageSpec first = tagged(PageSpec{});
    first.compression = COMPRESSION_CCITTFAX4;
    PageSpec gray;
    gray.bps = 8;
    gray.photometric = PHOTOMETRIC_MINISBLACK;
    gray.compression = COMPRESSION_LZW;
    gray.tileSize = 32;
    gray.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "page two"}, {TIFFTAG_PAGENAME, "2"}};
    PageSpec colour;
    colour.bps = 8;
    colour.spp = 3;
    colour.photometric = PHOTOMETRIC_RGB;
    colour.compression = COMPRESSION_JPEG;
    colour.rowsPerStrip = 16;
    PageSpec fax = first;
    fax.compression = COMPRESSION_CCITTFAX3;
    fax.fillOrder = FILLORDER_LSB2MSB;
    fax.orientation = ORIENTATION_BOTRIGHT;
    const std::string file = path("multi.tif");
    ASSERT_TRUE(writeTiff(file, {first, gray, colour, fax}));
    std::vector<std::vector<std::string>> dumps, blocks;
    for (int p = 1; p < 4; ++p) {
        dumps.push_back(tagDump(file, p));
        blocks.push_back(rawBlocks(file, p));
    }
    ASSERT_TRUE(engine.LoadPage(file).ok());
    pixInvert(engine.pix(), engine.pix());
    const auto status = engine.SavePage(file, 4, 1);
    ASSERT_TRUE(status.ok()) << status.reason();
    ASSERT_TRUE(engine.ReadFileInfo(file).ok());
    EXPECT_EQ(engine.storedInfo().pageCount, 4);
    for (int p = 1; p < 4; ++p) {
        EXPECT_EQ(tagDump(file, p), dumps[static_cast<std::size_t>(p - 1)]) << "page " << p + 1;
        EXPECT_EQ(rawBlocks(file, p), blocks[static_cast<std::size_t>(p - 1)]) << "page " << p + 1;
    }
    EXPECT_EQ(PageEngine::ReadComment(file, 2, kSlotDocumentMarker), "page two");
    ASSERT_TRUE(engine.LoadPage(file).ok());
    PixPtr want = expectedPix(first);
    pixInvert(want.get(), want.get());
    EXPECT_EQ(maxDifference(engine.pix(), want.get()), 0) << "page 1 holds the edited image";
}

TEST_F(SaveTest, SavingFromABasisWritesWhatSavingOverACopyOfItWrites) {
    PageSpec first = tagged(PageSpec{});
    first.compression = COMPRESSION_CCITTFAX4;
    PageSpec second = first;
    second.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "page two"}};
    const std::string basis = path("basis.tif"), copy = path("copy.tif");
    ASSERT_TRUE(writeTiff(basis, {first, second}));
    const std::string basisBytes = fileBytes(basis);
    fs::copy_file(basis, copy);
    // A stale file under the new name gives nothing: tags and pages come from the basis.
    ASSERT_TRUE(writeTiff(path("stale.tif"), {second, second, second}));
    ASSERT_TRUE(engine.LoadPage(basis).ok());
    pixInvert(engine.pix(), engine.pix());
    engine.SetComment(kSlotDocumentMarker, "BOD");
    ASSERT_TRUE(engine.SavePage(copy, 4, 1).ok());
    for (const char* name : {"new.tif", "stale.tif"}) {
        const Status saved = engine.SavePageFrom(basis, path(name), 4, 1);
        ASSERT_TRUE(saved.ok()) << saved.reason();
        EXPECT_TRUE(fileBytes(path(name)) == fileBytes(copy)) << name;
    }
    EXPECT_TRUE(fileBytes(basis) == basisBytes);
    // A basis that cannot be read fails the save rather than dropping its pages.
    EXPECT_FALSE(engine.SavePageFrom(path("gone.tif"), path("none.tif"), 4, 1).ok());
    EXPECT_EQ(folderNames(),
              (std::vector<std::string>{"basis.tif", "copy.tif", "new.tif", "stale.tif"}));
}

TEST_F(SaveTest, CommentSlotsAreWrittenAndEmptySlotsRemoveTheirTags) {
    const std::string file = path("marks.tif");
    PageSpec s = tagged(PageSpec{});
    s.ascii.push_back({TIFFTAG_MODEL, "Changed"});
    ASSERT_TRUE(writeTiff(file, {s}));
    ASSERT_TRUE(engine.LoadPage(file).ok());
    engine.SetComment(kSlotDocumentMarker, "BOD");
    ASSERT_TRUE(engine.SavePage(file, 4, 1).ok());
    EXPECT_EQ(PageEngine::ReadComment(file, 1, kSlotDocumentMarker), "BOD");
    EXPECT_EQ(PageEngine::ReadComment(file, 1, kSlotChangeMarker), "Changed");
    EXPECT_EQ(PageEngine::ReadComment(file, 1, 9), "Scanner 4.2")
        << "slots loaded from the file are kept";
    engine.SetComment(kSlotDocumentMarker, "");
    engine.SetComment(kSlotChangeMarker, "");
    ASSERT_TRUE(engine.SavePage(file, 4, 1).ok());
    EXPECT_EQ(PageEngine::ReadComment(file, 1, kSlotDocumentMarker), std::nullopt);
    EXPECT_EQ(PageEngine::ReadComment(file, 1, kSlotChangeMarker), std::nullopt);
    for (const auto& line : tagDump(file, 0)) {
        EXPECT_EQ(line.rfind("ImageDescription", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("Model", 0), std::string::npos) << line;
    }
    EXPECT_EQ(PageEngine::ReadComment(file, 1, 0), "Operator");
}

TEST_F(SaveTest, MinIsBlackBilevelPagesKeepTheirSense) {
    PageSpec s;
    s.photometric = PHOTOMETRIC_MINISBLACK;
    s.compression = COMPRESSION_CCITTFAX4;
    const std::string file = path("mb.tif");
    ASSERT_TRUE(writeTiff(file, {s}));
    ASSERT_TRUE(engine.LoadPage(file).ok());
    ASSERT_TRUE(engine.SavePage(file, 4, 1).ok());
    ASSERT_TRUE(engine.SavePage(path("copy.tif"), 4, 1).ok())
        << "a new file takes the loaded sense";
    for (const std::string& f : {file, path("copy.tif")}) {
        const auto dump = tagDump(f, 0);
        EXPECT_NE(std::find(dump.begin(), dump.end(), "Photometric Interpretation: min-is-black"),
                  dump.end())
            << f;
        ASSERT_TRUE(engine.LoadPage(f).ok());
        PixPtr want = expectedPix(s);
        EXPECT_EQ(maxDifference(engine.pix(), want.get()), 0) << f;
    }
}

TEST_F(SaveTest, DepthAndCompressionRequestsAreMetOrFallBackToLzw) {
    PixPtr gray(pixCreate(40, 30, 8));
    for (l_int32 y = 0; y < 30; ++y)
        for (l_int32 x = 0; x < 40; ++x) pixSetPixel(gray.get(), x, y, x < 20 ? 40 : 220);
    engine.setImage(PixPtr(pixCopy(nullptr, gray.get())), 150, 75);
    struct Case {
        int format, bits, storedFormat, storedBits;
    } cases[] = {{4, 1, 4, 1}, {4, 8, 5, 8}, {3, 24, 5, 24}, {99, 8, 5, 8},         {7, 24, 7, 24},
                 {7, 8, 7, 8}, {7, 1, 5, 1}, {1, 4, 1, 4},   {32773, 32, 32773, 32}};
    for (const Case& c : cases) {
        const std::string file =
            path("conv" + std::to_string(c.format) + "_" + std::to_string(c.bits) + ".tif");
        const auto status = engine.SavePage(file, c.format, c.bits);
        ASSERT_TRUE(status.ok()) << status.reason();
        ASSERT_TRUE(engine.ReadFileInfo(file).ok());
        EXPECT_EQ(engine.StoredFormat(), c.storedFormat) << c.format << "/" << c.bits;
        EXPECT_EQ(engine.StoredBitDepth(), c.storedBits) << c.format << "/" << c.bits;
        EXPECT_EQ(engine.storedInfo().xResolution, 150)
            << "a new file takes the engine's resolution";
        EXPECT_EQ(engine.storedInfo().yResolution, 75);
    }
    PageEngine reader;
    ASSERT_TRUE(reader.LoadPage(path("conv4_1.tif")).ok());
    l_uint32 left = 9, right = 9;
    pixGetPixel(reader.pix(), 5, 5, &left);
    pixGetPixel(reader.pix(), 35, 5, &right);
    EXPECT_EQ(left, 1u) << "dark gray thresholds to black";
    EXPECT_EQ(right, 0u);
}

TEST_F(SaveTest, FailedSavesLeaveTheOldFileByteIdenticalAndSayWhy) {
    PageSpec s = tagged(PageSpec{});
    s.compression = COMPRESSION_CCITTFAX4;
    const std::string file = path("keep.tif");
    ASSERT_TRUE(writeTiff(file, {s, s}));
    const std::string original = fileBytes(file);
    const auto names = folderNames();
    ASSERT_TRUE(engine.LoadPage(file).ok());
    // A save elsewhere tells how many bytes a complete save writes: failing at the
    // very last byte must still leave the old file alone.
    ASSERT_TRUE(engine.SavePage(path("sized.tif"), 4, 1).ok());
    const int complete = static_cast<int>(fileBytes(path("sized.tif")).size());
    fs::remove(path("sized.tif"));
    for (int budget : {0, 8, 300, complete - 1}) {
        setSaveFaultForTesting(budget);
        Status st = engine.SavePage(file, 4, 1);
        EXPECT_FALSE(st.ok()) << "budget " << budget;
        EXPECT_NE(st.reason().find("No space left on device"), std::string::npos) << st.reason();
        EXPECT_TRUE(fileBytes(file) == original) << "budget " << budget;
        EXPECT_EQ(folderNames(), names) << "no temporary file is left behind";
        EXPECT_TRUE(engine.hasImage());
    }
    setSaveFaultForTesting(-1);
    EXPECT_TRUE(engine.SavePage(file, 4, 1).ok());

    Status missingFolder = engine.SavePage(path("no/such/folder/x.tif"), 4, 1);
    EXPECT_FALSE(missingFolder.ok());
    EXPECT_NE(missingFolder.reason().find("No such file or directory"), std::string::npos)
        << missingFolder.reason();

    PageEngine empty;
    EXPECT_FALSE(empty.SavePage(path("never.tif"), 4, 1).ok());
    EXPECT_FALSE(fs::exists(path("never.tif")));
}

TEST_F(SaveTest, AFullFileSystemFailsTheSaveAndKeepsTheOldFile) {
    const std::string mountPoint = path("small");
    fs::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{mountPoint};
    PageSpec s;
    s.compression = COMPRESSION_CCITTFAX4;
    const std::string file = mountPoint + "/page.tif";
    ASSERT_TRUE(writeTiff(file, {s}));
    const std::string original = fileBytes(file);
    // A noisy page that cannot compress into the space left.
    PixPtr noise(pixCreate(400, 400, 8));
    std::uint32_t seed = 12345;
    for (l_int32 y = 0; y < 400; ++y)
        for (l_int32 x = 0; x < 400; ++x) {
            seed = seed * 1103515245u + 12345u;
            pixSetPixel(noise.get(), x, y, (seed >> 16) & 0xFF);
        }
    engine.setImage(std::move(noise), 300, 300);
    Status st = engine.SavePage(file, 5, 8);
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.reason().find("No space left on device"), std::string::npos) << st.reason();
    EXPECT_TRUE(fileBytes(file) == original);
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint), fs::directory_iterator()), 1);
}

TEST_F(SaveTest, TheSavedPageCarriesItsOwnResolutionWhateverTheFileHeld) {
    // A 204 x 98 dpi fax page: turned a quarter it is 98 x 204, over its own file as
    // in a new one; a file stored turned (by its Orientation) is written upright with
    // its resolution turned too. Over its own file the unit and exact values stay.
    struct Case {
        std::uint16_t unit, orientation;
        bool turn;
    } cases[] = {{RESUNIT_INCH, ORIENTATION_TOPLEFT, true},
                 {RESUNIT_CENTIMETER, ORIENTATION_TOPLEFT, true},
                 {RESUNIT_INCH, ORIENTATION_RIGHTTOP, false}};
    for (const Case& c : cases) {
        const std::string what =
            "unit " + std::to_string(c.unit) + " orientation " + std::to_string(c.orientation);
        PageSpec s;
        s.width = 32;
        s.height = 16;
        s.compression = COMPRESSION_CCITTFAX3;
        s.orientation = c.orientation;
        s.resolutionUnit = c.unit;
        const float perUnit = c.unit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
        s.xres = 204 / perUnit;
        s.yres = 98 / perUnit;
        const std::string file = path("fax.tif"), fresh = path("fresh.tif");
        ASSERT_TRUE(writeTiff(file, {s}));
        fs::remove(fresh);
        ASSERT_TRUE(engine.LoadPage(file).ok());
        if (c.turn) {
            ASSERT_TRUE(engine.Rotate(9000, true, 0xFFFFFF).ok());
        }
        ASSERT_EQ(engine.XResolution(), 98) << what;
        ASSERT_EQ(engine.YResolution(), 204) << what;
        ASSERT_TRUE(engine.SavePage(fresh, 3, 1).ok());
        ASSERT_TRUE(engine.SavePage(file, 3, 1).ok());
        for (const std::string& f : {file, fresh}) {
            ASSERT_TRUE(engine.ReadFileInfo(f).ok());
            EXPECT_EQ(engine.storedInfo().width, 16) << what << " " << f;
            EXPECT_EQ(engine.storedInfo().height, 32) << what << " " << f;
            EXPECT_EQ(engine.storedInfo().xResolution, 98) << what << " " << f;
            EXPECT_EQ(engine.storedInfo().yResolution, 204) << what << " " << f;
        }
        TIFF* tif = TIFFOpen(file.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        float x = 0, y = 0;
        std::uint16_t unit = 0;
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y);
        TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
        TIFFClose(tif);
        EXPECT_EQ(unit, c.unit) << what;
        EXPECT_FLOAT_EQ(x, s.yres) << what;
        EXPECT_FLOAT_EQ(y, s.xres) << what;
    }
}

TEST_F(SaveTest, EveryWriterFailureLeavesTheOldFileAsItWas) {
    // A page 2 that cannot be carried over (its strip offsets are missing), and an
    // encoding that cannot be set up (JPEG is limited to 65500 pixels a side).
    PageSpec s = tagged(PageSpec{});
    s.compression = COMPRESSION_CCITTFAX4;
    const std::string file = path("two.tif");
    ASSERT_TRUE(writeTiff(file, {s, s}));
    ASSERT_TRUE(renameTag(file, 1, TIFFTAG_STRIPOFFSETS, TIFFTAG_MODEL));
    const std::string original = fileBytes(file);
    const auto names = folderNames();
    ASSERT_TRUE(engine.LoadPage(file).ok()) << "page 1 itself is sound";
    Status st = engine.SavePage(file, 4, 1);
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.reason().find("page 2"), std::string::npos) << st.reason();
    EXPECT_TRUE(fileBytes(file) == original);
    EXPECT_EQ(folderNames(), names);

    const std::string gray = path("gray.tif");
    ASSERT_TRUE(writeTiff(gray, {s}));
    const std::string grayBytes = fileBytes(gray);
    engine.setImage(PixPtr(pixCreate(65536, 1, 8)), 300, 300);
    st = engine.SavePage(gray, 7, 8);
    EXPECT_FALSE(st.ok());
    EXPECT_FALSE(st.reason().empty());
    EXPECT_TRUE(fileBytes(gray) == grayBytes);
    EXPECT_EQ(folderNames().size(), names.size() + 1) << "no temporary file is left behind";
}

TEST_F(SaveTest, TheReplacedFileKeepsItsPermissionsAndALinkStaysALink) {
    fs::create_directory(path("real"));
    const std::string target = path("real/page.tif"), link = path("link.tif");
    PageSpec s;
    ASSERT_TRUE(writeTiff(target, {s}));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/page.tif", link);
    const std::string before = fileBytes(target);
    ASSERT_TRUE(engine.LoadPage(link).ok());
    pixInvert(engine.pix(), engine.pix());
    const auto status = engine.SavePage(link, 4, 1);
    ASSERT_TRUE(status.ok()) << status.reason();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "real/page.tif");
    EXPECT_NE(fileBytes(target), before) << "the linked file holds the saved page";
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(path("real")), fs::directory_iterator()), 1);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"link.tif", "real"}));
}

namespace {

// Exposure time from the EXIF directory page `page` points to: nullopt when the
// page points to none, -1 when what it points to is no such directory.
std::optional<double> exifExposure(const std::string& file, int page) {
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    std::optional<double> result = -1;
    std::uint64_t at = 0;
    if (!tif || !TIFFSetDirectory(tif, static_cast<tdir_t>(page))) {
        result = -2;
    } else if (!TIFFGetField(tif, TIFFTAG_EXIFIFD, &at)) {
        result.reset();
    } else if (TIFFReadEXIFDirectory(tif, at)) {
        float exposure = -1;  // rationals of the EXIF directory are read as float
        if (TIFFGetField(tif, EXIFTAG_EXPOSURETIME, &exposure)) result = exposure;
    }
    if (tif) TIFFClose(tif);
    return result;
}

}  // namespace

TEST_F(SaveTest, DirectoryPointersAreNeverCopiedAsPlainNumbers) {
    // Scanner pages often point to an EXIF directory; its offset in the old file
    // means nothing in the new one, on page 1 as on the pages carried over.
    PageSpec s = tagged(PageSpec{});
    s.compression = COMPRESSION_CCITTFAX4;
    s.withExif = true;
    const std::string file = path("exif.tif");
    ASSERT_TRUE(writeTiff(file, {s, s}));
    ASSERT_EQ(exifExposure(file, 0), 0.5);
    ASSERT_EQ(exifExposure(file, 1), 0.5);
    ASSERT_TRUE(engine.LoadPage(file).ok());
    const auto status = engine.SavePage(file, 4, 1);
    ASSERT_TRUE(status.ok()) << status.reason();
    for (int page : {0, 1}) {
        const std::optional<double> exposure = exifExposure(file, page);
        if (exposure) {
            EXPECT_EQ(*exposure, 0.5) << "page " << page + 1 << " points elsewhere";
        }
    }
    EXPECT_EQ(PageEngine::ReadComment(file, 2, 9), "Scanner 4.2") << "page 2 is still whole";
}

// A page the user may not write is never replaced, although the folder would let the
// save rename a new file over it: a file without any write bit (refused even for the
// superuser), and a file this user lacks write permission for (checked as an
// unprivileged user in a child process).
TEST_F(SaveTest, AWriteProtectedPageIsNeverReplaced) {
    const std::string readOnly = path("readonly.tif");
    ASSERT_TRUE(writeTiff(readOnly, {PageSpec{}}));
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string original = fileBytes(readOnly);
    ASSERT_TRUE(engine.LoadPage(readOnly).ok());
    Status st = engine.SavePage(readOnly, 4, 1);
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.reason().find(readOnly + " is write-protected"), std::string::npos) << st.reason();
    EXPECT_TRUE(fileBytes(readOnly) == original);
    struct stat info {};
    ASSERT_EQ(::stat(readOnly.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);

    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
    // Owner-writable, so only this user's missing permission protects it.
    const std::string othersPage = path("others.tif");
    ASSERT_TRUE(writeTiff(othersPage, {PageSpec{}}));
    ASSERT_EQ(::chmod(othersPage.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0777), 0);
    const std::string before = fileBytes(othersPage);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        // The folder lets this user create and rename files ...
        const std::string probe = path("probe");
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0) ::_exit(4);
        ::close(fd);
        ::unlink(probe.c_str());
        // ... yet the page is not replaced.
        const Status refused = engine.SavePage(othersPage, 4, 1);
        if (refused.ok()) ::_exit(1);
        ::_exit(refused.reason().find("write-protected") == std::string::npos ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot switch to user 65534 here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: replaced, 2: wrong reason, 4: folder not writable";
    EXPECT_TRUE(fileBytes(othersPage) == before);
}

// A page saved by the administrator in another user's folder stays that user's to
// write: the replacement keeps the owner, the group and the mode.
TEST_F(SaveTest, TheReplacedPageKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file away";
    const std::string page = path("others.tif");
    ASSERT_TRUE(writeTiff(page, {PageSpec{}}));
    ASSERT_EQ(::chown(page.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(page.c_str(), 0640), 0);
    ASSERT_TRUE(engine.LoadPage(page).ok());
    pixInvert(engine.pix(), engine.pix());
    const Status saved = engine.SavePage(page, 4, 1);
    ASSERT_TRUE(saved.ok()) << saved.reason();
    struct stat st {};
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A batch page is saved over the temporary file by name before the commit puts
    // it in place: the owner must reach that file too.
    const std::string output = path("others-out.tif");
    ASSERT_TRUE(writeTiff(output, {PageSpec{}}));
    ASSERT_EQ(::chown(output.c_str(), 65534, 65534), 0);
    OutputFile out;
    ASSERT_TRUE(out.open(output).ok());
    ASSERT_TRUE(engine.SavePageFrom(page, out.temporaryPath(), 4, 1).ok());
    ASSERT_TRUE(out.commit().ok());
    ASSERT_EQ(::stat(output.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
}

// The one way files are replaced: an unfinished replacement leaves the old file
// and no temporary file; a finished one keeps the replaced file's permissions and
// writes through a symbolic link instead of replacing the link.
TEST_F(SaveTest, OutputFileReplacesWholeOrNotAtAll) {
    const std::string target = path("settings.ini"), link = path("link.ini");
    writeBytes(target, "old");
    ::chmod(target.c_str(), 0600);
    fs::create_symlink(target, link);
    const auto before = folderNames();
    {
        OutputFile unfinished;
        ASSERT_TRUE(unfinished.open(link).ok());
        ASSERT_TRUE(unfinished.write("new", 3).ok());
    }
    EXPECT_EQ(fileBytes(target), "old");
    EXPECT_EQ(folderNames(), before) << "no temporary file is left behind";

    OutputFile out;
    ASSERT_TRUE(out.open(link).ok());
    ASSERT_TRUE(out.write("new", 3).ok());
    const Status committed = out.commit();
    ASSERT_TRUE(committed.ok()) << committed.reason();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fileBytes(target), "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(folderNames(), before);
}

// A 16-bit gray page keeps all 16 bits of every sample through a quarter turn, an
// invert and a white-fill: read back from the file itself, not through the engine.
TEST_F(SaveTest, SixteenBitGrayKeepsEveryBitThroughEditsAndSave) {
    PageSpec s;
    s.bps = 16;
    s.photometric = PHOTOMETRIC_MINISWHITE;
    s.compression = COMPRESSION_ADOBE_DEFLATE;
    const std::string file = path("deep.tif");
    ASSERT_TRUE(writeTiff(file, {s}));
    ASSERT_TRUE(engine.LoadPage(file).ok());
    ASSERT_TRUE(engine.Rotate(9000, true, 0xFFFFFF).ok());
    ASSERT_TRUE(engine.Invert().ok());
    engine.SetRegionRect(2, 3, 5, 4);  // x 2..6, y 3..6 of the turned page
    ASSERT_TRUE(engine.FillRegion(0xFFFFFF).ok());
    ASSERT_TRUE(engine.SavePage(file, engine.loadedFormat(), engine.loadedBitDepth()).ok());

    TIFF* tif = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    std::uint32_t w = 0, h = 0;
    std::uint16_t bps = 0, photometric = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(bps, 16);
    ASSERT_EQ(w, s.height);  // turned a quarter: the sides swap
    ASSERT_EQ(h, s.width);
    std::vector<std::uint16_t> row(w);
    int wrong = 0;
    for (std::uint32_t y = 0; y < h; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
        for (std::uint32_t x = 0; x < w; ++x) {
            // Turned clockwise: the turned page's (x, y) was the stored (y, height - 1 - x).
            std::uint16_t want = static_cast<std::uint16_t>(0xFFFF - gray16At(y, s.height - 1 - x));
            if (x >= 2 && x < 7 && y >= 3 && y < 7) want = 0xFFFF;  // filled white
            const std::uint16_t got =
                photometric == PHOTOMETRIC_MINISWHITE ? 0xFFFF - row[x] : row[x];
            if (got != want && ++wrong <= 3)
                ADD_FAILURE() << "sample " << x << "," << y << ": " << got << " not " << want;
        }
    }
    TIFFClose(tif);
    EXPECT_EQ(wrong, 0);
}
