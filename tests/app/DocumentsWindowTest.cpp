// The D key's "Documents" window: documents and findings of the page folder, and
// a double-clicked page shown after the save-changes prompt.

#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "app/DocumentsWindow.h"
#include "pages/PageRecords.h"

using namespace leafmark;
using namespace leafmark::testing;

namespace {

class DocumentsWindowTest : public AppTest {};

void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      at);  // the view wants a press first
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace

TEST_F(DocumentsWindowTest, DKeyListsDocumentsAndFindingsAndDoubleClickShowsThePageAfterThePrompt) {
    makePages(3);
    QFile eod(pageDir + QStringLiteral("/00000002ZZZ.EOD"));
    ASSERT_TRUE(eod.open(QIODevice::WriteOnly));
    eod.write("EOD\r\n");
    eod.close();
    app::MainWindow& w = makeWindow();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    openThroughMenu(1);
    const QString caption = w.windowTitle();

    QTest::keyClick(&w, Qt::Key_D);
    app::DocumentsWindow* docs = w.documentsWindow();
    ASSERT_TRUE(docs);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(docs));
    EXPECT_EQ(docs->windowTitle(), QStringLiteral("Documents"));
    QTreeWidget* tree = docs->documentTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
    ASSERT_EQ(docs->findingList()->count(), 1);  // page 3 follows the file but is not marked
    EXPECT_TRUE(docs->findingList()->item(0)->text().contains(QStringLiteral("00000003.tif")));
    EXPECT_EQ(w.windowTitle(), caption);  // the report changes nothing of the main window

    // Unsaved work: Cancel keeps the page, No shows the page double-clicked.
    trigger(app::MenuItem::Rotate90);
    ASSERT_EQ(state.modified, 1);
    QTreeWidgetItem* third = tree->topLevelItem(1)->child(0);
    dialogs.messageAnswers.push_back(MsgAnswer::Cancel);
    doubleClick(tree, third);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(state.currentfile.endsWith(QStringLiteral("00000001.tif")));
    EXPECT_EQ(state.modified, 1);
    dialogs.messageAnswers.push_back(MsgAnswer::No);
    doubleClick(tree, third);
    EXPECT_TRUE(state.currentfile.endsWith(QStringLiteral("00000003.tif")));
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("(3 of 3)")));
    EXPECT_EQ(state.modified, 0);
    EXPECT_FALSE(w.menuEnabled(PageMenuItem::Next));
    EXPECT_TRUE(w.menuEnabled(PageMenuItem::Prior));
}
