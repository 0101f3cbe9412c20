// Save As with its overwrite question, and Revert.
#include <QDir>

#include "PagesTestSupport.h"

namespace leafmark::testing {
namespace {

using PageSaveAs = PagesTest;

TEST_F(PageSaveAs, OverwriteQuestionNamesTheFileInUpperCaseAndNoWritesNothing) {
    makePages(2);
    writePage(path(QStringLiteral("page7.tif")), markedPage(30));
    open(QStringLiteral("00000001.tif"));
    state.modified = 1;
    const QByteArray before = fileBytes(path(QStringLiteral("page7.tif")));
    dialogs.saveAnswers = {path(QStringLiteral("page7.tif")), path(QStringLiteral("page7.tif")),
                           std::nullopt};
    dialogs.messageAnswers = {MsgAnswer::No, MsgAnswer::Cancel};
    records->saveAs();
    records->saveAs();
    records->saveAs();  // dialog cancelled
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("PAGE7.TIF file already exists.  OK to overwrite?"));
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(fileBytes(path(QStringLiteral("page7.tif"))), before);
    EXPECT_EQ(state.modified, 0);  // cleared whatever followed
    EXPECT_EQ(records->lastSavePath(), path(QStringLiteral("page7.tif")));
    EXPECT_TRUE(dialogs.saveFilters[0].contains(QStringLiteral("*.tif")));

    // Moving away afterwards asks nothing.
    records->nextimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(PageSaveAs, YesReplacesTheFileInItsOwnFormatWithoutAddingTheChangeMarker) {
    makePages(2);
    PageSpec lzw = markedPage(30);
    lzw.compression = COMPRESSION_LZW;
    writePage(path(QStringLiteral("other.tif")), lzw);
    open(QStringLiteral("00000002.tif"));
    controls->ticked = true;
    state.modified = 1;
    dialogs.saveAnswers = {path(QStringLiteral("other.tif"))};
    dialogs.messageAnswers = {MsgAnswer::Yes};
    records->saveAs();
    const DiskPage page = readPage(path(QStringLiteral("other.tif")));
    EXPECT_EQ(page.compression, 5);
    EXPECT_EQ(page.bits, 1);
    EXPECT_EQ(page.mark, 2);  // the page shown
    EXPECT_EQ(page.description, QStringLiteral("BOD"));
    EXPECT_FALSE(page.model.has_value());
    // The page shown and its caption stay.
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
    EXPECT_FALSE(readPage(path(QStringLiteral("00000002.tif"))).description.has_value());
}

TEST_F(PageSaveAs, ANewPathGetsThePageInTheShownPagesFormat) {
    makePages(1);
    open(QStringLiteral("00000001.tif"));
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const QString target = path(QStringLiteral("out/copy.tif"));
    dialogs.saveAnswers = {target};
    records->saveAs();
    EXPECT_TRUE(dialogs.messages.empty());  // nothing to overwrite, nothing asked
    const DiskPage page = readPage(target);
    ASSERT_TRUE(page.readable);
    EXPECT_EQ(page.compression, 4);
    EXPECT_EQ(page.bits, 1);
    EXPECT_EQ(page.mark, 1);
}

using PageRevert = PagesTest;

TEST_F(PageRevert, ShowsThePageAsStoredAndRestoresTheMarkerBox) {
    makePages(2);
    writePage(path(QStringLiteral("00000002.tif")),
              markedPage(2).tag(TIFFTAG_IMAGEDESCRIPTION, "BOD"));
    open(QStringLiteral("00000002.tif"));
    ASSERT_TRUE(controls->ticked);
    // An edit: the page replaced by a blank one of the same size.
    controls->view->engine().setImage(imaging::PixPtr(pixCreate(64, 48, 1)), 300, 300);
    controls->ticked = false;
    state.modified = 1;
    records->revert();
    EXPECT_EQ(state.modified, 0);
    EXPECT_TRUE(controls->ticked);
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
    imaging::PixPtr stored(
        pixRead(QFile::encodeName(path(QStringLiteral("00000002.tif"))).constData()));
    ASSERT_TRUE(stored);
    l_int32 same = 0;
    pixEqual(stored.get(), controls->view->engine().pix(), &same);
    EXPECT_TRUE(same);
}

}  // namespace
}  // namespace leafmark::testing
