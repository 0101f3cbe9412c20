// Unsaved work on the page shown is never dropped without the save-changes question:
// not by an open request, not by Open File, not after a keyboard toggle of the marker.
#include <QFileInfo>
#include <QTest>

#include "AppTestSupport.h"
#include "app/DocumentMarkerButton.h"

namespace leafmark::testing {

namespace {
const QString kPrompt =
    QStringLiteral("The image has been modified.  Do you wish to save the changes?");

QString shownName(const SharedState& state) { return QFileInfo(state.currentfile).fileName(); }
}  // namespace

class UnsavedWorkTest : public AppTest {
  protected:
    void SetUp() override {
        makePages(3);
        makeWindow();
        openThroughMenu(1);
        ASSERT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    }
};

TEST_F(UnsavedWorkTest, AnOpenRequestAsksFirstAndCancelKeepsTheWork) {
    trigger(app::MenuItem::Rotate90);
    dialogs.messageAnswers = {MsgAnswer::Cancel};
    window->openRequest(page(3));
    ASSERT_EQ(dialogs.messageTexts(), QStringList{kPrompt});
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    EXPECT_EQ(state.modified, 1);
    EXPECT_EQ(readPage(page(1)).size(), QSize(64, 48));  // nothing saved

    // Yes saves the rotated page, then opens the requested one.
    dialogs.messageAnswers = {MsgAnswer::Yes};
    window->openRequest(page(3));
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    EXPECT_EQ(readPage(page(1)).size(), QSize(48, 64));
    EXPECT_EQ(state.modified, 0);
}

TEST_F(UnsavedWorkTest, OpenFileAsksFirstAndCancelKeepsTheWork) {
    trigger(app::MenuItem::Rotate90);
    dialogs.messageAnswers = {MsgAnswer::Cancel};
    openThroughMenu(2);
    ASSERT_EQ(dialogs.messageTexts(), QStringList{kPrompt});
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    EXPECT_EQ(state.modified, 1);
}

// Space on the focused marker box is a change like a click: moving on asks.
TEST_F(UnsavedWorkTest, AKeyboardToggleOfTheMarkerIsAChange) {
    window->activateWindow();
    window->documentMarkerBox()->setFocus();
    QTest::keyClick(window->documentMarkerBox(), Qt::Key_Space);
    ASSERT_TRUE(window->documentMarkerTicked());
    EXPECT_EQ(state.modified, 2);
    dialogs.messageAnswers = {MsgAnswer::Cancel};
    trigger(app::MenuItem::Next);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{kPrompt});
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
}

}  // namespace leafmark::testing
