// The sample page maker: seeded pages are byte-identical, files carry the format
// of their kind, the drawn skew is the recorded one, specks and strips are where
// the manifest says, and failures leave nothing behind.

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>
#include <tiffio.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <memory>

#include "pagemaker/PageMaker.h"

using namespace leafmark::pagemaker;

namespace {

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

Tiff openTiff(const QString& path) {
    return Tiff(TIFFOpen(QFile::encodeName(path).constData(), "r"));
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool isBlack(const QImage& mono, int x, int y) {
    return (mono.constScanLine(y)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

// Skew of a page file as leptonica finds it (degrees, leptonica's sense).
double foundSkew(const QString& path) {
    PIX* pix = pixRead(QFile::encodeName(path).constData());
    if (!pix) return NAN;
    float angle = 0, conf = 0;
    const bool ok = pixFindSkew(pix, &angle, &conf) == 0;
    pixDestroy(&pix);
    return ok ? angle : NAN;
}

constexpr PageKind kAllKinds[] = {PageKind::Group4, PageKind::Gray, PageKind::Colour,
                                  PageKind::Fax};

}  // namespace

TEST(PageMaker, SameSpecGivesByteIdenticalFilesAndOtherSeedsDiffer) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (PageKind kind : kAllKinds) {
        SCOPED_TRACE(kindName(kind));
        PageSpec spec{kind, 77, 2.35, 5, true, "BOD"};
        const QString a = dir.filePath(QStringLiteral("a.tif")),
                      b = dir.filePath(QStringLiteral("b.tif"));
        const QString c = dir.filePath(QStringLiteral("c.tif"));
        ASSERT_TRUE(makePageFile(spec, a));
        ASSERT_TRUE(makePageFile(spec, b));
        spec.seed = 78;
        ASSERT_TRUE(makePageFile(spec, c));
        const QByteArray first = bytesOf(a);
        ASSERT_GT(first.size(), 1000);
        EXPECT_EQ(first, bytesOf(b));
        EXPECT_NE(first, bytesOf(c));
    }
}

TEST(PageMaker, FoldersFromTheSameSeedAreIdentical) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FolderOptions options;
    options.seed = 5;
    options.pages = 9;  // reaches every kind of a mixed folder
    const QString one = dir.filePath(QStringLiteral("one")),
                  two = dir.filePath(QStringLiteral("two"));
    QString error;
    ASSERT_TRUE(makeFolder(one, options, nullptr, &error)) << error.toStdString();
    ASSERT_TRUE(makeFolder(two, options, nullptr, &error)) << error.toStdString();
    const QStringList names = QDir(one).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 10);  // nine pages and the manifest
    EXPECT_EQ(names, QDir(two).entryList(QDir::Files, QDir::Name));
    for (const QString& name : names)
        EXPECT_EQ(bytesOf(one + QLatin1Char('/') + name), bytesOf(two + QLatin1Char('/') + name))
            << name.toStdString();
    // Pages made together (on several threads) equal the same page made alone.
    const QString alone = dir.filePath(QStringLiteral("alone.tif"));
    ASSERT_TRUE(makePageFile(folderPageSpec(options, 6), alone));
    EXPECT_EQ(bytesOf(alone), bytesOf(one + QStringLiteral("/00000006.tif")));
}

TEST(PageMaker, EachKindIsStoredInItsFormatSizeAndResolution) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Expect {
        PageKind kind;
        uint32_t width, height;
        float xres, yres;
        uint16_t compression, bits, samples, photometric;
    };
    const Expect cases[] = {
        {PageKind::Group4, 2550, 3300, 300, 300, COMPRESSION_CCITTFAX4, 1, 1,
         PHOTOMETRIC_MINISWHITE},
        {PageKind::Gray, 2550, 3300, 300, 300, COMPRESSION_LZW, 8, 1, PHOTOMETRIC_MINISBLACK},
        {PageKind::Colour, 2550, 3300, 300, 300, COMPRESSION_JPEG, 8, 3, PHOTOMETRIC_RGB},
        {PageKind::Fax, 1728, 2200, 204, 196, COMPRESSION_CCITTFAX3, 1, 1, PHOTOMETRIC_MINISWHITE},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(kindName(e.kind));
        for (const std::string description : {"", "BOD"}) {
            const QString path = dir.filePath(QStringLiteral("p.tif"));
            ASSERT_TRUE(makePageFile(PageSpec{e.kind, 3, -1.5, 3, false, description}, path));
            Tiff tif = openTiff(path);
            ASSERT_TRUE(tif);
            uint32_t w = 0, h = 0;
            uint16_t comp = 0, bits = 0, spp = 0, photo = 0, unit = 0;
            float xres = 0, yres = 0;
            TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
            TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
            TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &comp);
            TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
            TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
            TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photo);
            TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres);
            TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres);
            TIFFGetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
            EXPECT_EQ(w, e.width);
            EXPECT_EQ(h, e.height);
            EXPECT_EQ(comp, e.compression);
            EXPECT_EQ(bits, e.bits);
            EXPECT_EQ(spp, e.samples);
            EXPECT_EQ(photo, e.photometric);
            EXPECT_FLOAT_EQ(xres, e.xres);
            EXPECT_FLOAT_EQ(yres, e.yres);
            EXPECT_EQ(unit, RESUNIT_INCH);
            char* text = nullptr;
            const bool hasText = TIFFGetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, &text) != 0;
            EXPECT_EQ(hasText, !description.empty());
            if (hasText) {
                EXPECT_STREQ(text, description.c_str());
            }
            EXPECT_EQ(TIFFNumberOfDirectories(tif.get()), 1);
        }
    }
}

