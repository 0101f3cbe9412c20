// Bad and foreign input: oversized headers, truncated data, files that are not
// TIFF, missing files, and a collection of third-party TIFF files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "HeapPeak.h"
#include "imaging/engine/PageEngine.h"
#include "support/TestPages.h"

using namespace leafmark::imaging;
using namespace leafmark::testing;
namespace fs = std::filesystem;

namespace {

// A little-endian TIFF built by hand: one directory placed right after the
// header, with its data (strips) last, so cutting the file cuts pixel data.
struct HandTiff {
    struct Entry {
        std::uint16_t tag, type;  // type 3 SHORT or 4 LONG
        std::vector<std::uint32_t> values;
    };
    std::vector<Entry> entries;
    std::vector<std::string> strips;

    std::string build() const {
        auto put16 = [](std::string& s, std::uint32_t v) {
            s += char(v & 0xFF);
            s += char((v >> 8) & 0xFF);
        };
        auto put32 = [&](std::string& s, std::uint32_t v) {
            put16(s, v & 0xFFFF);
            put16(s, v >> 16);
        };
        std::vector<Entry> all = entries;
        all.push_back({273, 4, {}});
        all.push_back({279, 4, {}});
        std::sort(all.begin(), all.end(),
                  [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        const std::uint32_t ifdSize = 2 + 12 * static_cast<std::uint32_t>(all.size()) + 4;
        const std::uint32_t arrays = 8 + ifdSize;
        const std::uint32_t dataStart = arrays + 8 * static_cast<std::uint32_t>(strips.size()) * 2;
        std::vector<std::uint32_t> offsets, counts;
        std::uint32_t at = dataStart;
        for (const auto& s : strips) {
            offsets.push_back(at);
            counts.push_back(static_cast<std::uint32_t>(s.size()));
            at += static_cast<std::uint32_t>(s.size());
        }
        std::string out = "II";
        put16(out, 42);
        put32(out, 8);
        std::string extra;
        put16(out, static_cast<std::uint32_t>(all.size()));
        for (Entry e : all) {
            if (e.tag == 273) e.values = offsets;
            if (e.tag == 279) e.values = counts;
            put16(out, e.tag);
            put16(out, e.type);
            put32(out, static_cast<std::uint32_t>(e.values.size()));
            const std::size_t bytes = e.values.size() * (e.type == 3 ? 2 : 4);
            if (bytes <= 4) {
                std::string inl;
                for (auto v : e.values) e.type == 3 ? put16(inl, v) : put32(inl, v);
                inl.resize(4, '\0');
                out += inl;
            } else {
                put32(out, arrays + static_cast<std::uint32_t>(extra.size()));
                for (auto v : e.values) e.type == 3 ? put16(extra, v) : put32(extra, v);
            }
        }
        put32(out, 0);
        extra.resize(dataStart - arrays, '\0');
        out += extra;
        for (const auto& s : strips) out += s;
        return out;
    }
};

// Raw (still compressed) strips of page 1 of a file libtiff wrote.
std::vector<std::string> rawStrips(const std::string& file) {
    std::vector<std::string> out;
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    for (std::uint32_t i = 0; tif && i < TIFFNumberOfStrips(tif); ++i) {
        std::string s(TIFFGetStrileByteCount(tif, i), '\0');
        TIFFReadRawStrip(tif, i, s.data(), static_cast<tmsize_t>(s.size()));
        out.push_back(s);
    }
    if (tif) TIFFClose(tif);
    return out;
}

class FilesTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    // Loads a good page first so that a failed load must also drop it.
    void loadSomethingFirst() {
        PageSpec s;
        ASSERT_TRUE(writeTiff(path("good.tif"), {s}));
        ASSERT_TRUE(engine.LoadPage(path("good.tif")).ok());
    }
    void expectRefused(const std::string& file, const std::string& reasonPart) {
        loadSomethingFirst();
        Status s = engine.LoadPage(file);
        EXPECT_FALSE(s.ok()) << file;
        EXPECT_NE(s.reason().find(reasonPart), std::string::npos) << s.reason();
        EXPECT_FALSE(engine.hasImage()) << "nothing of the previous page stays";
        EXPECT_EQ(engine.XResolution(), 0);
        EXPECT_EQ(engine.loadedFormat(), 0);
    }
    QTemporaryDir dir;
    PageEngine engine;
};

HandTiff bilevelHeader(std::uint32_t w, std::uint32_t h, std::uint32_t compression) {
    HandTiff t;
    t.entries = {{256, 4, {w}},           {257, 4, {h}}, {258, 3, {1}},
                 {259, 3, {compression}}, {262, 3, {0}}, {278, 4, {h}}};
    return t;
}

}  // namespace

TEST_F(FilesTest, HeadersClaimingHugePagesAreRefusedBeforeAnyAllocation) {
    HandTiff bomb = bilevelHeader(100000, 100000, 4);
    bomb.strips = {std::string(28, '\x55')};
    const std::string bytes = bomb.build();
    EXPECT_LE(bytes.size(), 200u);
    writeBytes(path("bomb.tif"), bytes);
    expectRefused(path("bomb.tif"), "too large");
    ASSERT_TRUE(engine.ReadFileInfo(path("bomb.tif")).ok()) << "the header alone is readable";
    EXPECT_EQ(engine.storedInfo().width, 100000);

    // Width x height beyond 32 bits (65536 x 65537 wraps to 65536 pixels), and an
    // absurd width alone.
    HandTiff wrap = bilevelHeader(65536, 65537, 1);
    wrap.strips = {std::string(16, '\0')};
    writeBytes(path("wrap.tif"), wrap.build());
    expectRefused(path("wrap.tif"), "too large");

    HandTiff wide = bilevelHeader(0xFFFFFFFFu, 1, 1);
    wide.strips = {std::string(16, '\0')};
    writeBytes(path("wide.tif"), wide.build());
    expectRefused(path("wide.tif"), "too large");

    // The budget is in bytes as held: an A3 colour page at 600 dpi fits.
    EXPECT_LE(decodedPageBytes(7016, 9921, 32), kMaxPageBytes);
}

TEST_F(FilesTest, BudgetAdmitsAPageOfExactlyItsSizeAndRefusesOneRowMore) {
    auto grayPage = [](std::uint32_t w, std::uint32_t h) {
        HandTiff t;
        t.entries = {{256, 4, {w}}, {257, 4, {h}}, {258, 3, {8}},
                     {259, 3, {1}}, {262, 3, {1}}, {278, 4, {h}}};
        t.strips = {std::string(w * h, '\x40')};
        return t.build();
    };
    ByteBudget budget(64 * 100);
    engine.setSharedBudget(&budget);
    writeBytes(path("fits.tif"), grayPage(64, 100));
    writeBytes(path("over.tif"), grayPage(64, 101));
    const auto fitsLoad = engine.LoadPage(path("fits.tif"));
    ASSERT_TRUE(fitsLoad.ok()) << fitsLoad.reason();
    EXPECT_EQ(budget.inUse(), 64u * 100);
    ASSERT_TRUE(engine.LoadPage(path("fits.tif")).ok()) << "the page before gives its bytes back";
    Status s = engine.LoadPage(path("over.tif"));
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.reason().find("too large"), std::string::npos) << s.reason();
    EXPECT_EQ(budget.inUse(), 0u);
    EXPECT_TRUE(engine.ReadFileInfo(path("over.tif")).ok());
    engine.setSharedBudget(nullptr);
}

