// Where documents begin in a folder, the markers read in the background, and the
// neighbours of the page shown read ahead.
#include <QSignalSpy>
#include <QTest>

#include "PagesTestSupport.h"
#include "pages/FolderMarks.h"
#include "pages/MarkerScan.h"
#include "pages/ReadAhead.h"

namespace leafmark::testing {

namespace {
QStringList pageNames(int count) {
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("%1.tif").arg(i, 8, 10, QLatin1Char('0'));
    return names;
}
}  // namespace

// Seven pages; end-of-document files after pages 2 and 5 (one in lower case), a
// stray one for a page that is not there, and a folder named like one after page 3.
TEST_F(PagesTest, DocumentStartsComeFromEndOfDocumentFilesAloneThenFromMarkers) {
    makePages(7);
    writeFile(path(QStringLiteral("00000002ZZZ.EOD")), "EOD\r\n");
    writeFile(path(QStringLiteral("00000005zzz.eod")), "EOD\r\n");
    writeFile(path(QStringLiteral("00000009ZZZ.EOD")), "EOD\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("00000003ZZZ.EOD")));
    FolderMarks marks;
    marks.reset(dir.path(), pageNames(7));
    EXPECT_EQ(marks.markersKnownCount(), 0);
    QList<int> starts;
    for (int i = 0; i < marks.count(); ++i)
        if (marks.startsDocument(i)) starts << i;
    EXPECT_EQ(starts, QList<int>({0, 2, 5}));
    DocumentPosition p = marks.position(3);  // page 4: second page of pages 3..5
    EXPECT_EQ(p.document, 2);
    EXPECT_EQ(p.page, 2);
    EXPECT_EQ(p.pages, 3);
    EXPECT_EQ(p.documents, 3);
    p = marks.position(6);
    EXPECT_EQ(std::tuple(p.document, p.page, p.pages), std::tuple(3, 2, 2));

    // A page carrying the document marker (its file read later) splits the document too.
    marks.setMarkers(4, true, true);
    p = marks.position(3);
    EXPECT_EQ(std::tuple(p.document, p.page, p.pages, p.documents), std::tuple(2, 2, 2, 4));
    EXPECT_TRUE(marks.changed(4));
    EXPECT_EQ(marks.position(7).document, 0);
    // Unread pages are not judged: page 3 follows an end-of-document file unmarked,
    // but nothing is said until its markers are read.
    EXPECT_FALSE(marks.hasFinding(2));

    // With every marker read, starts, positions and findings are the documents
    // model's for the same folder on disk, where markers and end-of-document files
    // disagree: page 5 is marked without a file before it, page 3 is unmarked after one.
    writePage(path(QStringLiteral("00000005.tif")),
              markedPage().tag(TIFFTAG_IMAGEDESCRIPTION, "BOD"));
    for (int i = 0; i < 7; ++i) marks.setMarkers(i, i == 4, false);
    const FolderDocuments model = FolderDocuments::read(dir.path());
    EXPECT_EQ(model.documentStarts(), marks.documents().documentStarts());
    for (int i = 0; i < 7; ++i) {
        const PagePosition m = model.positionOf(i);
        p = marks.position(i);
        EXPECT_EQ(std::tuple(p.document, p.page, p.pages),
                  std::tuple(m.document + 1, m.page + 1, m.pages))
            << i;
    }
    QStringList keys;
    for (const Finding& f : marks.documents().findings()) keys << f.key();
    QStringList modelKeys;
    for (const Finding& f : model.findings()) modelKeys << f.key();
    EXPECT_EQ(keys, modelKeys);
    EXPECT_EQ(keys,
              QStringList({"eod-without-bod", "bod-without-eod", "eod-without-bod", "stale-eod"}));
    // Each page named by a finding knows it; the stale file names no page.
    QList<int> withFindings;
    for (int i = 0; i < 7; ++i)
        if (marks.hasFinding(i)) withFindings << i;
    EXPECT_EQ(withFindings, QList<int>({1, 2, 3, 4, 5}));
    const auto keysOf = [&](int i) {
        QStringList k;
        for (const Finding& f : marks.findingsOf(i)) k << f.key();
        return k;
    };
    EXPECT_EQ(keysOf(4), QStringList({"bod-without-eod", "eod-without-bod"}));

    // A save writing the end-of-document file of page 4 settles page 5's first finding.
    writeFile(path(QStringLiteral("00000004ZZZ.EOD")), "EOD\r\n");
    marks.endOfDocumentChanged(3);
    EXPECT_EQ(keysOf(4), QStringList({"eod-without-bod"}));
    EXPECT_FALSE(marks.hasFinding(3));
}

TEST_F(PagesTest, MarkerScanReadsTheTagsOfEveryPageInTheBackground) {
    makePages(5);
    writePage(path(QStringLiteral("00000004.tif")),
              markedPage().tag(TIFFTAG_IMAGEDESCRIPTION, " BOD ").tag(TIFFTAG_MODEL, "Changed"));
    writeFile(path(QStringLiteral("00000002.tif")), "not a page");
    MarkerScan scan;
    QList<quint8> bits(5, 0xFF);
    QObject::connect(&scan, &MarkerScan::batchRead, [&](int first, const QList<quint8>& b) {
        for (qsizetype i = 0; i < b.size(); ++i) bits[first + i] = b[i];
    });
    QSignalSpy finished(&scan, &MarkerScan::finished);
    scan.start(dir.path(), pageNames(5));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(bits,
              QList<quint8>({0, MarkerScan::kBitUnreadable, 0,
                             MarkerScan::kBitDocumentMarker | MarkerScan::kBitChangeMarker, 0}));
}

TEST_F(PagesTest, NeighbourReadAheadIsShownUnlessItsFileChangedSince) {
    makePages(4);
    open(QStringLiteral("00000002.tif"));
    ReadAhead& ahead = records->readAhead();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ahead.readsDone() >= 2; }, 10000));
    EXPECT_EQ(ahead.held(), 2);  // the next and the prior page, nothing more

    records->nextimagefile();  // page 3 comes from the read-ahead
    EXPECT_EQ(ahead.handedOut(), 1);
    EXPECT_EQ(controls->view->engine().PageWidth(), 64.0f);
    EXPECT_FALSE(records->pageLoadFailed());
    EXPECT_LE(ahead.held(), 2);

    // Page 4 is rewritten once it was read ahead: the turn reads the new file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ahead.readsDone() >= 4; }, 10000));
    writePage(path(QStringLiteral("00000004.tif")), markedPage(0, 80));
    records->nextimagefile();
    EXPECT_EQ(ahead.handedOut(), 1);
    EXPECT_EQ(controls->view->engine().PageWidth(), 80.0f);
    EXPECT_EQ(shownName(), QStringLiteral("00000004.tif"));
}

}  // namespace leafmark::testing