TEST(PageMaker, BilevelFilesDecodeToTheRenderedBitsWithBlackAsOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (PageKind kind : {PageKind::Group4, PageKind::Fax}) {
        SCOPED_TRACE(kindName(kind));
        const Page page = renderPage(PageSpec{kind, 11, 1.2, 6, true, {}});
        const QString path = dir.filePath(QStringLiteral("bits.tif"));
        ASSERT_TRUE(writeTiff(page, path));
        Tiff tif = openTiff(path);
        ASSERT_TRUE(tif);
        std::vector<unsigned char> row(static_cast<size_t>(TIFFScanlineSize(tif.get())));
        const int full = page.image.width() / 8, rest = page.image.width() % 8;
        const unsigned char restMask = static_cast<unsigned char>(0xFF00 >> rest);
        int differing = 0, inkRows = 0;
        long long black = 0;
        for (int y = 0; y < page.image.height(); ++y) {
            ASSERT_EQ(TIFFReadScanline(tif.get(), row.data(), static_cast<uint32_t>(y), 0), 1);
            const uchar* want = page.image.constScanLine(y);
            if (std::memcmp(row.data(), want, static_cast<size_t>(full)) != 0 ||
                (rest && ((row[full] ^ want[full]) & restMask)))
                ++differing;
            bool ink = false;
            for (int i = 0; i < full; ++i) {
                black += __builtin_popcount(want[i]);
                ink = ink || want[i];
            }
            inkRows += ink;
        }
        EXPECT_EQ(differing, 0);
        // Text, a strip and a footer: well over a tenth of the rows carry ink,
        // and the page is mostly white (bit 0), not inverted.
        EXPECT_GT(inkRows, page.image.height() / 10);
        const double share = static_cast<double>(black) / (8.0 * full * page.image.height());
        EXPECT_GT(share, 0.005);
        EXPECT_LT(share, 0.2);
    }
}

TEST(PageMaker, RecordedAngleIsTheSkewFoundOnThePage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    double found[3] = {};
    const double angles[3] = {-3.0, 0.0, 4.25};
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(QStringLiteral("skew%1.tif").arg(i));
        PageInfo info;
        ASSERT_TRUE(makePageFile(PageSpec{PageKind::Group4, 21, angles[i], 4, false, {}}, path,
                                 nullptr, &info));
        EXPECT_DOUBLE_EQ(info.angle, angles[i]);
        found[i] = foundSkew(path);
        ASSERT_FALSE(std::isnan(found[i]));
    }
    // Leptonica reports the turn that straightens the page (clockwise positive), so
    // text turned clockwise by a reads as -a.
    EXPECT_NEAR(found[0], 3.0, 0.15);
    EXPECT_NEAR(found[1], 0.0, 0.15);
    EXPECT_NEAR(found[2], -4.25, 0.15);
}

TEST(PageMaker, SpecksAreIsolatedInkAndTheStripIsSolid) {
    for (PageKind kind : {PageKind::Group4, PageKind::Fax}) {
        SCOPED_TRACE(kindName(kind));
        const Page page = renderPage(PageSpec{kind, 31, -2.0, 12, true, {}});
        const QImage& img = page.image;
        ASSERT_FALSE(page.info.border.isNull());
        for (int y = page.info.border.top(); y <= page.info.border.bottom(); y += 7)
            for (int x = page.info.border.left(); x <= page.info.border.right(); x += 7)
                ASSERT_TRUE(isBlack(img, x, y)) << x << "," << y;
        ASSERT_EQ(page.info.specks.size(), 12u);
        for (const QRect& s : page.info.specks) {
            ASSERT_GE(s.width(), 1);
            ASSERT_LE(s.width(), 3);
            EXPECT_FALSE(s.intersects(page.info.border));
            for (int y = s.top() - 8; y <= s.bottom() + 8; ++y)
                for (int x = s.left() - 8; x <= s.right() + 8; ++x)
                    ASSERT_EQ(isBlack(img, x, y), s.contains(x, y))
                        << "speck " << s.x() << "," << s.y() << " at " << x << "," << y;
        }
    }
}

