// Moving through the folder: boundaries, the save-changes prompt and the menu states.
#include <array>

#include "PagesTestSupport.h"

namespace leafmark::testing {
namespace {

const QString kPrompt =
    QStringLiteral("The image has been modified.  Do you wish to save the changes?");

class PageNavigation : public PagesTest {
  protected:
    // Menu states as First/Prior/Next/Last flags.
    std::array<bool, 4> menuStates() const {
        return {
            controls->menuEnabled(PageMenuItem::First), controls->menuEnabled(PageMenuItem::Prior),
            controls->menuEnabled(PageMenuItem::Next), controls->menuEnabled(PageMenuItem::Last)};
    }
    void setMenus(bool on) {
        for (auto item :
             {PageMenuItem::First, PageMenuItem::Prior, PageMenuItem::Next, PageMenuItem::Last})
            controls->setMenuEnabled(item, on);
    }
};

using M = std::array<bool, 4>;

TEST_F(PageNavigation, OnePageFolderStopsAtBothEndsAndReloadsOnFirstAndLast) {
    makePages(1);
    open(QStringLiteral("00000001.tif"));
    dialogs.messageAnswers = {MsgAnswer::Ok, MsgAnswer::Ok};
    records->nextimagefile();
    records->priorimagefile();
    EXPECT_EQ(dialogs.messageTexts(), (QStringList{QStringLiteral("End of Folder."),
                                                   QStringLiteral("Beginning of Folder.")}));
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Leafmark"));

    // First reloads the page from disk: an unsaved edit is dropped on No.
    controls->view->engine().setImage(imaging::PixPtr(pixCreate(8, 8, 1)), 300, 300);
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::No};
    records->firstimagefile();
    EXPECT_EQ(controls->view->engine().PageWidth(), 64.0f);
    EXPECT_EQ(menuStates(), (M{false, true, true, true}));
    records->lastimagefile();
    EXPECT_EQ(menuStates(), (M{true, true, true, false}));
    EXPECT_EQ(shownName(), QStringLiteral("00000001.tif"));
}

TEST_F(PageNavigation, MenuStatesFollowTheNewPosition) {
    makePages(2);
    open(QStringLiteral("00000002.tif"));
    setMenus(true);
    records->firstimagefile();
    records->nextimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
    EXPECT_EQ(controls->caption.right(8), QStringLiteral("(2 of 2)"));
    EXPECT_EQ(menuStates(), (M{false, true, false, true}));  // First stays disabled

    makePages(4);
    open(QStringLiteral("00000001.tif"));  // the folder re-read: 4 pages
    setMenus(false);
    records->nextimagefile();
    EXPECT_EQ(menuStates(), (M{true, true, false, true}));
    setMenus(false);
    records->lastimagefile();
    controls->setMenuEnabled(PageMenuItem::Prior, false);
    records->priorimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("00000003.tif"));
    EXPECT_EQ(menuStates(), (M{true, false, true, true}));  // Prior keeps its state
    records->priorimagefile();
    controls->setMenuEnabled(PageMenuItem::First, false);
    records->priorimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("00000001.tif"));
    EXPECT_EQ(menuStates(), (M{false, false, true, true}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PageNavigation, CancelAtThePromptKeepsEverything) {
    makePages(3);
    open(QStringLiteral("00000002.tif"));
    setMenus(true);
    controls->setMenuEnabled(PageMenuItem::Last, false);
    const QString caption = controls->caption;
    for (auto step : {&PageRecords::firstimagefile, &PageRecords::priorimagefile,
                      &PageRecords::nextimagefile, &PageRecords::lastimagefile}) {
        state.modified = 2;  // only the marker changed: still unsaved work
        dialogs.messageAnswers = {MsgAnswer::Cancel};
        ((*records).*step)();
        EXPECT_EQ(dialogs.messages.back().text, kPrompt);
        EXPECT_EQ(dialogs.messages.back().icon, MsgIcon::Question);
        EXPECT_EQ(dialogs.messages.back().buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(state.modified, 2);
        EXPECT_EQ(records->folderList().selectedIndex(), 1);
        EXPECT_EQ(controls->caption, caption);
        EXPECT_EQ(menuStates(), (M{true, true, true, false}));
    }
}

TEST_F(PageNavigation, YesSavesBeforeMovingAndNoWritesNothing) {
    makePages(3);
    open(QStringLiteral("00000002.tif"));
    controls->ticked = true;
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::Yes};
    records->nextimagefile();
    const DiskPage saved = readPage(path(QStringLiteral("00000002.tif")));
    EXPECT_EQ(saved.description, QStringLiteral("BOD"));
    EXPECT_EQ(saved.model, QStringLiteral("Changed"));
    EXPECT_EQ(eodFiles(), QStringList{QStringLiteral("00000001ZZZ.EOD")});
    EXPECT_EQ(shownName(), QStringLiteral("00000003.tif"));

    const QByteArray before = fileBytes(path(QStringLiteral("00000003.tif")));
    controls->ticked = true;
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::No};
    records->priorimagefile();
    EXPECT_EQ(fileBytes(path(QStringLiteral("00000003.tif"))), before);
    EXPECT_EQ(eodFiles(), QStringList{QStringLiteral("00000001ZZZ.EOD")});
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
    EXPECT_EQ(state.modified, 0);
}

TEST_F(PageNavigation, LastPageWithAnEditOnlySaysEndOfFolder) {
    makePages(2);
    open(QStringLiteral("00000002.tif"));
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    records->nextimagefile();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{QStringLiteral("End of Folder.")});
    EXPECT_EQ(state.modified, 1);
}

TEST_F(PageNavigation, SaveAndNextOnTheLastPageSavesThenSaysEndOfFolder) {
    makePages(2);
    open(QStringLiteral("00000002.tif"));
    controls->ticked = true;
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::Ok};
    records->pageMouseButton(2);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{QStringLiteral("End of Folder.")});
    EXPECT_EQ(readPage(path(QStringLiteral("00000002.tif"))).model, QStringLiteral("Changed"));
    EXPECT_EQ(eodFiles(), QStringList{QStringLiteral("00000001ZZZ.EOD")});
    EXPECT_EQ(state.modified, 0);

    records->firstimagefile();
    records->saveAndNext();  // saves even without changes, then moves on
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
}

TEST_F(PageNavigation, AFailedSaveAtThePromptStaysOnThePage) {
    makePages(2);
    open(QStringLiteral("00000001.tif"));
    state.modified = 1;
    dialogs.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::Ok};
    {
        FileSizeLimit limit(16);
        records->nextimagefile();
        records->saveAndNext();
    }
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text, kPrompt);
    EXPECT_TRUE(dialogs.messages[2].text.contains(state.currentfile));
    EXPECT_EQ(shownName(), QStringLiteral("00000001.tif"));
    EXPECT_EQ(state.modified, 1);
    EXPECT_EQ(readPage(path(QStringLiteral("00000001.tif"))).mark, 1);
}

TEST_F(PageNavigation, WithoutAListTheStepsDoNothing) {
    records->firstimagefile();
    records->priorimagefile();
    records->nextimagefile();
    records->lastimagefile();
    EXPECT_TRUE(state.currentfile.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());

    // An unlisted page: Next goes to the folder's first entry, Prior does nothing.
    makePages(2);
    writePage(path(QStringLiteral("loose.tf")));
    open(QStringLiteral("loose.tf"));
    records->priorimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("loose.tf"));
    records->nextimagefile();
    EXPECT_EQ(shownName(), QStringLiteral("00000001.tif"));
}

}  // namespace
}  // namespace leafmark::testing
