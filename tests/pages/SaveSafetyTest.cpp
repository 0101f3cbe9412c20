// What a save must never do: replace a write-protected page, leave the
// end-of-document file disagreeing with the page when the page was not written,
// or leave a killed save's temporary file behind.
#include <QDir>
#include <QFile>

#include "PagesTestSupport.h"

namespace leafmark::testing {
namespace {

using SaveSafety = PagesTest;

QStringList allEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Save, Save and Next and Save As onto a read-only page: each refused with a message
// naming the file, nothing written (no end-of-document file either), work kept.
TEST_F(SaveSafety, AReadOnlyPageIsNeverReplaced) {
    makePages(3);
    const QString protectedPage = path(QStringLiteral("00000002.tif"));
    ASSERT_TRUE(QFile::setPermissions(protectedPage, QFile::ReadOwner | QFile::ReadGroup));
    const QByteArray before = fileBytes(protectedPage);
    const QFile::Permissions modeBefore = QFile::permissions(protectedPage);
    const QStringList entriesBefore = allEntries(dir.path());

    open(QStringLiteral("00000002.tif"));
    controls->ticked = true;
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::Ok, MsgAnswer::Ok};
    EXPECT_FALSE(records->dosave(state.currentfile));
    records->saveAndNext();
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));  // stayed on the page

    open(QStringLiteral("00000001.tif"));
    state.modified = 1;
    dialogs.saveAnswers = {protectedPage};
    dialogs.messageAnswers = {MsgAnswer::Ok};  // no overwrite question is asked
    records->saveAs();

    ASSERT_EQ(dialogs.messages.size(), 3u);
    for (const AskedMessage& m : dialogs.messages) {
        EXPECT_TRUE(m.text.contains(protectedPage)) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(QStringLiteral("write-protected"))) << m.text.toStdString();
    }
    EXPECT_EQ(state.modified, 1);
    EXPECT_EQ(fileBytes(protectedPage), before);
    EXPECT_EQ(QFile::permissions(protectedPage), modeBefore);
    EXPECT_EQ(allEntries(dir.path()), entriesBefore);
}

// A page write that fails puts the end-of-document file back as it was: not left
// behind when the marker was ticked, restored byte for byte when it was cleared.
TEST_F(SaveSafety, AFailedSaveLeavesTheEndOfDocumentFileAsItWas) {
    makePages(3);
    const QString eod = path(QStringLiteral("00000002ZZZ.EOD"));
    open(QStringLiteral("00000003.tif"));
    for (bool ticked : {true, false}) {
        SCOPED_TRACE(ticked);
        if (!ticked) writeFile(eod, "EOD kept by hand\r\n");
        const QStringList entriesBefore = allEntries(dir.path());
        const QByteArray eodBefore = fileBytes(eod);
        controls->ticked = ticked;
        state.modified = 1;
        dialogs.messageAnswers = {MsgAnswer::Ok};
        bool saved = true;
        {
            FileSizeLimit limit(16);  // room for the end-of-document line, not the page
            saved = records->dosave(state.currentfile);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(state.modified, 1);
        EXPECT_EQ(allEntries(dir.path()), entriesBefore);
        EXPECT_EQ(fileBytes(eod), eodBefore);
    }
}

// An end-of-document file that cannot be made (its name is too long for the file
// system) is reported, and the page is then not written either.
TEST_F(SaveSafety, AnEndOfDocumentFileThatCannotBeMadeStopsTheSave) {
    const QString longStem(250, QLatin1Char('a'));
    writePage(path(longStem + QStringLiteral(".tif")));
    writePage(path(QStringLiteral("b.tif")));
    open(QStringLiteral("b.tif"));
    const QByteArray before = fileBytes(path(QStringLiteral("b.tif")));
    controls->ticked = true;
    state.modified = 2;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    EXPECT_FALSE(records->dosave(state.currentfile));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(longStem + QStringLiteral("ZZZ.EOD")));
    EXPECT_EQ(state.modified, 2);
    EXPECT_EQ(fileBytes(path(QStringLiteral("b.tif"))), before);
    EXPECT_TRUE(eodFiles().isEmpty());
}

// The end-of-document file of "z.tif.bak" matches the page pattern, yet it is no
// page: the list leaves it out, so the page after the backup keeps its marker file.
// A save clears what a killed save left in the page's folder, and nothing else.
TEST_F(SaveSafety, ASaveClearsTheLeftoversOfAKilledSaveOnly) {
    makePages(2);
    for (const char* name : {".00000002.tif.leafmark-Ab12Cd", ".00000002.tif.Ab12Cd"}) {
        QFile file(path(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half a page");
    }
    open(QStringLiteral("00000002.tif"));
    state.modified = 1;
    EXPECT_TRUE(records->dosave(state.currentfile));
    EXPECT_EQ(allEntries(dir.path()),
              (QStringList{".00000002.tif.Ab12Cd", "00000001.tif", "00000002.tif"}));
}

// An end-of-document file a killed save had moved aside is back under its own name
// once its folder is opened, before anything reads the folder's markers.
TEST_F(SaveSafety, OpeningAFolderPutsBackAnEndOfDocumentFileMovedAside) {
    makePages(2);
    QFile parked(path(QStringLiteral(".00000001ZZZ.EOD.leafmark-Mn78Bv")));
    ASSERT_TRUE(parked.open(QIODevice::WriteOnly));
    parked.write("EOD\r\n");
    parked.close();
    open(QStringLiteral("00000002.tif"));
    EXPECT_EQ(allEntries(dir.path()),
              (QStringList{"00000001.tif", "00000001ZZZ.EOD", "00000002.tif"}));
}

TEST_F(SaveSafety, EndOfDocumentFilesAreNeverPages) {
    writePage(path(QStringLiteral("z.tif.bak")));
    writePage(path(QStringLiteral("z.tifzzz.tif")));
    open(QStringLiteral("z.tifzzz.tif"));
    controls->ticked = true;
    ASSERT_TRUE(records->dosave(state.currentfile));
    ASSERT_TRUE(QFile::exists(path(QStringLiteral("z.tifZZZ.EOD"))));
    open(QStringLiteral("z.tif.bak"));
    EXPECT_EQ(records->folderList().names(),
              QStringList({QStringLiteral("z.tif.bak"), QStringLiteral("z.tifzzz.tif")}));
    records->nextimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("z.tifzzz.tif"));
}

}  // namespace
}  // namespace leafmark::testing