TEST(PageMaker, FolderPagesAreNumberedAndTheManifestReadsBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FolderOptions options;
    options.seed = 9;
    options.pages = 8;
    std::vector<PageInfo> made;
    ASSERT_TRUE(makeFolder(dir.path(), options, &made));
    ASSERT_EQ(made.size(), 8u);
    EXPECT_EQ(made[0].name, QStringLiteral("00000001.tif"));
    EXPECT_EQ(made[7].name, QStringLiteral("00000008.tif"));
    EXPECT_EQ(made[0].description, "BOD");
    int kinds[4] = {}, marked = 0;
    for (const PageInfo& p : made) {
        EXPECT_TRUE(QFile::exists(dir.filePath(p.name)));
        EXPECT_GE(p.angle, -5.0);
        EXPECT_LE(p.angle, 5.0);
        EXPECT_DOUBLE_EQ(p.angle, std::round(p.angle * 100) / 100);
        ++kinds[static_cast<int>(p.kind)];
        marked += p.description == "BOD";
    }
    EXPECT_GT(kinds[static_cast<int>(PageKind::Group4)], 3);
    for (int k : kinds) EXPECT_GT(k, 0);
    EXPECT_LT(marked, 8);

    const auto read = readManifest(dir.filePath(QString::fromLatin1(kManifestName)));
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->size(), made.size());
    for (size_t i = 0; i < made.size(); ++i) {
        const PageInfo &a = made[i], &b = (*read)[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.yDpi, b.yDpi);
        EXPECT_DOUBLE_EQ(a.angle, b.angle);
        EXPECT_EQ(a.description, b.description);
        EXPECT_EQ(a.specks, b.specks);
        EXPECT_EQ(a.border, b.border);
    }

    // No marks on request; a fixed angle on request.
    options.markDocuments = false;
    options.angle = -1.25;
    for (int i = 1; i <= 8; ++i) {
        EXPECT_TRUE(folderPageSpec(options, i).description.empty());
        EXPECT_EQ(folderPageSpec(options, i).angle, -1.25);
    }
}

TEST(PageMaker, DamagedManifestIsRefused) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pages.tsv"));
    EXPECT_FALSE(readManifest(path).has_value());  // missing
    PageInfo p;
    p.name = QStringLiteral("00000001.tif");
    p.width = 2550;
    p.specks = {QRect(1, 2, 3, 3)};
    ASSERT_TRUE(writeManifest(path, {p}));
    ASSERT_TRUE(readManifest(path).has_value());
    QByteArray text = bytesOf(path);
    for (const QByteArray& bad : {QByteArray("\tg4\t"), QByteArray("1,2,3,3")}) {
        QByteArray damaged = text;
        damaged.replace(bad, bad == "1,2,3,3" ? QByteArray("1,2,x,3") : QByteArray("\tg5\t"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
        f.close();
        EXPECT_FALSE(readManifest(path).has_value()) << damaged.toStdString();
    }
}

TEST(PageMaker, FailedWritesLeaveTheOldFileAndNoLeftovers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    EXPECT_FALSE(
        makePageFile(PageSpec{}, dir.filePath(QStringLiteral("missing/sub/p.tif")), &error));
    EXPECT_FALSE(error.isEmpty());

    const QString path = dir.filePath(QStringLiteral("keep.tif"));
    ASSERT_TRUE(makePageFile(PageSpec{}, path));
    const QByteArray before = bytesOf(path);
    PageSpec gray;
    gray.kind = PageKind::Gray;
    Page wrong = renderPage(gray);
    wrong.info.kind = PageKind::Group4;  // an 8-bit image cannot be stored as Group 4
    error.clear();
    EXPECT_FALSE(writeTiff(wrong, path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("keep.tif")});

    FolderOptions none;
    none.pages = 0;
    EXPECT_FALSE(makeFolder(dir.filePath(QStringLiteral("empty")), none, nullptr, &error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("empty"))));
}

TEST(PageMakerCommand, WritesTheFolderAndRefusesBadOptions) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(LEAFMARK_PAGEMAKER_EXE), args);
        p.waitForFinished(120000);
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString out = dir.filePath(QStringLiteral("demo"));
    for (const QStringList& bad :
         {QStringList{"--out", out, "--kind", "tiff"}, QStringList{"--out", out, "--pages", "0"},
          QStringList{"--out", out, "--seed", "x"}, QStringList{"--out", out, "--angle", "90"},
          QStringList{"--pages", "2"}}) {
        EXPECT_EQ(run(bad), 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    ASSERT_EQ(run({"--out", out, "--seed", "4", "--pages", "3", "--kind", "fax"}), 0);
    const auto pages = readManifest(out + QStringLiteral("/pages.tsv"));
    ASSERT_TRUE(pages.has_value());
    ASSERT_EQ(pages->size(), 3u);
    for (const PageInfo& p : *pages) EXPECT_EQ(p.kind, PageKind::Fax);
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/00000003.tif")));
}
