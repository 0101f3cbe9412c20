// The batch window driven offscreen: settings at loading and unloading, the run's
// confirmation, progress, stop, close during a run, the folder lists and ESC.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QWindow>

#include "batch/core/RunReport.h"
#include "batch/ui/ProcessWindow.h"
#include "shared/SharedState.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPages.h"

using namespace leafmark;
using namespace leafmark::testing;

namespace {

class ProcessWindowTest : public ::testing::Test {
  protected:
    QTemporaryDir root;
    SharedState state;
    ScriptedDialogs dialogs;
    QString in, out;

    void SetUp() override {
        state.inifile = root.filePath("leafmark.ini");
        in = root.filePath("in");
        out = root.filePath("out");
        QDir().mkpath(in);
        QDir().mkpath(out);
    }

    QPointer<ProcessWindow> makeWindow() {
        auto* w = new ProcessWindow(state, dialogs);
        w->setWorkerCount(1);
        return w;
    }

    void writePages(int n) {
        for (int i = 0; i < n; ++i)
            writePage(in + QString("/p%1.tif").arg(i, 2, 10, QChar('0')), seededPage(i));
    }

    // A shown window running a one-worker pre-process over 12 pages, once its first
    // page is done (null when no page finished in time).
    QPointer<ProcessWindow> startLongRun() {
        writePages(12);
        QPointer<ProcessWindow> w = makeWindow();
        w->show();
        w->openSourceFolder(in);
        w->openOutputFolder(out);
        QSignalSpy pages(w.data(), &ProcessWindow::pageDone);
        dialogs.messageAnswers = {MsgAnswer::Yes};
        w->Run(0);
        if (!pages.wait(30000)) return nullptr;
        return w;
    }

    QStringList outputNames() const { return QDir(out).entryList(QDir::Files, QDir::Name); }

    QStringList iniLines() const {
        QFile f(state.inifile);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(f.readAll())
            .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    }

    // Waits until the window has closed and been deleted.
    static bool waitGone(QPointer<ProcessWindow>& w) {
        for (int i = 0; i < 3000 && w; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QTest::qWait(10);
        }
        return w.isNull();
    }
};

}  // namespace

