// Closing the batch window opened from the main window, after every kind of run
// ending, many times over: the program keeps running and the unsaved page with it.
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "AppTestSupport.h"
#include "batch/ui/ProcessWindow.h"
#include "imaging/engine/PageEngine.h"

namespace leafmark::testing {

class BatchWindowCloseTest : public AppTest {};

TEST_F(BatchWindowCloseTest, EveryRunEndingThenCloseKeepsTheUnsavedPage) {
    makePages(2);
    makeWindow();
    openThroughMenu(1);
    trigger(app::MenuItem::Rotate90);
    ASSERT_EQ(state.modified, 1);
    const QString out = tmp.path() + QStringLiteral("/out");
    QDir().mkpath(out);

    // Each cycle: open the window, Run, answer, let the run end, close (button or frame).
    const MsgAnswer answers[] = {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Yes,
                                 MsgAnswer::No, MsgAnswer::Yes,    MsgAnswer::Cancel};
    int cycle = 0;
    for (MsgAnswer answer : answers) {
        SCOPED_TRACE(cycle);
        trigger(app::MenuItem::Process);
        QPointer<ProcessWindow> pw = window->processWindow();
        ASSERT_TRUE(pw);
        pw->setWorkerCount(1);
        ASSERT_TRUE(pw->openSourceFolder(pageDir));
        ASSERT_TRUE(pw->openOutputFolder(out));
        QSignalSpy finished(pw.data(), &ProcessWindow::runFinished);
        dialogs.messageAnswers = {answer};
        QTest::mouseClick(pw->runButton(cycle % 2), Qt::LeftButton);
        if (answer == MsgAnswer::Yes) {
            ASSERT_TRUE(finished.wait(30000));
        }
        // The operator's click on Close (or the frame) arrives while the window is
        // being activated again, as it does when the click itself brings it forward.
        window->activateWindow();
        QCoreApplication::processEvents();
        if (cycle % 2 == 0)
            QMetaObject::invokeMethod(pw->closeButton(), "click", Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(pw.data(), "close", Qt::QueuedConnection);
        pw->activateWindow();
        ASSERT_TRUE(waitFor([&] { return pw.isNull(); }));
        window->activateWindow();
        QCoreApplication::processEvents();
        ++cycle;
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(state.modified, 1);
    EXPECT_EQ(window->processWindow(), nullptr);
    // The rotation shown is still the unsaved one: the 64 x 48 page stands 48 wide.
    EXPECT_EQ(readPage(page(1)).size(), QSize(64, 48));
}

// Exit while a run is between pages: the program ends only after the page in
// progress is written whole, and no temporary file of the run is left behind.
TEST_F(BatchWindowCloseTest, ExitDuringARunEndsOnlyAfterThePageInProgress) {
    makePages(1);
    const QString in = tmp.path() + QStringLiteral("/in"),
                  out = tmp.path() + QStringLiteral("/out");
    QDir().mkpath(in);
    QDir().mkpath(out);
    for (int i = 0; i < 12; ++i)
        writePage(in + QStringLiteral("/p%1.tif").arg(i, 2, 10, QChar('0')),
                  markedPage(0, 900, 1200));
    makeWindow();
    openThroughMenu(1);
    trigger(app::MenuItem::Process);
    QPointer<ProcessWindow> pw = window->processWindow();
    ASSERT_TRUE(pw);
    pw->setWorkerCount(1);
    ASSERT_TRUE(pw->openSourceFolder(in));
    ASSERT_TRUE(pw->openOutputFolder(out));

    bool runningAtExit = true;
    QStringList entriesAtExit;
    window->setQuitHandler([&] {
        runningAtExit = pw && pw->isRunning();
        entriesAtExit =
            QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    });
    // The operator chooses Exit once the first page is done, while the next is in progress.
    QObject::connect(
        pw.data(), &ProcessWindow::pageDone, window.get(),
        [this](int done) {
            if (done == 1)
                QMetaObject::invokeMethod(
                    window.get(), [this] { trigger(app::MenuItem::Exit); }, Qt::QueuedConnection);
        },
        Qt::SingleShotConnection);
    dialogs.messageAnswers = {MsgAnswer::Yes};
    QTest::mouseClick(pw->runButton(0), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !entriesAtExit.isEmpty(); }, 60000));

    EXPECT_FALSE(runningAtExit);
    EXPECT_LT(entriesAtExit.size(), 12) << "the run went on to the end";
    for (const QString& name : entriesAtExit) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(name.startsWith(QLatin1Char('.'))) << "a temporary file was left behind";
        imaging::PageEngine engine;
        EXPECT_TRUE(
            engine.LoadPage(QFile::encodeName(out + QLatin1Char('/') + name).toStdString()).ok());
        EXPECT_FALSE(engine.damaged());
    }
}

}  // namespace leafmark::testing
