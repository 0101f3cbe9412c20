// Saving the page shown: the document marker, the sticky change marker, the
// end-of-document file of the page before, and saves that must not happen.
#include <QDir>
#include <QtEndian>

#include "PagesTestSupport.h"

namespace leafmark::testing {
namespace {

using PageSaving = PagesTest;

TEST_F(PageSaving, FirstPageGetsTheMarkerButNoEndOfDocumentFile) {
    makePages(3);
    open(QStringLiteral("00000001.tif"));
    controls->ticked = true;
    records->save();
    const DiskPage page = readPage(path(QStringLiteral("00000001.tif")));
    EXPECT_EQ(page.description, QStringLiteral("BOD"));
    EXPECT_FALSE(page.model.has_value());
    EXPECT_EQ(page.compression, 4);  // stored format and depth kept
    EXPECT_EQ(page.bits, 1);
    EXPECT_EQ(page.mark, 1);
    EXPECT_TRUE(eodFiles().isEmpty());
    EXPECT_EQ(state.folderpath, dir.path() + QStringLiteral("/"));
}

TEST_F(PageSaving, MarkerCreatesKeepsAndDeletesThePrecedingEndOfDocumentFile) {
    makePages(3);
    open(QStringLiteral("00000003.tif"));
    controls->ticked = true;
    ASSERT_TRUE(records->dosave(state.currentfile));
    EXPECT_EQ(eodFiles(), QStringList{QStringLiteral("00000002ZZZ.EOD")});
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000002ZZZ.EOD"))), QByteArray("EOD\r\n"));
    EXPECT_EQ(readPage(path(QStringLiteral("00000003.tif"))).description, QStringLiteral("BOD"));

    ASSERT_TRUE(records->dosave(state.currentfile));  // never a second line
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000002ZZZ.EOD"))), QByteArray("EOD\r\n"));

    controls->ticked = false;
    ASSERT_TRUE(records->dosave(state.currentfile));
    EXPECT_TRUE(eodFiles().isEmpty());
    const DiskPage page = readPage(path(QStringLiteral("00000003.tif")));
    EXPECT_TRUE(page.readable);
    EXPECT_FALSE(page.description.has_value());
    EXPECT_EQ(page.mark, 3);
}

TEST_F(PageSaving, StemEndsBeforeTheLastDot) {
    writePage(path(QStringLiteral("a.b.tif")));
    writePage(path(QStringLiteral("b.tif")));
    open(QStringLiteral("b.tif"));
    controls->ticked = true;
    records->save();
    EXPECT_EQ(eodFiles(), QStringList{QStringLiteral("a.bZZZ.EOD")});
}

TEST_F(PageSaving, ChangeMarkerIsStickyAndNotAddedForAMarkerOnlyChange) {
    makePages(3);
    open(QStringLiteral("00000002.tif"));
    records->documentMarkerMouseUp();  // only the box changed
    EXPECT_EQ(state.modified, 2);
    controls->ticked = true;
    records->save();
    EXPECT_FALSE(readPage(path(QStringLiteral("00000002.tif"))).model.has_value());
    EXPECT_EQ(state.modified, 0);

    state.modified = 1;  // an edit of the image
    records->documentMarkerMouseUp();
    EXPECT_EQ(state.modified, 1);  // an edit is never lowered to a marker change
    records->save();
    EXPECT_EQ(readPage(path(QStringLiteral("00000002.tif"))).model, QStringLiteral("Changed"));

    records->display(QStringLiteral("00000002.tif"));
    records->save();  // nothing edited: the marker stays
    EXPECT_EQ(readPage(path(QStringLiteral("00000002.tif"))).model, QStringLiteral("Changed"));

    // Only the exact text counts as the marker already present.
    writePage(path(QStringLiteral("00000003.tif")), markedPage().tag(TIFFTAG_MODEL, "changed"));
    open(QStringLiteral("00000003.tif"));
    state.modified = 2;
    records->save();
    EXPECT_FALSE(readPage(path(QStringLiteral("00000003.tif"))).model.has_value());
}

TEST_F(PageSaving, NothingIsWrittenBeforeAnyPageIsShown) {
    makePages(2);
    const QByteArray before = fileBytes(path(QStringLiteral("00000001.tif")));
    records->pageMouseButton(1);
    records->pageMouseButton(2);  // right button: save and next with nothing open
    EXPECT_FALSE(records->dosave(QString()));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000001.tif"))), before);
}

TEST_F(PageSaving, APageThatFailedToLoadIsNeverSavedOver) {
    makePages(1);
    writeFile(path(QStringLiteral("00000002.tif")), "damaged");
    open(QStringLiteral("00000002.tif"));
    ASSERT_TRUE(records->pageLoadFailed());
    controls->ticked = true;
    state.modified = 2;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    EXPECT_FALSE(records->dosave(state.currentfile));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("could not be loaded")));
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000002.tif"))), QByteArray("damaged"));
    EXPECT_TRUE(eodFiles().isEmpty());
    EXPECT_EQ(state.modified, 2);
}

TEST_F(PageSaving, APageReadOnlyInPartIsNotSavedOverItsFile) {
    makePages(2);
    // The page data claims more bytes than the file holds: the page reads only in part.
    QByteArray bytes = fileBytes(path(QStringLiteral("00000002.tif")));
    ASSERT_TRUE(bytes.startsWith("II*"));
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    const qsizetype ifd = u32(4);
    const int entries = qFromLittleEndian<quint16>(bytes.constData() + ifd);
    bool patched = false;
    for (int e = 0; e < entries; ++e) {
        const qsizetype entry = ifd + 2 + 12 * e;
        if (qFromLittleEndian<quint16>(bytes.constData() + entry) != 279)
            continue;  // StripByteCounts
        qToLittleEndian<quint32>(u32(entry + 8) + 4000, bytes.data() + entry + 8);
        patched = true;
    }
    ASSERT_TRUE(patched);
    writeFile(path(QStringLiteral("00000002.tif")), bytes);
    open(QStringLiteral("00000002.tif"));
    ASSERT_TRUE(controls->view->engine().damaged());
    controls->ticked = true;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    records->saveAndNext();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("in part")));
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000002.tif"))), bytes);
    EXPECT_TRUE(eodFiles().isEmpty());
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));

    // What was read can still be kept in another file.
    dialogs.saveAnswers = {path(QStringLiteral("rescued.tif"))};
    records->saveAs();
    EXPECT_TRUE(readPage(path(QStringLiteral("rescued.tif"))).readable);
}

TEST_F(PageSaving, AFailedWriteIsReportedAndKeepsTheWorkUnsaved) {
    makePages(2);
    open(QStringLiteral("00000002.tif"));
    const QByteArray before = fileBytes(path(QStringLiteral("00000002.tif")));
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    bool saved = true;
    {
        FileSizeLimit limit(16);
        saved = records->dosave(state.currentfile);
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(state.currentfile));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Leafmark"));
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(state.modified, 1);
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000002.tif"))), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no leftovers
}

TEST_F(PageSaving, ATargetThatIsNoPageIsReportedAndLeftAlone) {
    makePages(1);
    open(QStringLiteral("00000001.tif"));
    writeFile(path(QStringLiteral("notes.txt")), "keep me");
    state.modified = 2;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    EXPECT_FALSE(records->dosave(path(QStringLiteral("notes.txt"))));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(path(QStringLiteral("notes.txt"))));
    EXPECT_EQ(fileBytes(path(QStringLiteral("notes.txt"))), QByteArray("keep me"));
    EXPECT_EQ(state.modified, 2);
}

}  // namespace
}  // namespace leafmark::testing
