#include "batch/core/WorkerPool.h"

#include <algorithm>

#include "imaging/engine/PageEngine.h"

namespace leafmark::batch {

WorkerPool::WorkerPool(int workers, Deliver deliver) : deliver_(std::move(deliver)) {
    const int n = std::max(1, workers);
    threads_.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_) t.join();
}

void WorkerPool::submit(PageTask task) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void WorkerPool::work() {
    imaging::PageEngine engine;        // one engine per thread: engines are not thread-safe
    engine.setSharedBudget(&budget_);  // all workers together hold at most one budget of pages
    for (;;) {
        PageTask task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (queue_.empty()) return;  // quitting, and nothing started is left undone
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        deliver_(processPage(engine, task));
    }
}

}  // namespace leafmark::batch
