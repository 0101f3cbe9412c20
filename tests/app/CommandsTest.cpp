// Every menu item and toolbar button runs its command on a real page.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "app/DocumentMarkerButton.h"
#include "batch/ui/ProcessWindow.h"
#include "imaging/widget/PageView.h"
#include "pages/PageRecords.h"

namespace leafmark::testing {

namespace {
QSize shownSize(app::MainWindow& w) {
    const auto& e = w.pageView().engine();
    return QSize(static_cast<int>(e.PageWidth()), static_cast<int>(e.PageHeight()));
}
QString shownName(const SharedState& s) { return QFileInfo(s.currentfile).fileName().toLower(); }
}  // namespace

class CommandsTest : public AppTest {
  protected:
    void SetUp() override {
        makePages(3);
        makeWindow();
        openThroughMenu(2);
        ASSERT_EQ(shownName(state), QStringLiteral("00000002.tif"));
        ASSERT_EQ(shownSize(*window), QSize(64, 48));
    }
    void click(int index) { window->toolbarButton(index)->click(); }
};

TEST_F(CommandsTest, OpenEnablesPageCommandsAndButtons) {
    app::MainWindow& w = *window;
    for (int i : {1, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19, 21, 22})
        EXPECT_TRUE(w.toolbarEnabled(i)) << i;
    EXPECT_TRUE(w.documentMarkerBox()->isEnabled());
    for (auto item :
         {PageMenuItem::First, PageMenuItem::Prior, PageMenuItem::Next, PageMenuItem::Last,
          PageMenuItem::Save, PageMenuItem::SaveAs, PageMenuItem::Revert})
        EXPECT_TRUE(w.menuEnabled(item));
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Leafmark  ")));
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("(2 of 3)")))
        << w.windowTitle().toStdString();
    // The toolbar's Open File runs the same routine.
    dialogs.openAnswers.push_back(page(3));
    click(21);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    EXPECT_EQ(dialogs.openStartFolders.size(), 2);
}

// The block at columns 4..7, rows 8..11 of the 64 x 48 page shows where each turn went.
TEST_F(CommandsTest, RotationsFromMenuAndToolbar) {
    app::MainWindow& w = *window;
    trigger(app::MenuItem::Rotate90);
    EXPECT_EQ(shownSize(w), QSize(48, 64));
    EXPECT_EQ(shownPixel(w, 48 - 1 - 9, 5), 1);  // clockwise: (x, y) -> (h - 1 - y, x)
    EXPECT_EQ(state.modified, 1);
    trigger(app::MenuItem::Rotate270);
    EXPECT_EQ(shownSize(w), QSize(64, 48));
    EXPECT_EQ(shownPixel(w, 5, 9), 1);
    trigger(app::MenuItem::Rotate180);
    EXPECT_EQ(shownPixel(w, 64 - 1 - 5, 48 - 1 - 9), 1);
    EXPECT_EQ(shownPixel(w, 5, 9), 0);
    click(4);  // upside again: back to the start
    EXPECT_EQ(shownPixel(w, 5, 9), 1);
    click(5);  // clockwise
    EXPECT_EQ(shownPixel(w, 48 - 1 - 9, 5), 1);
    click(3);  // anticlockwise
    EXPECT_EQ(shownPixel(w, 5, 9), 1);
    click(3);  // anticlockwise: (x, y) -> (y, w - 1 - x)
    EXPECT_EQ(shownSize(w), QSize(48, 64));
    EXPECT_EQ(shownPixel(w, 9, 64 - 1 - 5), 1);
}

TEST_F(CommandsTest, InvertAndWhiteFillMode) {
    app::MainWindow& w = *window;
    EXPECT_EQ(shownPixel(w, 0, 0), 0);
    trigger(app::MenuItem::Invert);
    EXPECT_EQ(shownPixel(w, 0, 0), 1);
    EXPECT_EQ(shownPixel(w, 5, 9), 0);

    QAction* whiteOut = w.menuAction(app::MenuItem::WhiteOut);
    EXPECT_TRUE(w.pageView().bandSelect());
    trigger(app::MenuItem::WhiteOut);
    EXPECT_FALSE(whiteOut->isChecked());
    EXPECT_FALSE(w.whiteFillChecked());
    EXPECT_FALSE(w.pageView().bandSelect());
    trigger(app::MenuItem::WhiteOut);
    EXPECT_TRUE(whiteOut->isChecked());
    EXPECT_TRUE(w.pageView().bandSelect());
}

