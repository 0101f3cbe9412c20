// The two ways to end: "E&xit" and closing the main window.
#include <QDir>
#include <QFile>
#include <QTest>

#include "AppTestSupport.h"
#include "app/DocumentMarkerButton.h"
#include "batch/ui/ProcessWindow.h"

namespace leafmark::testing {

namespace {
const QString kPrompt =
    QStringLiteral("The image has been modified.  Do you wish to save the changes?");
enum class Path { Exit, Close };
}  // namespace

class ShutdownTest : public AppTest {
  protected:
    void SetUp() override {
        makePages(2);
        writeSettings({"[Setup]", "Dir1=/before", "Dir2=/before2"});
        makeWindow();
        openThroughMenu(1);
        ASSERT_FALSE(state.currentfile.isEmpty());
    }
    // Makes unsaved work of kind `modified` (1 a rotation, 2 the marker by mouse).
    void makeWork(int modified) {
        if (modified == 1) trigger(app::MenuItem::Rotate90);
        if (modified == 2) QTest::mouseClick(window->documentMarkerBox(), Qt::LeftButton);
        ASSERT_EQ(state.modified, modified);
    }
    // Runs the path; true when the program ended (or the window closed).
    bool end(Path p) {
        if (p == Path::Exit) {
            trigger(app::MenuItem::Exit);
            return quitCalls > 0;
        }
        return window->close();
    }
};

TEST_F(ShutdownTest, EveryPathModifiedStateAndAnswer) {
    for (Path path : {Path::Exit, Path::Close}) {
        for (int modified : {0, 1, 2}) {
            for (MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel}) {
                if (modified == 0 && answer != MsgAnswer::Yes) continue;  // no prompt to answer
                SCOPED_TRACE(::testing::Message()
                             << (path == Path::Exit ? "exit" : "close") << " modified " << modified
                             << " answer " << static_cast<int>(answer));
                // A fresh window and page for each case.
                window.reset();
                quitCalls = 0;
                dialogs.messages.clear();
                state = SharedState{};
                writePage(page(1), markedPage(4));
                writeSettings({"[Setup]", "Dir1=/before"});
                makeWindow();
                openThroughMenu(1);
                makeWork(modified);
                if (modified) dialogs.messageAnswers.push_back(answer);

                const bool ended = end(path);

                if (modified == 0) {
                    EXPECT_TRUE(dialogs.messages.empty());
                } else {
                    ASSERT_EQ(dialogs.messages.size(), 1u);
                    EXPECT_EQ(dialogs.messages[0].text, kPrompt);
                    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
                    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
                    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Leafmark"));
                }
                const bool cancelled = modified && answer == MsgAnswer::Cancel;
                EXPECT_EQ(ended, !cancelled);
                EXPECT_EQ(state.modified, cancelled ? modified : 0);
                if (path == Path::Close) {
                    EXPECT_EQ(window->isVisible(), cancelled);
                }
                // The page on disk changes only on Yes.
                const bool saved = modified && answer == MsgAnswer::Yes;
                EXPECT_EQ(readPage(page(1)).size(),
                          saved && modified == 1 ? QSize(48, 64) : QSize(64, 48));
                EXPECT_EQ(readPage(page(1)).description.value_or(QString()),
                          saved && modified == 2 ? QStringLiteral("BOD") : QString());
                // Settings: only a completed close writes "Dir1".
                const bool wrote = path == Path::Close && !cancelled;
                EXPECT_EQ(settingsText().contains(QStringLiteral("Dir1=") + pageDir), wrote);
                EXPECT_EQ(settingsText().contains(QStringLiteral("Dir1=/before")), !wrote);
            }
        }
    }
}

TEST_F(ShutdownTest, CloseWritesDialogFoldersExitWritesNothing) {
    const QString copy = tmp.path() + QStringLiteral("/saved/copy.tif");
    QDir().mkpath(tmp.path() + QStringLiteral("/saved"));
    dialogs.saveAnswers.push_back(copy);
    trigger(app::MenuItem::SaveAs);
    const QString before = settingsText();
    trigger(app::MenuItem::Exit);
    EXPECT_EQ(quitCalls, 1);
    EXPECT_TRUE(window->exitRequested());
    EXPECT_EQ(settingsText(), before);
    // After "E&xit" a close (the toolkit tearing down) runs no handler.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(settingsText(), before);

    // The close path on a fresh window writes both folders.
    window.reset();
    makeWindow();
    openThroughMenu(2);
    dialogs.saveAnswers.push_back(tmp.path() + QStringLiteral("/saved/other.tif"));
    trigger(app::MenuItem::SaveAs);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Dir1=") + pageDir + QLatin1Char('\n')));
    EXPECT_TRUE(
        settingsText().contains(QStringLiteral("Dir2=") + tmp.path() + QStringLiteral("/saved\n")));
}

TEST_F(ShutdownTest, NothingChosenOrNoSeparatorLeavesFoldersAlone) {
    // Pages opened only by request leave the dialogs' last paths empty.
    window.reset();
    makeWindow();
    window->openRequest(page(1));
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Dir1=/before\n")));
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Dir2=/before2")));

    // A chosen path without a separator is not written either.
    window.reset();
    makeWindow();
    dialogs.openAnswers.push_back(QStringLiteral("00000001.tif"));
    trigger(app::MenuItem::Open);
    dialogs.messageAnswers.assign(5, MsgAnswer::Ok);  // whatever the opening reports
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Dir1=/before\n")));
}

TEST_F(ShutdownTest, NoPageEverOpenedWritesNothing) {
    window.reset();
    QFile::remove(appDir + QStringLiteral("leafmark.ini"));
    makeWindow();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(QFile::exists(appDir + QStringLiteral("leafmark.ini")));
}

TEST_F(ShutdownTest, CloseUnloadsTheBatchWindowExitLeavesIt) {
    trigger(app::MenuItem::Process);
    ASSERT_NE(window->processWindow(), nullptr);
    trigger(app::MenuItem::Exit);
    EXPECT_EQ(quitCalls, 1);
    QCoreApplication::processEvents();
    EXPECT_NE(window->processWindow(), nullptr);
    EXPECT_FALSE(settingsText().contains(QStringLiteral("Process1")));
    delete window->processWindow();

    window.reset();
    makeWindow();
    trigger(app::MenuItem::Process);
    ASSERT_NE(window->processWindow(), nullptr);
    EXPECT_TRUE(window->close());
    ASSERT_TRUE(waitFor([&] { return window->processWindow() == nullptr; }));
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Process1=")));
    EXPECT_TRUE(settingsText().contains(QStringLiteral("OutputDir=")));
}

// A save that fails at the prompt keeps the program running with the work, on
// both paths, instead of ending as if it had been saved.
TEST_F(ShutdownTest, FailedSaveAtThePromptKeepsTheWork) {
    makeWork(1);
    // The page folder disappears under the page shown: nothing can be written.
    ASSERT_TRUE(QDir(pageDir).removeRecursively());
    for (Path path : {Path::Exit, Path::Close}) {
        dialogs.messages.clear();
        dialogs.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::Ok};
        EXPECT_FALSE(end(path));
        EXPECT_EQ(state.modified, 1);
        EXPECT_TRUE(window->isVisible());
        ASSERT_GE(dialogs.messages.size(), 2u);  // the prompt, then why the save failed
        EXPECT_EQ(dialogs.messages[0].text, kPrompt);
        EXPECT_FALSE(settingsText().contains(QStringLiteral("Dir1=") + pageDir));
    }
    dialogs.messageAnswers.clear();
}

}  // namespace leafmark::testing