TEST_F(FilesTest, BombsAreRefusedOrLoadWithinAMemoryCeiling) {
    if (!HeapPeak::available())
        GTEST_SKIP() << "the heap peak is measured through the address sanitizer's hooks";
    constexpr std::size_t kCeiling = 500u << 20;
    // A 150-byte file claiming a 20000 x 20000 colour page.
    HandTiff colour;
    colour.entries = {{256, 4, {20000}}, {257, 4, {20000}}, {258, 3, {8, 8, 8}}, {259, 3, {8}},
                      {262, 3, {2}},     {277, 3, {3}},     {278, 4, {20000}}};
    colour.strips = {std::string(16, 'x')};
    writeBytes(path("colour.tif"), colour.build());
    // 8000 x 8000 gray in one uncompressed strip of which 64 bytes exist.
    HandTiff cut;
    cut.entries = {{256, 4, {8000}}, {257, 4, {8000}}, {258, 3, {8}},
                   {259, 3, {1}},    {262, 3, {1}},    {278, 4, {8000}}};
    cut.strips = {std::string(64, '\x10')};
    std::string cutBytes = cut.build();
    const std::size_t countAt =
        cutBytes.find(std::string("\x40\0\0\0", 4), 8);  // the strip's byte count
    ASSERT_NE(countAt, std::string::npos);
    const std::uint32_t claimed = 8000u * 8000u;
    std::memcpy(&cutBytes[countAt], &claimed, 4);
    writeBytes(path("cut.tif"), cutBytes);

    // Two 64 x 64 pages sharing one strip; page 2 is Deflate and declares a 2 GB strip.
    std::string twoPages("II*\0\0\0\0\0", 8);
    twoPages += std::string(512, '\0');
    auto put16 = [](std::string& b, std::uint32_t v) {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::string& b, std::uint32_t v) {
        put16(b, v & 0xFFFF);
        put16(b, v >> 16);
    };
    auto directory = [&](std::uint32_t compression, std::uint32_t count, std::uint32_t next) {
        const std::uint32_t entries[][3] = {{256, 4, 64},          {257, 4, 64},   {258, 3, 1},
                                            {259, 3, compression}, {262, 3, 0},    {273, 4, 8},
                                            {278, 4, 64},          {279, 4, count}};
        put16(twoPages, 8);
        for (const auto& e : entries) {
            put16(twoPages, e[0]);
            put16(twoPages, e[1]);
            put32(twoPages, 1);
            e[1] == 3 ? (put16(twoPages, e[2]), put16(twoPages, 0)) : put32(twoPages, e[2]);
        }
        put32(twoPages, next);
    };
    const std::uint32_t first = 8 + 512, second = first + 2 + 8 * 12 + 4;
    directory(1, 512, second);
    directory(8, 0x7FFF0000u, 0);
    std::memcpy(&twoPages[4], &first, 4);
    writeBytes(path("two.tif"), twoPages);

    HeapPeak peak;
    const auto twoLoad = engine.LoadPage(path("two.tif"));
    ASSERT_TRUE(twoLoad.ok()) << twoLoad.reason();
    Status saved = engine.SavePage(path("two.tif"), kFormatGroup4, 1);
    EXPECT_FALSE(saved.ok());
    EXPECT_NE(saved.reason().find("later page"), std::string::npos) << saved.reason();
    EXPECT_EQ(fileBytes(path("two.tif")), twoPages);
    expectRefused(path("colour.tif"), "too large");
    EXPECT_EQ(PageEngine::TruncationOf(path("colour.tif")), std::nullopt)
        << "refused from its header, not called damaged";
    EXPECT_TRUE(PageEngine::TruncationOf(path("cut.tif")).has_value());
    const auto cutLoad = engine.LoadPage(path("cut.tif"));
    EXPECT_TRUE(cutLoad.ok()) << cutLoad.reason();
    EXPECT_TRUE(engine.damaged());
    engine.clearImage();
    EXPECT_LT(peak.bytes(), kCeiling);
    EXPECT_GT(peak.bytes(), 8000u * 8000u) << "the damaged page was held in full";
}

