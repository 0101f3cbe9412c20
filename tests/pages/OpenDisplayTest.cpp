// Opening a page and its folder, and what showing a page sets.
#include <sys/stat.h>

#include <QFile>

#include "PagesTestSupport.h"
#include "shared/NativePath.h"

namespace leafmark::testing {
namespace {

using PageOpening = PagesTest;

TEST_F(PageOpening, SelectsThePageInItsFolderAndNamesItsPosition) {
    makePages(20);
    open(QStringLiteral("00000007.tif"));
    EXPECT_EQ(state.folderpath, dir.path());  // no trailing separator
    EXPECT_EQ(records->folderList().count(), 20);
    EXPECT_EQ(records->folderList().selectedIndex(), 6);
    EXPECT_EQ(state.currentfile, path(QStringLiteral("00000007.tif")));
    EXPECT_EQ(controls->caption,
              QStringLiteral("Leafmark    %1 (7 of 20)").arg(path(QStringLiteral("00000007.tif"))));
    EXPECT_FALSE(records->pageLoadFailed());
    EXPECT_EQ(controls->view->engine().PageWidth(), 64.0f);
}

TEST_F(PageOpening, MatchesNamesWithoutCaseButOpensTheStoredName) {
    writePage(path(QStringLiteral("a.tif")));
    writePage(path(QStringLiteral("B.tif")));
    writePage(path(QStringLiteral("c.TIFF")), markedPage(5));
    writeFile(path(QStringLiteral("a.jpg")), "x");
    writeFile(path(QStringLiteral("a.eod")), "EOD\r\n");

    records->OpenMaster(path(QStringLiteral("C.tiff")));
    EXPECT_EQ(
        records->folderList().names(),
        (QStringList{QStringLiteral("a.tif"), QStringLiteral("B.tif"), QStringLiteral("c.TIFF")}));
    EXPECT_EQ(records->folderList().selectedIndex(), 2);
    EXPECT_EQ(state.currentfile, path(QStringLiteral("c.TIFF")));
    EXPECT_FALSE(records->pageLoadFailed());
    EXPECT_TRUE(controls->caption.endsWith(QStringLiteral("c.TIFF (3 of 3)")));
}

// The page of exactly the given name is opened, also where another page's name
// differs from it only in case or in a byte that is not UTF-8.
TEST_F(PageOpening, OpensTheExactPageAmongNamesThatFoldAlike) {
    const QString e4 = fromNativePath("Ab\xe4.tif"), fc = fromNativePath("Ab\xfc.tif");
    for (const QString& n : {QStringLiteral("A.tif"), QStringLiteral("a.tif"), e4, fc})
        writePage(path(n));
    for (const QString& n : {QStringLiteral("a.tif"), fc, e4}) {
        records->OpenMaster(path(n));
        EXPECT_EQ(state.currentfile, path(n));
        EXPECT_EQ(records->folderList().at(records->folderList().selectedIndex()), n);
    }
}

TEST_F(PageOpening, AnUnlistedFileIsShownWithoutSelection) {
    makePages(3);
    writePage(path(QStringLiteral("scan.tf")), markedPage(9));
    open(QStringLiteral("scan.tf"));
    EXPECT_EQ(records->folderList().selectedIndex(), -1);
    EXPECT_EQ(state.currentfile, path(QStringLiteral("scan.tf")));
    EXPECT_FALSE(records->pageLoadFailed());
    EXPECT_TRUE(controls->caption.endsWith(QStringLiteral("scan.tf (0 of 3)")));
}

TEST_F(PageOpening, APathWithoutFolderKeepsTheFolderAndShowsNoPage) {
    makePages(2);
    open(QStringLiteral("00000002.tif"));
    records->OpenMaster(QStringLiteral("00000001.tif"));
    EXPECT_EQ(state.folderpath, dir.path());
    EXPECT_EQ(records->folderList().count(), 2);
    EXPECT_EQ(records->folderList().selectedIndex(), -1);
    EXPECT_EQ(state.currentfile, dir.path() + QStringLiteral("/"));
    EXPECT_TRUE(records->pageLoadFailed());
    EXPECT_TRUE(controls->caption.endsWith(QStringLiteral("/ (0 of 2)")));
}

TEST_F(PageOpening, FirstOpeningEnablesThePageButtonsOnlyOnce) {
    makePages(2);
    open(QStringLiteral("00000001.tif"));
    EXPECT_EQ(controls->enablePageButtonsCalls, 1);
    open(QStringLiteral("00000002.tif"));
    EXPECT_EQ(controls->enablePageButtonsCalls, 1);
}

TEST_F(PageOpening, OpenDialogCancelChangesNothingAndAChoiceEnablesTheMenus) {
    makePages(3);
    records->setOpenDialogFolder(QStringLiteral("/start"));
    dialogs.openAnswers = {std::nullopt, path(QStringLiteral("00000002.tif")), std::nullopt};
    records->Openfile();
    EXPECT_TRUE(state.currentfile.isEmpty());
    EXPECT_TRUE(controls->menus.isEmpty());
    EXPECT_EQ(controls->enablePageButtonsCalls, 0);

    records->Openfile();
    EXPECT_EQ(shownName(), QStringLiteral("00000002.tif"));
    EXPECT_EQ(records->lastOpenPath(), path(QStringLiteral("00000002.tif")));
    for (PageMenuItem item :
         {PageMenuItem::First, PageMenuItem::Prior, PageMenuItem::Next, PageMenuItem::Last,
          PageMenuItem::Save, PageMenuItem::SaveAs, PageMenuItem::Revert})
        EXPECT_TRUE(controls->menuEnabled(item));

    records->Openfile();  // starts where the last file was chosen
    ASSERT_EQ(dialogs.openStartFolders.size(), 3);
    EXPECT_EQ(dialogs.openStartFolders[0], QStringLiteral("/start"));
    EXPECT_EQ(dialogs.openStartFolders[2], dir.path());
    EXPECT_TRUE(dialogs.openFilters[0].contains(QStringLiteral("*.tif*")));
}

TEST_F(PageOpening, APageThatCannotBeLoadedIsStillNamed) {
    makePages(2);
    writeFile(path(QStringLiteral("00000003.tif")), "not an image");
    open(QStringLiteral("00000001.tif"));
    state.modified = 1;
    open(QStringLiteral("00000003.tif"));
    EXPECT_TRUE(records->pageLoadFailed());
    EXPECT_EQ(state.modified, 0);
    EXPECT_FALSE(controls->view->engine().hasImage());  // nothing of the page before
    EXPECT_TRUE(controls->caption.endsWith(QStringLiteral("00000003.tif (3 of 3)")));
}

TEST_F(PageOpening, APipeOrDeviceLinkUnderAPageNameIsRefusedAtOnce) {
    makePages(1);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.tif"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("zero.tif"))));
    open(QStringLiteral("00000001.tif"));
    for (const QString& name : {QStringLiteral("pipe.tif"), QStringLiteral("zero.tif")}) {
        records->OpenMaster(
            path(name));  // returns: nothing waits for a writer or reads without end
        EXPECT_TRUE(records->pageLoadFailed()) << name.toStdString();
        EXPECT_FALSE(controls->view->engine().hasImage());
        EXPECT_EQ(state.currentfile, path(name));
        EXPECT_EQ(records->folderList().names(), QStringList{QStringLiteral("00000001.tif")});
    }
}

using PageDisplay = PagesTest;

TEST_F(PageDisplay, TicksTheMarkerBoxOnlyForTheExactTextWithSpacesAround) {
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("  BOD "), true}, {QStringLiteral("BOD"), true},
        {QStringLiteral("bod"), false},   {QStringLiteral("BOD."), false},
        {QStringLiteral("XBOD"), false},
    };
    writePage(path(QStringLiteral("plain.tif")));
    for (const auto& [text, ticked] : cases) {
        writePage(path(QStringLiteral("page.tif")),
                  markedPage().tag(TIFFTAG_IMAGEDESCRIPTION, text.toStdString()));
        open(QStringLiteral("plain.tif"));
        controls->ticked = !ticked;
        open(QStringLiteral("page.tif"));
        EXPECT_EQ(controls->ticked, ticked) << text.toStdString();
        EXPECT_EQ(state.modified, 0);
    }
}

