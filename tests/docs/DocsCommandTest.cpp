// leafmark-docs as a script runs it: options, exit status, JSON lines, export files.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "pagemaker/PageMaker.h"
#include "pagemaker/SeparatorSheet.h"
#include "shared/NativePath.h"
#include "support/FolderRunTest.h"
#include "support/TestPages.h"

namespace fx = leafmark::testing;

namespace {

using Result = fx::CommandResult;

Result docs(const QStringList& args) {
    return fx::runProgram(QStringLiteral(LEAFMARK_DOCS_EXE), args);
}

void page(const QString& path, bool marked, bool blank = false) {
    fx::PageSpec spec;
    spec.width = 600, spec.height = 600, spec.xres = spec.yres = 200;
    spec.compression = COMPRESSION_CCITTFAX4, spec.rowsPerStrip = 600;
    if (marked) spec.tag(TIFFTAG_IMAGEDESCRIPTION, "BOD");
    if (blank) spec.ink = fx::Ink::White;  // the same page with every pixel white
    fx::writePage(path, spec);
}

using DocsCommand = fx::FolderRunTest;

}  // namespace

TEST_F(DocsCommand, OptionsFollowTheCommandLineConventions) {
    const Result help = docs({QStringLiteral("-h")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--blank-threshold")));
    EXPECT_EQ(docs({QStringLiteral("--help-all")}).out, help.out);
    const Result version = docs({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("leafmark-docs 1.")))
        << version.out.toStdString();
    EXPECT_EQ(docs({QStringLiteral("-v")}).out, version.out);
    const Result unknown = docs({QStringLiteral("--frobnicate"), QDir::tempPath()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("frobnicate")));
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(docs({}).status, 2);
    EXPECT_EQ(docs({QDir::tempPath(), QStringLiteral("--format=pdf")}).status, 2);  // no --export
    EXPECT_EQ(docs({QDir::tempPath(), QStringLiteral("--apply")}).status, 2);       // no --suggest
    EXPECT_EQ(
        docs({QDir::tempPath(), QStringLiteral("--suggest"), QStringLiteral("--separators=some")})
            .status,
        2);
    const Result pattern =
        docs({QDir::tempPath(), QStringLiteral("--suggest"), QStringLiteral("--pattern=(")});
    EXPECT_EQ(pattern.status, 2);
    EXPECT_TRUE(pattern.err.contains(QStringLiteral("pattern"))) << pattern.err.toStdString();
    // A stray ")" would close the whole-text anchoring and match part of a text.
    EXPECT_EQ(
        docs({QDir::tempPath(), QStringLiteral("--suggest"), QStringLiteral("--pattern=SEP)|(?:x")})
            .status,
        2);
    EXPECT_EQ(
        docs({QDir::tempPath(), QStringLiteral("--suggest"), QStringLiteral("--symbologies=Morse")})
            .status,
        2);
    EXPECT_EQ(docs({QDir::tempPath(), QStringLiteral("--export")}).status, 2);  // no value
}

// A folder whose name is not UTF-8 is read under its own bytes.
TEST_F(DocsCommand, FolderNamedInBytesThatAreNotUtf8IsRead) {
    page(in + QStringLiteral("/1.tif"), true);
    const QString named = root.path() + QStringLiteral("/") + leafmark::fromNativePath("p\xe9ges");
    ASSERT_TRUE(leafmark::renameFile(in, named));
    // The shell spells the byte, which a QString argument could not carry.
    const Result r = fx::runProgram(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral(R"(exec "$0" "$1/p$(printf '\351')ges" --json)"),
         QStringLiteral(LEAFMARK_DOCS_EXE), root.path()});
    EXPECT_TRUE(leafmark::renameFile(named, in));  // Qt cannot remove names it cannot spell
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"1.tif\""))) << r.out.toStdString();
}