TEST_F(CommandsTest, SizeAndBitonalModes) {
    app::MainWindow& w = *window;
    struct Case {
        app::MenuItem item;
        int toolbar;
        int sizeMode;
        int windowmode;
    };
    using M = app::MenuItem;
    for (const Case& c :
         {Case{M::ActualSize, 0, 4, 0}, Case{M::Fit, 6, 3, 1}, Case{M::FitWidth, 7, 2, 2}}) {
        state.windowmode = -1;
        trigger(c.item);
        EXPECT_EQ(w.pageView().sizeMode(), c.sizeMode) << c.toolbar;
        EXPECT_EQ(state.windowmode, c.windowmode) << c.toolbar;
        if (c.toolbar) {
            trigger(app::MenuItem::ActualSize);
            click(c.toolbar);
            EXPECT_EQ(w.pageView().sizeMode(), c.sizeMode) << c.toolbar;
        }
    }
    trigger(app::MenuItem::Normal);
    EXPECT_EQ(state.bitonalmode, 2);
    EXPECT_EQ(w.pageView().bitonalDisplay(), 0);
    click(9);
    EXPECT_EQ(state.bitonalmode, 1);
    EXPECT_EQ(w.pageView().bitonalDisplay(), 1);
    click(8);
    EXPECT_EQ(state.bitonalmode, 0);
    EXPECT_EQ(w.pageView().bitonalDisplay(), 2);
    trigger(app::MenuItem::FavorBlack);
    EXPECT_EQ(state.bitonalmode, 1);
    trigger(app::MenuItem::ScaletoGray);
    EXPECT_EQ(state.bitonalmode, 0);
}

TEST_F(CommandsTest, MagnificationZoomAndTheViewMenuMarks) {
    app::MainWindow& w = *window;
    dialogs.inputAnswers.push_back(QStringLiteral("150"));
    trigger(app::MenuItem::MagFactor);
    EXPECT_EQ(dialogs.inputPrompts.size(), 1);
    EXPECT_EQ(state.magfactor, 150);

    trigger(app::MenuItem::Fit);
    const float before = w.pageView().zoomPercent();
    trigger(app::MenuItem::ZoomIn);
    const float in = w.pageView().zoomPercent();
    EXPECT_GT(in, before);
    trigger(app::MenuItem::ZoomOut);
    EXPECT_LT(w.pageView().zoomPercent(), in);

    // Opening the View menu sets its caption and exactly one mark per group.
    state.windowmode = 2;
    state.bitonalmode = 1;
    QMenu* view = w.menu(app::MenuItem::View);
    QMetaObject::invokeMethod(view, "aboutToShow");
    EXPECT_EQ(w.menuAction(app::MenuItem::MagFactor)->text(),
              QStringLiteral("Magnification (150)"));
    EXPECT_TRUE(w.menuAction(app::MenuItem::FitWidth)->isChecked());
    EXPECT_FALSE(w.menuAction(app::MenuItem::Fit)->isChecked());
    EXPECT_FALSE(w.menuAction(app::MenuItem::ActualSize)->isChecked());
    EXPECT_TRUE(w.menuAction(app::MenuItem::FavorBlack)->isChecked());
    EXPECT_FALSE(w.menuAction(app::MenuItem::Normal)->isChecked());
    EXPECT_FALSE(w.menuAction(app::MenuItem::ScaletoGray)->isChecked());
}

TEST_F(CommandsTest, NavigationFromMenuAndToolbar) {
    trigger(app::MenuItem::Next);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    trigger(app::MenuItem::First);
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    trigger(app::MenuItem::Last);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    trigger(app::MenuItem::Prior);
    EXPECT_EQ(shownName(state), QStringLiteral("00000002.tif"));
    click(16);
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    click(18);
    EXPECT_EQ(shownName(state), QStringLiteral("00000002.tif"));
    click(19);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    click(17);
    EXPECT_EQ(shownName(state), QStringLiteral("00000002.tif"));
}

