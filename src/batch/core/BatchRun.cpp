#include "batch/core/BatchRun.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include "batch/core/RunText.h"
#include "batch/core/WorkerPool.h"
#include "imaging/engine/Leftovers.h"
#include "shared/NativePath.h"

namespace leafmark::batch {

namespace {

// Both folders resolved (links followed); unresolvable ones compared as written.
bool isSameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

}  // namespace

BatchRun::BatchRun(Setup setup, QObject* parent) : QObject(parent), setup_(std::move(setup)) {
    workers_ = setup_.workers > 0 ? setup_.workers : std::max(1, QThread::idealThreadCount());
    sameFolder_ = isSameFolder(setup_.source, setup_.output);
}

BatchRun::~BatchRun() {
    stopRequested_ = true;
    pool_.reset();  // finishes the pages in progress; their results are dropped
}

void BatchRun::setOptionsProvider(std::function<PageOptions()> provider) {
    options_ = std::move(provider);
}

void BatchRun::setStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }

void BatchRun::start() {
    if (running_ || pool_) return;
    running_ = true;
    clock_.start();
    // What a killed run or save left in the output folder goes before this run writes there.
    imaging::sweepLeftovers(nativePathString(setup_.output));
    // Results come back to this object's thread as queued calls. The pool is joined
    // in the destructor before the object goes, and queued calls to a deleted object
    // are dropped, so `this` is valid whenever a call is made or runs.
    pool_ = std::make_unique<WorkerPool>(
        std::min(workers_, std::max(1, static_cast<int>(setup_.names.size()))),
        [this](const PageOutcome& outcome) {
            QMetaObject::invokeMethod(
                this, [this, outcome] { takeResult(outcome); }, Qt::QueuedConnection);
        });
    startPages();
}

void BatchRun::requestStop() { stopRequested_ = true; }

void BatchRun::startPages() {
    const int n = static_cast<int>(setup_.names.size());
    const QString source = withSeparator(setup_.source);
    const QString output = withSeparator(setup_.output);
    // At most `workers_` pages run ahead of the last page committed, so a slow page
    // cannot let the others race to the end of the list before a stop is seen.
    while (running_ && !stopped_ && inFlight_ < workers_ && nextToStart_ < n &&
           nextToStart_ < nextToCommit_ + workers_) {
        if (stopRequested_ || (stopCheck_ && stopCheck_())) {
            stopped_ = true;
            break;
        }
        PageTask task;
        task.kind = setup_.kind;
        task.index = nextToStart_;
        task.name = setup_.names.at(nextToStart_);
        task.sourcePath = source + task.name;
        task.outputPath = output + task.name;
        task.sameFile = sameFolder_;
        if (setup_.kind == RunKind::PreProcess && options_) task.options = options_();
        ++nextToStart_;
        ++inFlight_;
        pool_->submit(std::move(task));
    }
    if (running_ && inFlight_ == 0 && (stopped_ || nextToStart_ >= n)) {
        running_ = false;
        summary_.completed = !stopped_;
        summary_.seconds = clock_.elapsed() / 1000.0;
        emit finished(summary_.completed);
    }
}

void BatchRun::takeResult(const PageOutcome& outcome) {
    --inFlight_;
    ready_.emplace(outcome.index, outcome);
    QPointer<BatchRun> self(this);
    commitReady();
    if (self) startPages();
}

void BatchRun::commitReady() {
    QPointer<BatchRun> self(this);
    for (auto it = ready_.find(nextToCommit_); it != ready_.end();
         it = ready_.find(nextToCommit_)) {
        const PageOutcome outcome = it->second;
        ready_.erase(it);
        ++nextToCommit_;
        count(outcome);
        emit pageCommitted(outcome);
        if (!self) return;  // a receiver deleted the run
    }
}

void BatchRun::count(const PageOutcome& outcome) {
    if (outcome.kind == PageOutcome::Kind::Failed) {
        ++summary_.failures;
        summary_.failed << outcome.name + QStringLiteral(": ") + outcome.reason;
    } else if (outcome.endOfDocument) {
        ++summary_.eodFiles;
    } else if (outcome.kind == PageOutcome::Kind::Processed) {
        ++summary_.pagesProcessed;
        ++summary_.pagesWritten;
    } else {
        ++summary_.pagesCopied;
        if (outcome.kind == PageOutcome::Kind::Copied) ++summary_.pagesWritten;
    }
}

}  // namespace leafmark::batch