TEST_F(DocsCommand, ListsChecksAndExportsWithoutOverwritingAnything) {
    const QString& pages = in;
    page(pages + QStringLiteral("/1.tif"), true);
    page(pages + QStringLiteral("/2.tif"), false, true);
    page(pages + QStringLiteral("/3.tif"), true);
    fx::writeFile(pages + QStringLiteral("/2ZZZ.EOD"), "EOD\r\n");

    // Clean folder: two documents, the white page listed as blank, exit 0.
    Result r = docs({pages, QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const std::vector<QJsonObject> lines = fx::jsonLines(r.out.toUtf8());
    ASSERT_EQ(lines.size(), 5u);  // two documents, three pages
    EXPECT_EQ(lines[0][QStringLiteral("last")].toString(), QStringLiteral("2.tif"));
    EXPECT_EQ(lines[0][QStringLiteral("blank")].toArray(), QJsonArray{QStringLiteral("2.tif")});
    EXPECT_EQ(lines[2][QStringLiteral("eod")].toString(), QStringLiteral("2ZZZ.EOD"));
    EXPECT_GT(lines[1][QStringLiteral("ink")].toDouble(), 1.0);
    EXPECT_EQ(lines[3][QStringLiteral("pages")].toInt(), 1);

    // --export DIR and --export=DIR; a second run keeps what is there unless --force.
    r = docs({pages, QStringLiteral("--export"), out, QStringLiteral("--format"),
              QStringLiteral("pdf")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("1.pdf"), QStringLiteral("3.pdf")}));
    QFile::resize(QDir(out).filePath(QStringLiteral("3.pdf")), 10);
    r = docs({pages, QStringLiteral("--export=") + out, QStringLiteral("--format=pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("already exists")));
    EXPECT_EQ(QFileInfo(QDir(out).filePath(QStringLiteral("3.pdf"))).size(), 10);
    EXPECT_EQ(docs({pages, QStringLiteral("--export=") + out, QStringLiteral("--format=pdf"),
                    QStringLiteral("--force")})
                  .status,
              0);
    EXPECT_GT(QFileInfo(QDir(out).filePath(QStringLiteral("3.pdf"))).size(), 100);
    // Never into the page folder, where an output named after a page could replace it.
    EXPECT_EQ(docs({pages, QStringLiteral("--export"), pages, QStringLiteral("--force")}).status,
              2);

    // A finding: exit 1, and --check prints the finding alone.
    QFile::remove(pages + QStringLiteral("/2ZZZ.EOD"));
    r = docs({pages, QStringLiteral("--check")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.trimmed().split(QLatin1Char('\n')).size(), 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("finding bod-without-eod: Page \"3.tif\"")));
}

TEST_F(DocsCommand, TwoDocumentsNamedAlikeNeverReplaceEachOthersExport) {
    page(in + QStringLiteral("/a.tif"), true);
    page(in + QStringLiteral("/a.tiff"), true);
    const Result r = docs({in, QStringLiteral("--export"), out, QStringLiteral("--force")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("two documents"))) << r.err.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("a.tif")});
}

namespace {

// The JSON lines of `out` of one type.
QList<QJsonObject> jsonLines(const QString& out, const QString& type) {
    QList<QJsonObject> lines;
    for (const QJsonObject& o : fx::jsonLines(out.toUtf8()))
        if (o[QStringLiteral("type")].toString() == type) lines << o;
    return lines;
}

}  // namespace

TEST_F(DocsCommand, SeparatorSheetsProposeStartsThatApplyOnceAndExportWithoutTheSheets) {
    const QDir dir(in);
    auto text = [&](const char* name, const char* description = "") {
        leafmark::pagemaker::PageSpec spec;
        spec.seed = static_cast<std::uint64_t>(name[0]);
        spec.textLines = 8;
        spec.description = description;
        ASSERT_TRUE(leafmark::pagemaker::makePageFile(spec, dir.filePath(QLatin1String(name))));
    };
    auto sheet = [&](const char* name, const char* symbology, double angle) {
        QString error;
        ASSERT_TRUE(leafmark::pagemaker::writeSeparatorSheet(dir.filePath(QLatin1String(name)), 200,
                                                             symbology, "SEP-" + std::string(name),
                                                             angle, 20, 7, &error))
            << error.toStdString();
    };
    text("1.tif", "BOD");
    sheet("2.tif", "Code128", 2.0);
    text("3.tif");
    text("4.tif");
    sheet("5.tif", "QRCode", -3.0);
    text("6.tif");

    // The sheets and the starts after them, both still proposals.
    Result r = docs({dir.path(), QStringLiteral("--suggest"), QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QList<QJsonObject> sheets = jsonLines(r.out, QStringLiteral("separator"));
    ASSERT_EQ(sheets.size(), 2) << r.out.toStdString();
    EXPECT_EQ(
        sheets[1][QStringLiteral("barcodes")].toArray().first()[QStringLiteral("text")].toString(),
        QStringLiteral("SEP-5.tif"));
    QList<QJsonObject> starts = jsonLines(r.out, QStringLiteral("start"));
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(starts[0][QStringLiteral("name")].toString(), QStringLiteral("3.tif"));
    EXPECT_EQ(starts[1][QStringLiteral("name")].toString(), QStringLiteral("6.tif"));
    EXPECT_FALSE(starts[0][QStringLiteral("agrees")].toBool() ||
                 starts[1][QStringLiteral("agrees")].toBool());

    // Applying writes each start whole: the check that follows finds nothing.
    r = docs({dir.path(), QStringLiteral("--suggest"), QStringLiteral("--apply"),
              QStringLiteral("--check")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("created ") + dir.filePath(QStringLiteral("2ZZZ.EOD"))));
    EXPECT_TRUE(r.out.contains(QStringLiteral("marked ") + dir.filePath(QStringLiteral("6.tif"))));
    EXPECT_FALSE(r.out.contains(QStringLiteral("finding"))) << r.out.toStdString();
    r = docs({dir.path(), QStringLiteral("--check")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();

    // A second apply agrees everywhere and changes no byte.
    const auto before = fx::folderBytes(dir.path());
    r = docs({dir.path(), QStringLiteral("--suggest"), QStringLiteral("--apply"),
              QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(jsonLines(r.out, QStringLiteral("change")).isEmpty()) << r.out.toStdString();
    starts = jsonLines(r.out, QStringLiteral("start"));
    ASSERT_EQ(starts.size(), 2);
    EXPECT_TRUE(starts[0][QStringLiteral("agrees")].toBool() &&
                starts[1][QStringLiteral("agrees")].toBool());
    EXPECT_EQ(fx::folderBytes(dir.path()), before);

    // The export leaves the sheets out: 1 | 3 4 | 6.
    r = docs({dir.path(), QStringLiteral("--check"), QStringLiteral("--json"),
              QStringLiteral("--export"), out, QStringLiteral("--drop-separators")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(
        QDir(out).entryList(QDir::Files | QDir::Hidden),
        (QStringList{QStringLiteral("1.tif"), QStringLiteral("3.tif"), QStringLiteral("6.tif")}));
    for (const auto& [name, pages] : {std::pair{"1.tif", 1}, {"3.tif", 2}, {"6.tif", 1}}) {
        TIFF* t = TIFFOpen(QDir(out).filePath(QLatin1String(name)).toStdString().c_str(), "r");
        ASSERT_TRUE(t) << name;
        EXPECT_EQ(TIFFNumberOfDirectories(t), pages) << name;
        TIFFClose(t);
    }
}

TEST_F(DocsCommand, BlankThresholdSteersBlankSeparatorsToo) {
    page(in + QStringLiteral("/1.tif"), true);
    page(in + QStringLiteral("/2.tif"), false, true);
    page(in + QStringLiteral("/3.tif"), false);
    const QStringList args{in, QStringLiteral("--suggest"), QStringLiteral("--separators=blank"),
                           QStringLiteral("--json")};
    Result r = docs(args);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(jsonLines(r.out, QStringLiteral("separator")).size(), 1) << r.out.toStdString();
    // No page is blank under a limit of 0; every page is under 100.
    r = docs(args + QStringList{QStringLiteral("--blank-threshold=0")});
    EXPECT_TRUE(jsonLines(r.out, QStringLiteral("separator")).isEmpty()) << r.out.toStdString();
    r = docs(args + QStringList{QStringLiteral("--blank-threshold=100")});
    EXPECT_EQ(jsonLines(r.out, QStringLiteral("separator")).size(), 3) << r.out.toStdString();
}
