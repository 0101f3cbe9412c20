#pragma once
// The batch run: walks a page list once and writes one result per entry into the
// output folder. Pages are done on worker threads (one engine each) while the
// owner's event loop keeps running; results are committed in list order on the
// owner's thread, and a stop request is honoured at page boundaries.

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "batch/core/RunTypes.h"

namespace leafmark::batch {

class WorkerPool;

class BatchRun : public QObject {
    Q_OBJECT
  public:
    struct Setup {
        RunKind kind = RunKind::PreProcess;
        QString source;     // source folder
        QString output;     // output folder
        QStringList names;  // the page list: bare names in the source folder, in order
        int workers = 0;    // worker threads; 0 = one per processor core
    };

    explicit BatchRun(Setup setup, QObject* parent = nullptr);
    // Finishes the pages in progress (never leaves one half-done), then returns.
    ~BatchRun() override;

    // Called on the owner's thread each time a page is started; the default is none ticked.
    void setOptionsProvider(std::function<PageOptions()> provider);
    // Called on the owner's thread before each page is started; true stops the run there.
    void setStopCheck(std::function<bool()> check);

    // Starts the run and returns at once (an empty list finishes before returning).
    void start();
    // Asks the run to stop: no further page is started; pages in progress are finished.
    void requestStop();

    bool isRunning() const { return running_; }
    int workerCount() const { return workers_; }
    const RunSummary& summary() const { return summary_; }
    // True when source and output are the same folder (compared as resolved paths).
    bool sameFolder() const { return sameFolder_; }

  signals:
    // One entry's result, in list order, on the owner's thread.
    void pageCommitted(const leafmark::batch::PageOutcome& outcome);
    // The run has ended: completed is true when every entry was handled.
    void finished(bool completed);

  private:
    void startPages();
    void takeResult(const PageOutcome& outcome);
    void commitReady();
    void count(const PageOutcome& outcome);

    Setup setup_;
    int workers_ = 1;
    bool sameFolder_ = false;
    std::function<PageOptions()> options_;
    std::function<bool()> stopCheck_;
    std::unique_ptr<WorkerPool> pool_;
    std::map<int, PageOutcome> ready_;  // results waiting for their turn
    int nextToStart_ = 0;
    int nextToCommit_ = 0;
    int inFlight_ = 0;
    bool stopRequested_ = false;
    bool stopped_ = false;
    bool running_ = false;
    RunSummary summary_;
    QElapsedTimer clock_;
};

}  // namespace leafmark::batch