TEST_F(ProcessWindowTest, FirstOpeningTicksAllBoxesAndStoredValuesAreReadWithTheirRules) {
    {
        QPointer<ProcessWindow> w = makeWindow();
        for (int i : {0, 1, 4}) EXPECT_EQ(w->processBox(i)->checkState(), Qt::Checked) << i;
        EXPECT_EQ(w->marginBox()->text(), "0");
        EXPECT_EQ(w->windowTitle(), "Leafmark Process");
        EXPECT_FALSE(w->progressBox()->isVisibleTo(w));
        EXPECT_FALSE(w->stopLabel()->isVisibleTo(w));
        delete w;
    }
    writeFile(state.inifile,
              "[Setup]\r\nProcess1=2\r\nProcess2=0\r\nProcess3=abc\r\n"
              "Margin=1.50\r\nInputDir=  " +
                  in.toUtf8() + "  \r\n");
    QPointer<ProcessWindow> w = makeWindow();
    EXPECT_EQ(w->processBox(0)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(w->processBox(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w->processBox(4)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w->marginBox()->text(), "1.5");
    EXPECT_EQ(w->sourceFolder(), in);  // blanks trimmed
    delete w;

    // A box value outside 0..2 is refused: the box keeps the state it had.
    writeFile(state.inifile, "[Setup]\r\nProcess1=3\r\nProcess2=-1\r\nProcess3=1E9\r\n");
    w = makeWindow();
    for (int i : {0, 1, 4}) EXPECT_NE(w->processBox(i)->checkState(), Qt::Checked) << i;
    delete w;
}

TEST_F(ProcessWindowTest, CloseButtonAndFrameCloseWriteTheSixSettingsInOrder) {
    for (bool byFrame : {false, true}) {
        QFile::remove(state.inifile);
        QPointer<ProcessWindow> w = makeWindow();
        w->show();
        w->processBox(1)->setCheckState(Qt::Unchecked);
        w->marginBox()->setText("abc");
        ASSERT_TRUE(w->openSourceFolder(in));
        ASSERT_TRUE(w->openOutputFolder(out));
        if (byFrame)
            w->windowHandle()->close();
        else
            QTest::mouseClick(w->closeButton(), Qt::LeftButton);
        ASSERT_TRUE(waitGone(w)) << byFrame;
        EXPECT_EQ(iniLines(), QStringList({"[Setup]", "Process1=1", "Process2=0", "Process3=1",
                                           "Margin=abc", "InputDir=" + in, "OutputDir=" + out}))
            << byFrame;
    }
}

TEST_F(ProcessWindowTest, EmptyListAsksThenCompletesWithThreeBeeps) {
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    w->openSourceFolder(in);
    w->openOutputFolder(out);
    QSignalSpy finished(w.data(), &ProcessWindow::runFinished);

    dialogs.messageAnswers = {MsgAnswer::No};
    w->Run(0);
    EXPECT_TRUE(w->progressBox()->isVisible());  // preparation shows the progress display
    EXPECT_FALSE(w->stopLabel()->isVisible());
    EXPECT_FALSE(w->isRunning());
    EXPECT_EQ(finished.size(), 0);

    state.stopflag = 1;  // a stale request does not stop the next run
    dialogs.messageAnswers = {MsgAnswer::Yes};
    w->Run(1);
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(10000));
    }
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    const AskedMessage& q = dialogs.messages[1];
    EXPECT_EQ(q.text,
              "This function will deskew the altered files.  OK to continue?\r\n\r\n"
              "Source Directory = " +
                  in + "/\r\nOutput Directory = " + out + "/");
    EXPECT_EQ(q.buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(q.title, "Leafmark");
    EXPECT_EQ(w->progressBar()->text(), "Completed");
    EXPECT_EQ(w->windowTitle(), "Leafmark Process");
    EXPECT_FALSE(w->stopLabel()->isVisible());
    EXPECT_EQ(dialogs.beeps, 3);
    delete w;
}

TEST_F(ProcessWindowTest, ListOfOnlyEndOfDocumentFilesCopiesThemAndLeavesTheBar) {
    writeFile(in + "/00000001ZZZ.EOD", "EOD\r\n");
    writeFile(in + "/00000002zzz.eod", "EOD\r\n");
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    w->openSourceFolder(in);
    w->openOutputFolder(out);
    QSignalSpy pages(w.data(), &ProcessWindow::pageDone);
    QSignalSpy finished(w.data(), &ProcessWindow::runFinished);
    dialogs.messageAnswers = {MsgAnswer::Yes};
    w->Run(0);
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(10000));
    }
    EXPECT_EQ(outputNames(), QStringList({"00000001ZZZ.EOD", "00000002zzz.eod"}));
    EXPECT_EQ(pages.size(), 0);
    EXPECT_EQ(w->progressBar()->width(), 1);
    EXPECT_EQ(dialogs.beeps, 3);
    delete w;
}

