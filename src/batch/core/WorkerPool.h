#pragma once
// A fixed set of worker threads, each with its own page engine (all sharing one
// byte budget for decoded pages), doing page tasks
// in the order they are submitted and handing each outcome to a callback (called
// on the worker's thread).

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "batch/core/PageJob.h"
#include "imaging/engine/ByteBudget.h"

namespace leafmark::batch {

class WorkerPool {
  public:
    using Deliver = std::function<void(const PageOutcome&)>;

    // Starts `workers` threads (at least one).
    WorkerPool(int workers, Deliver deliver);
    // Lets every submitted task finish, then joins the threads.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void submit(PageTask task);

  private:
    void work();

    Deliver deliver_;
    imaging::ByteBudget budget_;  // decoded pages of every worker together
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<PageTask> queue_;
    bool quit_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace leafmark::batch
