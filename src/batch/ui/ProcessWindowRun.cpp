// The click on a Run button: confirmation, the run on worker threads, progress,
// stop at a page boundary, completion and the report of pages not processed.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "batch/core/BatchRun.h"
#include "batch/core/RunText.h"
#include "batch/ui/FolderTreeModel.h"
#include "batch/ui/ProcessWindow.h"
#include "batch/ui/ProcessWindowPrivate.h"
#include "imaging/engine/Leftovers.h"
#include "shared/AppInfo.h"
#include "shared/Dialogs.h"
#include "shared/NativePath.h"
#include "shared/Settings.h"
#include "shared/SharedState.h"

namespace leafmark::batch {

PageOptions ProcessWindowPrivate::currentOptions() const {
    PageOptions o;
    o.despeckle = chkProcess[0]->checkState() != Qt::Unchecked;
    o.deskew = chkProcess[1]->checkState() != Qt::Unchecked;
    o.marginCleanup = chkProcess[4]->checkState() != Qt::Unchecked;
    o.marginInches = leadingNumber(txtMargin->text());
    return o;
}

double ProcessWindowPrivate::fullBarWidth() const {
    return progressbox->width() - (progressbar->x() - progressbox->x()) - twips(30);
}

void ProcessWindowPrivate::run(int index) {
    if (activeRun) return;  // one run at a time; the buttons are disabled meanwhile
    const RunKind kind = index == 1 ? RunKind::PostProcess : RunKind::PreProcess;

    state.stopflag = 0;
    const QString sourceFolder = model1->openFolder();
    const QString outputFolder = model2->openFolder();
    const QString s = withSeparator(sourceFolder);
    const QString o = withSeparator(outputFolder);
    // The names come from the folder the run reads, whatever File1 pointed at before;
    // an end-of-document file a killed save had moved aside is back in it first, so
    // that it is copied too.
    if (!sourceFolder.isEmpty()) {
        imaging::sweepLeftovers(nativePath(sourceFolder).toStdString());
        file1.read(sourceFolder, kPageAndEodPatterns);
    } else {
        file1.clear();
    }
    last = file1.count() - 1;
    barFull = fullBarWidth();
    progressbox->show();
    progressbar->resize(1, progressbar->height());
    progressbar->setText(QString());
    progressbar->show();
    progressbar->raise();

    const QString question = confirmationText(kind, currentOptions(), s, o);
    PumpScope asking(*this);
    if (dialogs.message(&w, question, MsgButtons::YesNoCancel, MsgIcon::Question, kAppTitle) !=
        MsgAnswer::Yes)
        return;

    label5->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    command1[0]->setEnabled(false);
    command1[1]->setEnabled(false);
    failures.clear();
    pagesDone = 0;
    pagesTotal = 0;
    for (const QString& name : file1.names())
        if (!hasEodExtension(name)) ++pagesTotal;
    closeAfterRun = false;
    quietStop = false;
    runOutput = outputFolder;

    // The run report goes beside the output folder as the entries are done; a run
    // goes on without it when it cannot be written there, so the reason is not shown.
    if (!report.open(reportPathFor(outputFolder))) report.close();

    BatchRun::Setup setup;
    setup.kind = kind;
    setup.source = sourceFolder;
    setup.output = outputFolder;
    setup.names = file1.names();
    setup.workers = workers;
    auto* batchRun = new BatchRun(std::move(setup), &w);
    activeRun = batchRun;
    batchRun->setOptionsProvider([this] { return currentOptions(); });
    batchRun->setStopCheck([this] { return state.stopflag == 1; });
    QObject::connect(batchRun, &BatchRun::pageCommitted, &w,
                     [this](const PageOutcome& outcome) { pageCommitted(outcome); });
    QObject::connect(batchRun, &BatchRun::finished, &w,
                     [this](bool completed) { runFinished(completed); });
    batchRun->start();
}

void ProcessWindowPrivate::pageCommitted(const PageOutcome& outcome) {
    // The window's report is best effort, as its open is: a line not written stops nothing.
    if (report.isOpen()) report.write(reportLine(outcome));
    if (outcome.endOfDocument) return;  // neither the caption nor the bar moves
    if (outcome.kind == PageOutcome::Kind::Processed)
        w.setWindowTitle(kProcessCaption + QLatin1Char(' ') + shownPath(outcome.name));
    const double width = last > 0 ? barFull * (static_cast<double>(outcome.index) / last) : 0.0;
    progressbar->resize(static_cast<int>(static_cast<float>(width)), progressbar->height());
    ++pagesDone;
    emit w.pageDone(pagesDone, pagesTotal, outcome.name);
}

void ProcessWindowPrivate::runFinished(bool completed) {
    PumpScope ending(*this);  // the beeps and the message boxes below pump events
    BatchRun* finishedRun = activeRun.data();
    failures = finishedRun ? finishedRun->summary().failed : QStringList();
    const QString counts = finishedRun ? summaryLine(finishedRun->summary()) : QString();
    report.close();
    progressbar->setToolTip(counts);
    activeRun = nullptr;
    if (finishedRun) finishedRun->deleteLater();
    QApplication::restoreOverrideCursor();

    if (completed) {
        w.setWindowTitle(kProcessCaption);
        progressbar->setText(kCompletedText);
        label5->hide();
        dialogs.beep();
        pumpEvents();
        dialogs.beep();
        pumpEvents();
        dialogs.beep();
    } else {
        progressbar->resize(0, progressbar->height());
        label5->hide();
        if (!quietStop)
            dialogs.message(&w, kAbortedText + QStringLiteral("\n\n") + counts, MsgButtons::Ok,
                            MsgIcon::Exclamation, kAppTitle);
        else if (closeAfterRun && finishedRun)
            dialogs.message(
                &w, closedDuringRunText(finishedRun->summary().pagesWritten, pagesTotal, runOutput),
                MsgButtons::Ok, MsgIcon::Information, kAppTitle);
    }
    if (!failures.isEmpty())
        dialogs.message(&w, failureReport(failures) + QStringLiteral("\n\n") + counts,
                        MsgButtons::Ok, MsgIcon::Exclamation, kAppTitle);
    command1[0]->setEnabled(true);
    command1[1]->setEnabled(true);
    const bool close = closeAfterRun;
    closeAfterRun = false;
    emit w.runFinished(completed);
    if (close) w.close();
}

}  // namespace leafmark::batch
