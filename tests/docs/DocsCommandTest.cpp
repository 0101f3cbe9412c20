// leafmark-docs as a script runs it: options, exit status, JSON lines, export files.

#include "io_TiffFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace fx = leafmark::imaging::testing;

namespace {

struct Result {
    int status = -1;
    QString out, err;
};

Result docs(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LEAFMARK_DOCS_EXE), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void page(const QString& path, bool marked, bool blank = false) {
    fx::PageSpec spec;
    spec.width = 600, spec.height = 600, spec.xres = spec.yres = 200;
    spec.compression = COMPRESSION_CCITTFAX4, spec.rowsPerStrip = 600;
    if (marked) spec.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "BOD"}};
    if (!blank) {
        ASSERT_TRUE(fx::writeTiff(path.toStdString(), {spec}));
    } else {  // the same page with every pixel white
        TIFF* t = TIFFOpen(path.toStdString().c_str(), "w");
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 600);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 600);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 600);
        std::vector<unsigned char> row(75, 0);
        for (std::uint32_t y = 0; y < 600; ++y) TIFFWriteScanline(t, row.data(), y, 0);
        TIFFClose(t);
    }
}

}  // namespace

TEST(DocsCommand, OptionsFollowTheCommandLineConventions) {
    const Result help = docs({QStringLiteral("-h")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--blank-threshold")));
    EXPECT_EQ(docs({QStringLiteral("--version")}).status, 0);
    const Result unknown = docs({QStringLiteral("--frobnicate"), QDir::tempPath()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("frobnicate")));
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(docs({}).status, 2);
    EXPECT_EQ(docs({QDir::tempPath(), QStringLiteral("--format=pdf")}).status, 2);  // no --export
}

TEST(DocsCommand, ListsChecksAndExportsWithoutOverwritingAnything) {
    QTemporaryDir dir, out;
    const QString pages = dir.filePath(QStringLiteral("box"));
    QDir().mkpath(pages);
    page(pages + QStringLiteral("/1.tif"), true);
    page(pages + QStringLiteral("/2.tif"), false, true);
    page(pages + QStringLiteral("/3.tif"), true);
    QFile eod(pages + QStringLiteral("/2ZZZ.EOD"));
    ASSERT_TRUE(eod.open(QIODevice::WriteOnly));
    eod.write("EOD\r\n");
    eod.close();

    // Clean folder: two documents, the white page listed as blank, exit 0.
    Result r = docs({pages, QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    QList<QJsonObject> lines;
    for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QJsonDocument j = QJsonDocument::fromJson(line.toUtf8());
        ASSERT_TRUE(j.isObject()) << line.toStdString();
        lines << j.object();
    }
    ASSERT_EQ(lines.size(), 5);  // two documents, three pages
    EXPECT_EQ(lines[0][QStringLiteral("last")].toString(), QStringLiteral("2.tif"));
    EXPECT_EQ(lines[0][QStringLiteral("blank")].toArray(), QJsonArray{QStringLiteral("2.tif")});
    EXPECT_EQ(lines[2][QStringLiteral("eod")].toString(), QStringLiteral("2ZZZ.EOD"));
    EXPECT_GT(lines[1][QStringLiteral("ink")].toDouble(), 1.0);
    EXPECT_EQ(lines[3][QStringLiteral("pages")].toInt(), 1);

    // --export DIR and --export=DIR; a second run keeps what is there unless --force.
    r = docs({pages, QStringLiteral("--export"), out.path(), QStringLiteral("--format"), QStringLiteral("pdf")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{QStringLiteral("1.pdf"), QStringLiteral("3.pdf")}));
    QFile::resize(out.filePath(QStringLiteral("3.pdf")), 10);
    r = docs({pages, QStringLiteral("--export=") + out.path(), QStringLiteral("--format=pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("already exists")));
    EXPECT_EQ(QFileInfo(out.filePath(QStringLiteral("3.pdf"))).size(), 10);
    EXPECT_EQ(docs({pages, QStringLiteral("--export=") + out.path(), QStringLiteral("--format=pdf"),
                    QStringLiteral("--force")}).status, 0);
    EXPECT_GT(QFileInfo(out.filePath(QStringLiteral("3.pdf"))).size(), 100);
    // Never into the page folder, where an output named after a page could replace it.
    EXPECT_EQ(docs({pages, QStringLiteral("--export"), pages, QStringLiteral("--force")}).status, 2);

    // A finding: exit 1, and --check prints the finding alone.
    QFile::remove(pages + QStringLiteral("/2ZZZ.EOD"));
    r = docs({pages, QStringLiteral("--check")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.trimmed().split(QLatin1Char('\n')).size(), 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("finding bod-without-eod: Page \"3.tif\"")));
}

TEST(DocsCommand, TwoDocumentsNamedAlikeNeverReplaceEachOthersExport) {
    QTemporaryDir dir, out;
    page(dir.filePath(QStringLiteral("a.tif")), true);
    page(dir.filePath(QStringLiteral("a.tiff")), true);
    const Result r = docs({dir.path(), QStringLiteral("--export"), out.path(), QStringLiteral("--force")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("two documents"))) << r.err.toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.tif")});
}