struct Truncation {
    std::uint16_t compression, bps;
    std::uint32_t rowsPerStrip;
};

class TruncatedPage : public FilesTest, public ::testing::WithParamInterface<Truncation> {};

TEST_P(TruncatedPage, LoadsWhatDecodesAndIsMarkedDamaged) {
    const Truncation& c = GetParam();
    PageSpec s;
    s.width = 300;
    s.height = 400;
    s.compression = c.compression;
    s.bps = c.bps;
    s.photometric = PHOTOMETRIC_MINISWHITE;
    s.rowsPerStrip = c.rowsPerStrip;
    ASSERT_TRUE(writeTiff(path("full.tif"), {s}));
    HandTiff t;
    t.entries = {{256, 4, {s.width}},       {257, 4, {s.height}}, {258, 3, {c.bps}},
                 {259, 3, {c.compression}}, {262, 3, {0}},        {278, 4, {c.rowsPerStrip}}};
    t.strips = rawStrips(path("full.tif"));
    std::string bytes = t.build();
    writeBytes(path("whole.tif"), bytes);
    const auto wholeLoad = engine.LoadPage(path("whole.tif"));
    ASSERT_TRUE(wholeLoad.ok()) << wholeLoad.reason();
    ASSERT_FALSE(engine.damaged()) << "hand-built file is sound: " << engine.damageReason();
    PixPtr full(pixCopy(nullptr, engine.pix()));

    writeBytes(path("cut.tif"), bytes.substr(0, bytes.size() * 6 / 10));
    Status st = engine.LoadPage(path("cut.tif"));
    ASSERT_TRUE(st.ok()) << "compression " << c.compression << ": " << st.reason();
    EXPECT_TRUE(engine.damaged()) << "compression " << c.compression;
    EXPECT_FALSE(engine.damageReason().empty());
    ASSERT_EQ(pixGetWidth(engine.pix()), 300);
    // The top third decoded exactly.
    BoxPtr top(boxCreate(0, 0, 300, 100));
    PixPtr topGot(pixClipRectangle(engine.pix(), top.get(), nullptr));
    PixPtr topWant(pixClipRectangle(full.get(), top.get(), nullptr));
    EXPECT_EQ(maxDifference(topGot.get(), topWant.get()), 0) << "compression " << c.compression;
}

