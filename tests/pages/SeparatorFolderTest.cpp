// Separator sheets over a real page folder: proposed document starts against the
// markers on disk, and applying them as the window's save would, once and again.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "PagesTestSupport.h"
#include "docs/SeparatorReport.h"
#include "pagemaker/SeparatorSheet.h"
#include "pages/SeparatorFolder.h"
#include "pages/SeparatorScanner.h"
#include "shared/PageFiles.h"

namespace leafmark::testing {
namespace {

// Lines a report function writes into a stream.
QStringList captured(const std::function<void(std::FILE*)>& write) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    write(out);
    std::fclose(out);
    const QString text = QString::fromUtf8(buffer, static_cast<qsizetype>(size));
    std::free(buffer);
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList pageNames(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
}

TEST(SeparatorFolder, ProposedStartsApplyOnceAndAgreeAfterwards) {
    QTemporaryDir dir;
    auto at = [&](int n) {
        return dir.filePath(QStringLiteral("%1.tif").arg(n, 8, 10, QLatin1Char('0')));
    };
    auto sheet = [&](int n, const char* symbology) {
        QString error;
        ASSERT_TRUE(pagemaker::writeSeparatorSheet(at(n), 200, symbology,
                                                   "SEP-" + std::to_string(n), 1.5, 20,
                                                   static_cast<quint32>(n), &error))
            << error.toStdString();
    };
    writePage(at(1), markedPage(1));
    sheet(2, "Code128");
    writePage(at(3), markedPage(3).tag(TIFFTAG_MODEL, "Changed"));
    writePage(at(4), markedPage(4));
    sheet(5, "QRCode");
    writePage(at(6), markedPage(6).tag(TIFFTAG_IMAGEDESCRIPTION,
                                       "BOD"));  // marked, sheet before not closed
    sheet(7, "Code128");
    writePage(at(8), markedPage(8).tag(TIFFTAG_IMAGEDESCRIPTION, "BOD"));
    writeFile(dir.filePath(QStringLiteral("00000007ZZZ.EOD")),
              "EOD\r\n");  // 8 already begins a document
    const QStringList entries = pageNames(dir.path());

    const imaging::SeparatorRule rule;
    const FolderSeparators found = findSeparators(
        dir.path(), entries, readSeparatorPages(dir.path(), entries, imaging::defaultSymbologies()),
        rule);
    EXPECT_EQ(found.separator,
              (std::vector<bool>{false, true, false, false, true, false, true, false}));
    EXPECT_EQ(found.why[4], QStringLiteral("barcode QRCode \"SEP-5\""));
    ASSERT_EQ(found.starts.size(), 3u);
    EXPECT_EQ(found.starts[0].page, 2);
    EXPECT_EQ(found.starts[1].page, 5);
    EXPECT_EQ(found.starts[2].page, 7);
    EXPECT_FALSE(found.starts[0].agrees || found.starts[1].agrees);
    EXPECT_TRUE(found.starts[2].agrees);

    // The report lists the sheets and the starts; applying writes only what is missing.
    const QStringList report =
        captured([&](std::FILE* out) { docs::printSuggestions(out, found, false); });
    EXPECT_EQ(report,
              (QStringList{
                  QStringLiteral("separator 00000002.tif  barcode Code128 \"SEP-2\""),
                  QStringLiteral("separator 00000005.tif  barcode QRCode \"SEP-5\""),
                  QStringLiteral("separator 00000007.tif  barcode Code128 \"SEP-7\""),
                  QStringLiteral("start 00000003.tif  proposed  (after separator 00000002.tif)"),
                  QStringLiteral("start 00000006.tif  proposed  (after separator 00000005.tif)"),
                  QStringLiteral("start 00000008.tif  agrees  (after separator 00000007.tif)")}));
    const QByteArray marked6 = fileBytes(at(6));
    int failed = -1;
    const QStringList changes = captured(
        [&](std::FILE* out) { failed = docs::applySuggestions(out, stderr, found, true); });
    EXPECT_EQ(failed, 0);
    const QString eod2 = dir.filePath(QStringLiteral("00000002ZZZ.EOD")),
                  eod5 = dir.filePath(QStringLiteral("00000005ZZZ.EOD"));
    auto change = [](const char* action, const QString& file) {
        return QStringLiteral("{\"action\":\"%1\",\"file\":\"%2\",\"type\":\"change\"}")
            .arg(QLatin1String(action), file);
    };
    EXPECT_EQ(changes, (QStringList{change("created", eod2), change("marked", at(3)),
                                    change("created", eod5)}));
    const DiskPage page3 = readPage(at(3));
    EXPECT_EQ(page3.description, QStringLiteral("BOD"));
    EXPECT_EQ(page3.model, QStringLiteral("Changed"));  // its change marker stays; none is added
    EXPECT_EQ(page3.mark, 3);
    EXPECT_EQ(page3.compression, 4);
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("00000002ZZZ.EOD"))),
              QByteArray(kEndOfDocumentContent));
    EXPECT_EQ(fileBytes(at(6)), marked6);       // a page already marked is not rewritten
    EXPECT_FALSE(readPage(at(4)).description);  // the page before a start is not marked

    // Everything agrees now, and applying again changes nothing on disk.
    const FolderSeparators again = findSeparators(dir.path(), entries, found.readings, rule);
    ASSERT_EQ(again.starts.size(), 3u);
    for (const auto& s : again.starts) EXPECT_TRUE(s.agrees) << s.page;
    QMap<QString, QByteArray> before;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
        before[name] = fileBytes(dir.filePath(name));
    for (const auto& s : again.starts) {
        const StartApplied twice = applyDocumentStart(dir.path(), entries, s.page);
        EXPECT_TRUE(twice.status && twice.changes.isEmpty()) << s.page;
    }
    EXPECT_TRUE(captured([&](std::FILE* out) {
                    docs::applySuggestions(out, stderr, again, false);
                }).isEmpty());
    QMap<QString, QByteArray> after;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
        after[name] = fileBytes(dir.filePath(name));
    EXPECT_EQ(after, before);
}