TEST_F(ProcessWindowTest, StopRequestedAfterPageKEndsWithProcessAborted) {
    writePages(6);
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    w->openSourceFolder(in);
    w->openOutputFolder(out);
    w->processBox(0)->setCheckState(Qt::Unchecked);
    QSignalSpy finished(w.data(), &ProcessWindow::runFinished);
    QObject::connect(w.data(), &ProcessWindow::pageDone, [&](int done, int total, QString) {
        EXPECT_EQ(total, 6);
        if (done == 3) state.stopflag = 1;  // as ESC would
    });
    dialogs.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Ok};
    w->Run(0);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_EQ(outputNames(), QStringList({"p00.tif", "p01.tif", "p02.tif"}));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text.section("\r\n", 0, 0),
              "This function will pre-process the files as specified (Deskew, Margin Cleanup). "
              " OK to continue? ");
    EXPECT_EQ(dialogs.messages[1].text.section("\n\n", 0, 0), "Process aborted.");
    EXPECT_TRUE(dialogs.messages[1].text.section("\n\n", 1).startsWith(
        "3 pages processed, 0 copied, 0 EOD files, 0 failures"))
        << dialogs.messages[1].text.toStdString();
    // The report beside the output folder has a line for each page done.
    EXPECT_EQ(fileBytes(leafmark::batch::reportPathFor(out)).count("\"outcome\":\"processed\""), 3);
    EXPECT_EQ(dialogs.messages[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(w->progressBar()->width(), 0);
    EXPECT_EQ(w->windowTitle(), "Leafmark Process p02.tif");
    EXPECT_FALSE(w->stopLabel()->isVisible());
    EXPECT_TRUE(w->runButton(0)->isEnabled());
    delete w;
}

TEST_F(ProcessWindowTest, DuringARunRunIsRefusedAndCloseStopsAtThePageBoundary) {
    QPointer<ProcessWindow> w = startLongRun();
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->isRunning());
    EXPECT_TRUE(w->stopLabel()->isVisible());
    EXPECT_FALSE(w->runButton(0)->isEnabled());
    EXPECT_FALSE(w->runButton(1)->isEnabled());
    w->Run(1);  // refused: asks nothing, starts nothing
    EXPECT_EQ(dialogs.messages.size(), 1u);

    dialogs.messageAnswers = {MsgAnswer::Ok};
    QTest::mouseClick(w->closeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitGone(w));
    // The page in progress was finished; nothing after it was started.
    EXPECT_EQ(outputNames(), QStringList({"p00.tif", "p01.tif"}));
    // No "Process aborted." on closing; the operator is told what was written instead.
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text.toStdString(),
              "The window was closed, so the run was stopped after the pages in progress.\n\n"
              "2 of 12 pages were written to " +
                  out.toStdString() + ".");
    EXPECT_TRUE(iniLines().contains("Process1=1"));
}

TEST_F(ProcessWindowTest, StopAndUnloadWaitsForThePageInProgressThenCloses) {
    QPointer<ProcessWindow> w = startLongRun();
    ASSERT_TRUE(w);
    w->stopAndUnload();
    EXPECT_TRUE(!w || !w->isRunning());
    EXPECT_EQ(outputNames(), QStringList({"p00.tif", "p01.tif"}));
    ASSERT_TRUE(waitGone(w));
    EXPECT_TRUE(iniLines().contains("OutputDir=" + out));
}

TEST_F(ProcessWindowTest, PagesThatCouldNotBeProcessedAreListedAfterCompletion) {
    writePages(2);
    writeFile(in + "/p01.tif", "broken");
    QPointer<ProcessWindow> w = makeWindow();
    w->openSourceFolder(in);
    w->openOutputFolder(out);
    QSignalSpy finished(w.data(), &ProcessWindow::runFinished);
    dialogs.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Ok};
    w->Run(0);
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(30000));
    }
    EXPECT_EQ(w->progressBar()->text(), "Completed");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains("p01.tif: "));
    EXPECT_FALSE(dialogs.messages[1].text.contains("p00.tif"));
    EXPECT_EQ(fileBytes(out + "/p01.tif"), QByteArray("broken"));
    EXPECT_EQ(w->lastFailures().size(), 1);
    delete w;
}

TEST_F(ProcessWindowTest, EscapeKeySetsTheStopFlagWithoutBeingConsumed) {
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->marginBox()->setFocus();
    QTest::keyClick(w->marginBox(), Qt::Key_Escape);
    EXPECT_EQ(state.stopflag, 1);
    state.stopflag = 0;
    QTest::keyClick(w->marginBox(), Qt::Key_A);
    EXPECT_EQ(state.stopflag, 0);
    EXPECT_EQ(w->marginBox()->text(), "0a");
    delete w;
}