TEST_F(PageDisplay, FolderWithOrWithoutTrailingSeparatorGivesTheSamePath) {
    makePages(2);
    open(QStringLiteral("00000001.tif"));
    state.folderpath = dir.path() + QStringLiteral("/");
    records->display(QStringLiteral("00000002.tif"));
    EXPECT_EQ(state.currentfile, path(QStringLiteral("00000002.tif")));
    state.folderpath = dir.path();
    records->display(QStringLiteral("00000002.tif"));
    EXPECT_EQ(state.currentfile, path(QStringLiteral("00000002.tif")));
}

TEST_F(PageDisplay, ActualSizeZoomFollowsTheResolution) {
    for (const auto& [name, dpi] : {std::pair{"a.tif", 300}, {"b.tif", 200}, {"c.tif", 0}}) {
        PageSpec spec = markedPage();
        spec.xres = spec.yres = static_cast<float>(dpi);
        writePage(path(QString::fromLatin1(name)), spec);
    }
    state.windowmode = 0;
    state.magfactor = 100;
    open(QStringLiteral("a.tif"));
    EXPECT_EQ(controls->view->sizeMode(), 4);
    EXPECT_NEAR(controls->view->zoomPercent(), 100.0 / 3.0, 0.01);
    state.magfactor = 150;
    records->display(QStringLiteral("b.tif"));
    EXPECT_NEAR(controls->view->zoomPercent(), 75.0, 0.01);
    records->display(QStringLiteral("c.tif"));  // no resolution: the zoom stays
    EXPECT_EQ(controls->view->sizeMode(), 4);
    EXPECT_NEAR(controls->view->zoomPercent(), 75.0, 0.01);

    state.windowmode = 2;
    state.bitonalmode = 1;
    records->display(QStringLiteral("a.tif"));
    EXPECT_EQ(controls->view->sizeMode(), 2);
    EXPECT_EQ(controls->view->bitonalDisplay(), 1);
}

TEST_F(PageDisplay, AppliesTheWhiteFillMode) {
    makePages(1);
    open(QStringLiteral("00000001.tif"));
    EXPECT_TRUE(controls->view->bandSelect());
    EXPECT_EQ(controls->view->cursorShape(), 2);
    controls->whiteFill = false;
    records->display(QStringLiteral("00000001.tif"));
    EXPECT_FALSE(controls->view->bandSelect());
    EXPECT_EQ(controls->view->cursorShape(), 0);
}

}  // namespace
}  // namespace leafmark::testing