TEST_F(CommandsTest, SaveSaveAsRevertAndSaveAndNext) {
    trigger(app::MenuItem::Rotate90);
    trigger(app::MenuItem::Save);
    EXPECT_EQ(readPage(page(2)).size(), QSize(48, 64));
    EXPECT_EQ(state.modified, 0);

    const QString copy = pageDir + QStringLiteral("/copy.tif");
    dialogs.saveAnswers.push_back(copy);
    trigger(app::MenuItem::SaveAs);
    EXPECT_EQ(readPage(copy).size(), QSize(48, 64));

    trigger(app::MenuItem::Rotate90);
    trigger(app::MenuItem::Revert);
    EXPECT_EQ(shownSize(*window), QSize(48, 64));
    EXPECT_EQ(state.modified, 0);

    trigger(app::MenuItem::First);
    trigger(app::MenuItem::Rotate90);
    click(1);  // save and next
    EXPECT_EQ(readPage(page(1)).size(), QSize(48, 64));
    EXPECT_EQ(shownName(state), QStringLiteral("00000002.tif"));

    // The right mouse button on the page saves and moves on as well.
    trigger(app::MenuItem::Rotate180);
    emit window->pageView().PageMouseButton(imaging::kMouseRight, 0, 1.0f, 1.0f);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
}

TEST_F(CommandsTest, DocumentMarkerBoxMouseAndKeyboard) {
    auto* bod = window->documentMarkerBox();
    const QColor face = bod->markerColor();
    EXPECT_NE(face, QColor(255, 255, 0));
    QTest::mouseClick(bod, Qt::LeftButton);
    EXPECT_TRUE(bod->isChecked());
    EXPECT_TRUE(window->documentMarkerTicked());
    EXPECT_EQ(bod->markerColor(), QColor(255, 255, 0));
    EXPECT_EQ(state.modified, 2);
    // A right button released over the box counts too, and keeps modified 1 as 1.
    state.modified = 1;
    QTest::mouseClick(bod, Qt::RightButton);
    EXPECT_EQ(state.modified, 1);
    state.modified = 0;
    QTest::mouseClick(bod, Qt::RightButton);
    EXPECT_EQ(state.modified, 2);
    EXPECT_TRUE(bod->isChecked());  // only the left button changes the value

    state.modified = 0;
    bod->setFocus();
    QTest::keyClick(bod, Qt::Key_Space);
    EXPECT_FALSE(bod->isChecked());
    EXPECT_EQ(bod->markerColor(), face);
    EXPECT_EQ(state.modified, 2);  // a keyboard toggle is a change like a click

    // The page display sets the box from the file without marking anything modified.
    state.modified = 0;
    window->setDocumentMarkerTicked(true);
    EXPECT_EQ(bod->markerColor(), QColor(255, 255, 0));
    EXPECT_EQ(state.modified, 0);
}

TEST_F(CommandsTest, ProcessShowsOneBatchWindow) {
    trigger(app::MenuItem::Process);
    ProcessWindow* first = window->processWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    click(22);
    trigger(app::MenuItem::Process);
    EXPECT_EQ(window->processWindow(), first);
    int count = 0;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (qobject_cast<ProcessWindow*>(t)) ++count;
    EXPECT_EQ(count, 1);
    // Once closed, the next choice makes a new one.
    first->close();
    ASSERT_TRUE(waitFor([&] { return window->processWindow() == nullptr; }));
    click(22);
    EXPECT_NE(window->processWindow(), nullptr);
}

TEST_F(CommandsTest, AboutHelpAndUnknownToolbarIndices) {
    dialogs.messageAnswers.push_back(MsgAnswer::Ok);
    trigger(app::MenuItem::About);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const AskedMessage& m = dialogs.messages[0];
    EXPECT_EQ(m.text.split(QLatin1Char('\n')).size(), 5);
    EXPECT_TRUE(m.text.startsWith(QStringLiteral("Version 1.1.1016\n")));
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.icon, MsgIcon::None);
    EXPECT_EQ(m.title, QStringLiteral("Leafmark"));

    trigger(app::MenuItem::Help2);
    ASSERT_EQ(openedUrls.size(), 1);
    EXPECT_EQ(openedUrls[0].toLocalFile(), appDir + QStringLiteral("leafmark.pdf"));
    EXPECT_EQ(dialogs.messages.size(), 1u);  // a missing document shows nothing

    const QString shown = state.currentfile;
    for (int index : {-1, 0, 2, 10, 15, 20, 23, 1000}) window->toolbarClick(index);
    EXPECT_EQ(state.currentfile, shown);
    EXPECT_EQ(state.modified, 0);
    EXPECT_EQ(window->processWindow(), nullptr);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(quitCalls, 0);
}

}  // namespace leafmark::testing