TEST(SeparatorFolder, PageThatCannotBeSavedKeepsTheFolderAsItWas) {
    QTemporaryDir dir;
    writePage(dir.filePath(QStringLiteral("a.tif")), markedPage(1));
    writePage(dir.filePath(QStringLiteral("b.tif")), markedPage(2));
    const QByteArray pageB = fileBytes(dir.filePath(QStringLiteral("b.tif")));
    StartApplied applied;
    {
        FileSizeLimit limit(64);  // the end-of-document line fits, the page does not
        applied =
            applyDocumentStart(dir.path(), {QStringLiteral("a.tif"), QStringLiteral("b.tif")}, 1);
    }
    EXPECT_FALSE(applied.status);
    EXPECT_NE(applied.status.reason().find("b.tif"), std::string::npos);
    EXPECT_TRUE(applied.changes.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("aZZZ.EOD"))));
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("b.tif"))), pageB);
}

TEST(SeparatorScanner, ReadsEachPageOnceForTheSessionAndAgainWhenItChanges) {
    QTemporaryDir dir;
    const QStringList entries = {QStringLiteral("p1.tif"), QStringLiteral("p2.tif"),
                                 QStringLiteral("p3.tif")};
    writePage(dir.filePath(entries[0]), markedPage(1));
    ASSERT_TRUE(
        pagemaker::writeSeparatorSheet(dir.filePath(entries[1]), 200, "Code128", "SEP-2", 0.5, 10));
    writePage(dir.filePath(entries[2]), markedPage(3));

    SeparatorScanner scanner;
    auto scanAndWait = [&] {
        QSignalSpy done(&scanner, &SeparatorScanner::finished);
        scanner.scan(dir.path(), entries);
        ASSERT_TRUE(done.wait(60000));
        EXPECT_FALSE(scanner.busy());
    };
    scanAndWait();
    EXPECT_EQ(scanner.pagesRead(), 3);
    ASSERT_TRUE(scanner.reading(1));
    ASSERT_EQ(scanner.reading(1)->barcodes.size(), 1u);
    EXPECT_EQ(scanner.reading(1)->barcodes[0].text, "SEP-2");
    const FolderSeparators found = scanner.suggestions(imaging::SeparatorRule{});
    ASSERT_EQ(found.starts.size(), 1u);
    EXPECT_EQ(found.starts[0].page, 2);

    scanAndWait();  // the folder opened again: nothing is read twice
    EXPECT_EQ(scanner.pagesRead(), 3);
    writePage(dir.filePath(entries[2]), markedPage(5));  // changed on disk since it was read
    QFile page(dir.filePath(entries[2]));
    ASSERT_TRUE(page.open(QIODevice::ReadWrite));
    page.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    page.close();
    scanAndWait();
    EXPECT_EQ(scanner.pagesRead(), 4);

    // A scan given up half way (another folder opened, the window closed) stops cleanly.
    scanner.setSymbologies(imaging::defaultSymbologies() | 1u);  // nothing read for this set
    scanner.scan(dir.path(), entries);
    scanner.stop();
    EXPECT_FALSE(scanner.busy());
    // Back to the first set: what was read for it is still kept.
    const int before = scanner.pagesRead();
    scanner.setSymbologies(imaging::defaultSymbologies());
    scanAndWait();
    EXPECT_EQ(scanner.pagesRead(), before);
}

}  // namespace
}  // namespace leafmark::testing