TEST_F(ProcessWindowTest, MousePressOnASourceFolderPointsPageListAndOutputAtIt) {
    const QString sub = in + "/batch2";
    QDir().mkpath(sub);
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    ASSERT_TRUE(w->openSourceFolder(in));
    auto* model = static_cast<QFileSystemModel*>(w->sourceTree()->model());
    const QModelIndex item = model->index(sub);
    QRect rect;
    for (int i = 0; i < 500 && rect.isEmpty(); ++i) {  // the model fills in the background
        w->sourceTree()->expand(model->index(in));
        rect = w->sourceTree()->visualRect(item);
        if (rect.isEmpty()) QTest::qWait(10);
    }
    ASSERT_FALSE(rect.isEmpty());
    QTest::mousePress(w->sourceTree()->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_COMPARE(w->outputFolder(), sub);
    EXPECT_EQ(w->pageListFolder(), sub);
    EXPECT_EQ(w->sourceFolder(), in);  // pressing selects; it does not open
    QTest::mouseRelease(w->sourceTree()->viewport(), Qt::LeftButton, {}, rect.center());
    delete w;
}

TEST_F(ProcessWindowTest, ActivationOpensThePageFolderInBothListsAndRemembersChoices) {
    state.folderpath = in;
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTRY_COMPARE(w->sourceFolder(), in);
    EXPECT_EQ(w->outputFolder(), in);
    // A folder opened later on the same volume is that list's current folder from now on.
    ASSERT_TRUE(w->openOutputFolder(out));
    delete w;
    w = makeWindow();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTRY_COMPARE(w->outputFolder(), out);
    EXPECT_EQ(w->sourceFolder(), in);
    delete w;
}

TEST_F(ProcessWindowTest, PostProcessBarFollowsTheListIndexAndCaptionNamesOnlyDeskewedPages) {
    writePage(in + "/a.tif", seededPage(0).tag(TIFFTAG_MODEL, "Changed"));
    writePage(in + "/b.tif", seededPage(0));
    writeFile(in + "/c.eod", "EOD\r\n");
    writePage(in + "/d.tif", seededPage(0));
    QPointer<ProcessWindow> w = makeWindow();
    w->show();
    w->openSourceFolder(in);
    w->openOutputFolder(out);
    QList<int> widths;
    QStringList captions;
    QObject::connect(w.data(), &ProcessWindow::pageDone, [&](int, int, QString) {
        widths << w->progressBar()->width();
        captions << w->windowTitle();
    });
    QSignalSpy finished(w.data(), &ProcessWindow::runFinished);
    dialogs.messageAnswers = {MsgAnswer::Yes};
    w->Run(1);
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(30000));
    }
    // The full bar ends 30 twips inside the box's right edge; list index / last index
    // of the whole list (end-of-document entries included) gives its share.
    const QRect box = w->progressBox()->geometry();
    const int full =
        box.width() - (w->progressBar()->x() - box.x()) - qRound(30 * w->logicalDpiX() / 1440.0);
    ASSERT_EQ(widths.size(), 3);
    EXPECT_EQ(widths[0], 0);
    EXPECT_NEAR(widths[1], full / 3.0, 1.0);
    EXPECT_EQ(widths[2], full);
    EXPECT_LE(w->progressBar()->geometry().right(), box.right());
    EXPECT_EQ(captions, QStringList({"Leafmark Process a.tif", "Leafmark Process a.tif",
                                     "Leafmark Process a.tif"}));
    EXPECT_EQ(w->windowTitle(), "Leafmark Process");
    EXPECT_EQ(fileBytes(out + "/b.tif"), fileBytes(in + "/b.tif"));
    EXPECT_EQ(fileBytes(out + "/c.eod"), QByteArray("EOD\r\n"));
    EXPECT_FALSE(asciiTag(out + "/a.tif", 272).has_value());
    delete w;
}