INSTANTIATE_TEST_SUITE_P(Codings, TruncatedPage,
                         ::testing::Values(Truncation{COMPRESSION_CCITTFAX4, 1, 400},
                                           Truncation{COMPRESSION_LZW, 8, 400},
                                           Truncation{COMPRESSION_NONE, 1, 16},
                                           Truncation{COMPRESSION_PACKBITS, 8, 32}),
                         [](const ::testing::TestParamInfo<Truncation>& info) {
                             return "Compression" + std::to_string(info.param.compression) +
                                    "Rows" + std::to_string(info.param.rowsPerStrip);
                         });

TEST_F(FilesTest, MissingEmptyForeignAndFolderPathsEachGiveTheirOwnReason) {
    expectRefused(path("nothing-here.tif"), "not found");
    writeBytes(path("empty.tif"), "");
    expectRefused(path("empty.tif"), "Empty file");
    writeBytes(path("notes.tif"), "These are notes, not a page.\n");
    expectRefused(path("notes.tif"), "Not a TIFF");
    writeBytes(path("head.tif"), std::string("II*\0\x08\0\0\0", 8));
    expectRefused(path("head.tif"), "Damaged TIFF");
    fs::create_directory(path("folder.tif"));
    expectRefused(path("folder.tif"), "Not a regular file");
    // A named pipe nobody writes to and a link to an endless device are refused
    // at once instead of blocking or being read without end.
    ASSERT_EQ(::mkfifo(path("pipe.tif").c_str(), 0600), 0);
    expectRefused(path("pipe.tif"), "named pipe");
    EXPECT_FALSE(engine.ReadFileInfo(path("pipe.tif")).ok());
    EXPECT_EQ(PageEngine::ReadComment(path("pipe.tif"), 1, kSlotDocumentMarker), std::nullopt);
    fs::create_symlink("/dev/zero", path("zero.tif"));
    expectRefused(path("zero.tif"), "device");
    const Status notes = engine.ReadFileInfo(path("notes.tif"));
    EXPECT_FALSE(notes.ok());
    EXPECT_NE(notes.reason().find("Not a TIFF"), std::string::npos);
}

TEST_F(FilesTest, ThirdPartyFilesLoadWithTheRightPixelsOrAreRefusedClearly) {
    const fs::path data = LEAFMARK_TESTDATA_DIR;
    if (!fs::is_directory(data)) GTEST_SKIP() << "no third-party files at " << data;
    // Reference images beside some files, as netpbm.
    auto readReference = [](const fs::path& p) { return PixPtr(pixRead(p.c_str())); };
    int loaded = 0, compared = 0;
    for (const auto& entry : fs::directory_iterator(data)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".tif" && ext != ".tiff") continue;
        const std::string name = entry.path().filename().string();
        Status s = engine.LoadPage(entry.path().string());
        if (!s.ok()) {
            EXPECT_FALSE(s.reason().empty()) << name;
            EXPECT_FALSE(engine.hasImage()) << name;
            std::cout << "refused " << name << ": " << s.reason() << "\n";
            continue;
        }
        ++loaded;
        if (engine.damaged())
            std::cout << "damaged " << name << ": " << engine.damageReason() << "\n";
        ASSERT_TRUE(engine.hasImage()) << name;
        fs::path stem = entry.path();
        for (const char* refExt : {".pgm", ".pbm", ".ppm"}) {
            const fs::path ref = stem.replace_extension(refExt);
            if (!fs::exists(ref)) continue;
            PixPtr want = readReference(ref);
            ASSERT_TRUE(want) << ref;
            PixPtr got(pixGetDepth(want.get()) == 32 ? pixConvertTo32(engine.pix())
                                                     : pixClone(engine.pix()));
            if (pixGetDepth(want.get()) == 32) pixSetSpp(want.get(), 3);
            // 16-bit samples are brought to 8 bits with rounding by one side, truncation by the
            // other.
            const int tolerance = name.find("16b") != std::string::npos ? 1 : 0;
            const int diff = maxDifference(got.get(), want.get());
            EXPECT_GE(diff, 0) << name;
            EXPECT_LE(diff, tolerance) << name << " against " << ref.filename();
            ++compared;
        }
    }
    EXPECT_GE(loaded, 15);
    EXPECT_GE(compared, 3);
}
