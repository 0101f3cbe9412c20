// The documents of a folder as its markers define them, and the marker check.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <thread>
#include <vector>

#include "pages/Documents.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"
#include "support/TestPages.h"

using namespace leafmark;
namespace fx = leafmark::testing;

namespace {

// A small 1-bit page; "BOD" in its ImageDescription when `marked`.
void page(const QTemporaryDir& dir, const QString& name, bool marked = false) {
    fx::PageSpec spec;
    if (marked) spec.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "BOD"}};
    ASSERT_TRUE(fx::writeTiff(dir.filePath(name).toStdString(), {spec}));
}

void text(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes = "EOD\r\n") {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// (first, last) of every document.
std::vector<std::pair<int, int>> ranges(const FolderDocuments& d) {
    std::vector<std::pair<int, int>> out;
    for (const DocumentRange& r : d.documents()) out.emplace_back(r.first, r.last);
    return out;
}

std::vector<std::string> findingLines(const FolderDocuments& d) {
    std::vector<std::string> out;
    for (const Finding& f : d.findings())
        out.push_back((f.key() + QLatin1Char(' ') + f.files.join(QLatin1Char(','))).toStdString());
    return out;
}

// Name and content digest of every file of the folder.
QStringList folderState(const QTemporaryDir& dir) {
    QStringList out;
    for (const QString& n : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile f(dir.filePath(n));
        f.open(QIODevice::ReadOnly);
        out << n + QLatin1Char(' ') +
                   QString::fromLatin1(
                       QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
    }
    return out;
}

const std::vector<std::pair<int, int>> kThreeDocs = {{0, 1}, {2, 3}, {4, 5}};

}  // namespace

TEST(Documents, SplitFromMarkersFromEndOfDocumentFilesAndFromBoth) {
    {  // markers alone: the check asks for the missing end-of-document files
        QTemporaryDir dir;
        for (int i = 1; i <= 6; ++i) page(dir, QStringLiteral("p%1.tif").arg(i), i % 2 == 1);
        const FolderDocuments d = FolderDocuments::read(dir.path());
        EXPECT_EQ(ranges(d), kThreeDocs);
        EXPECT_EQ(findingLines(d), (std::vector<std::string>{"bod-without-eod p3.tif,p2.tif",
                                                             "bod-without-eod p5.tif,p4.tif"}));
    }
    {  // end-of-document files alone, one of them in lower case; pages in case-blind order
        QTemporaryDir dir;
        for (const char* n : {"a1.tif", "A2.TIF", "a3.tiff", "A4.tif", "a5.tif", "a6.tif"})
            page(dir, QString::fromLatin1(n));
        text(dir, QStringLiteral("A2ZZZ.EOD"));
        text(dir, QStringLiteral("A4zzz.eod"));
        const FolderDocuments d = FolderDocuments::read(dir.path() + QLatin1Char('/'));
        EXPECT_EQ(ranges(d), kThreeDocs);
        EXPECT_EQ(d.pages()[3].endOfDocument, QStringLiteral("A4zzz.eod"));
        EXPECT_EQ(findingLines(d),
                  (std::vector<std::string>{"eod-without-bod A2ZZZ.EOD,A2.TIF,a3.tiff",
                                            "eod-without-bod A4zzz.eod,A4.tif,a5.tif"}));
    }
    {  // both, as saving writes them: a clean folder; first page marked needs no file
        QTemporaryDir dir;
        for (int i = 1; i <= 6; ++i)
            page(dir, QStringLiteral("%1.tif").arg(i, 8, 10, QLatin1Char('0')), i % 2 == 1);
        text(dir, QStringLiteral("00000002ZZZ.EOD"));
        text(dir, QStringLiteral("00000004ZZZ.EOD"));
        const FolderDocuments d = FolderDocuments::read(dir.path());
        EXPECT_EQ(ranges(d), kThreeDocs);
        EXPECT_TRUE(d.findings().isEmpty());
        EXPECT_EQ(d.documentStarts(), (QList<int>{0, 2, 4}));
        const PagePosition p = d.positionOf(3);
        EXPECT_EQ((std::vector<int>{p.document, p.page, p.pages}), (std::vector<int>{1, 1, 2}));
        EXPECT_FALSE(d.positionOf(6).valid());
        EXPECT_EQ(d.indexOf(QStringLiteral("00000005.TIF")), 4);
    }
    {  // names beyond ASCII and bytes that are not UTF-8, as a listing gives them
        const QString bytes = fromNativePath("\xe9t\xe9");
        const FolderDocuments d = FolderDocuments::fromListing(
            QStringLiteral("/folder"),
            {QStringLiteral("\u00C9t\u00E91.tif"), QStringLiteral("\u212A2.tif"),
             bytes + QStringLiteral(".tif"), QStringLiteral("x.tif")},
            {QStringLiteral("\u00E9T\u00C91zzz.eod"), QStringLiteral("k2ZZZ.EOD"),
             bytes + QStringLiteral("ZZZ.EOD")});
        EXPECT_EQ(d.documentStarts(), (QList<int>{0, 1, 2, 3}));
        EXPECT_EQ(d.pages()[0].endOfDocument, QStringLiteral("\u00E9T\u00C91zzz.eod"));
        EXPECT_TRUE(d.findings().isEmpty());
    }
}

TEST(Documents, CheckNamesEveryKindOfFindingAndChangesNothing) {
    QTemporaryDir dir;
    page(dir, QStringLiteral("01.tif"));
    page(dir, QStringLiteral("02.tif"));
    page(dir, QStringLiteral("03.tif"), true);  // marked, 02 has no end-of-document file
    page(dir, QStringLiteral("04.tif"));
    text(dir, QStringLiteral("04ZZZ.EOD"), "EOD\n");  // wrong line end, and 05 is not marked
    page(dir, QStringLiteral("05.tif"));
    text(dir, QStringLiteral("05.tif.bak"), "not a TIFF");  // listed as a page, unreadable
    page(dir, QStringLiteral("06.tif"));
    page(dir, QStringLiteral("06.tiff"), true);  // same stem as 06.tif: one file for both
    text(dir, QStringLiteral("06ZZZ.EOD"));
    page(dir, QStringLiteral("07.tif"));
    text(dir, QStringLiteral("07ZZZ.EOD"));  // last page: nothing follows
    text(dir, QStringLiteral("99ZZZ.EOD"));  // stale: no page 99
    const QStringList before = folderState(dir);

    const FolderDocuments d = FolderDocuments::read(dir.path());
    ASSERT_EQ(d.pageCount(), 9);
    EXPECT_FALSE(d.pages()[5].readable);
    EXPECT_EQ(findingLines(d), (std::vector<std::string>{
                                   "shared-eod 06ZZZ.EOD,06.tif,06.tiff",
                                   "bod-without-eod 03.tif,02.tif",
                                   "eod-without-bod 04ZZZ.EOD,04.tif,05.tif",
                                   "unreadable-page 05.tif.bak",
                                   "eod-without-bod 06ZZZ.EOD,06.tiff,07.tif",
                                   "eod-on-last-page 07ZZZ.EOD,07.tif",
                                   "eod-content 04ZZZ.EOD",
                                   "stale-eod 99ZZZ.EOD",
                               }));
    // Every sentence names its files; the unreadable page says why.
    for (const Finding& f : d.findings())
        for (const QString& file : f.files)
            EXPECT_TRUE(f.text().contains(file)) << f.text().toStdString();
    EXPECT_TRUE(d.findings()[3].text().contains(QStringLiteral("Not a TIFF")));
    // 03 (marker), 05 (after 04's file), 06.tiff (marker; 06.tif's file), 07.tif (after 06.tiff's
    // file)
    EXPECT_EQ(ranges(d),
              (std::vector<std::pair<int, int>>{{0, 1}, {2, 3}, {4, 6}, {7, 7}, {8, 8}}));
    EXPECT_EQ(folderState(dir), before);
}

// Two names that differ only in a byte that is not UTF-8, after a capital letter:
// each page keeps its own end-of-document file, and the folder is in byte order.
TEST(Documents, NamesDifferingOnlyInAByteThatIsNotUtf8StayApart) {
    QTemporaryDir dir;
    const auto name = [](const char* bytes) { return fromNativePath(bytes); };
    const QString folder = dir.path() + QLatin1Char('/');
    for (const char* n : {"Ab\xfc.tif", "Ab\xe4.tif", "ab\xf0.tif"}) {
        fx::PageSpec spec;
        if (n[0] == 'a') spec.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "BOD"}};
        ASSERT_TRUE(fx::writeTiff(nativePathString(folder + name(n)), {spec}));
    }
    ASSERT_TRUE(writeEndOfDocumentFile(folder + name("Ab\xe4ZZZ.EOD")));

    const FolderDocuments d = FolderDocuments::read(dir.path());
    ASSERT_EQ(d.pageCount(), 3);
    EXPECT_EQ(d.pages()[0].name, name("Ab\xe4.tif"));
    EXPECT_EQ(d.pages()[1].name, name("ab\xf0.tif"));
    EXPECT_EQ(d.pages()[2].name, name("Ab\xfc.tif"));
    EXPECT_EQ(d.pages()[0].endOfDocument, name("Ab\xe4ZZZ.EOD"));
    EXPECT_TRUE(d.pages()[2].endOfDocument.isEmpty());
    EXPECT_TRUE(d.findings().isEmpty()) << findingLines(d).front();
    EXPECT_EQ(d.documentStarts(), (QList<int>{0, 1}));
}

// The pages of a model may be read from several threads at once (the blank-page
// measure reads them over all cores): every thread sees the whole list.
TEST(Documents, PagesReadFromSeveralThreadsAtOnce) {
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names << QStringLiteral("%1.tif").arg(i, 8, 10, QLatin1Char('0'));
    const FolderDocuments d = FolderDocuments::fromListing(QStringLiteral("/folder"), names, {});
    const qsizetype count = names.size();
    const QString lastName = names.constLast();
    std::atomic<bool> go{false};
    std::atomic<int> whole{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            while (!go) std::this_thread::yield();
            const QList<DocumentPage>& pages = d.pages();
            if (pages.size() == count && pages.constLast().name == lastName) ++whole;
        });
    go = true;
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(whole, 4);
}
