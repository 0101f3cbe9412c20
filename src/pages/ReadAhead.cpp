#include "pages/ReadAhead.h"

#include <sys/stat.h>

#include <algorithm>

namespace leafmark {

FileStamp FileStamp::of(const std::string& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = static_cast<unsigned long long>(st.st_size);
    s.modifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
    return s;
}

ReadAhead::ReadAhead() : worker_([this] { run(); }) {}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void ReadAhead::want(const std::vector<std::string>& files) {
    {
        std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end();) {
            // A read in progress finishes and is then dropped by the worker.
            if (std::find(files.begin(), files.end(), it->first) == files.end() &&
                it->second.state != State::Loading)
                it = entries_.erase(it);
            else
                ++it;
        }
        order_ = files;
        for (const std::string& f : files) entries_.try_emplace(f);
    }
    changed_.notify_all();
}

std::unique_ptr<imaging::PageEngine> ReadAhead::take(const std::string& file) {
    std::unique_lock lock(mutex_);
    auto it = entries_.find(file);
    if (it == entries_.end()) return nullptr;
    changed_.wait(lock, [&] {
        it = entries_.find(file);
        return it == entries_.end() || it->second.state != State::Loading;
    });
    if (it == entries_.end() || it->second.state != State::Ready) return nullptr;
    Entry entry = std::move(it->second);
    entries_.erase(it);
    lock.unlock();
    // A file rewritten (or replaced) since it was read is read again by the caller.
    if (!entry.usable || !(FileStamp::of(file) == entry.stamp)) return nullptr;
    lock.lock();
    ++handedOut_;
    return std::move(entry.engine);
}

int ReadAhead::held() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(entries_.size());
}

int ReadAhead::handedOut() const {
    std::lock_guard lock(mutex_);
    return handedOut_;
}

int ReadAhead::readsDone() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

void ReadAhead::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        std::string file;
        changed_.wait(lock, [&] {
            if (quit_) return true;
            for (const std::string& f : order_) {
                auto it = entries_.find(f);
                if (it != entries_.end() && it->second.state == State::Pending) {
                    file = f;
                    return true;
                }
            }
            return false;
        });
        if (quit_) return;
        entries_[file].state = State::Loading;
        lock.unlock();

        auto engine = std::make_unique<imaging::PageEngine>();
        const FileStamp before = FileStamp::of(file);
        const bool loaded = engine->LoadPage(file).ok();
        const FileStamp after = FileStamp::of(file);

        lock.lock();
        ++reads_;
        auto it = entries_.find(file);
        if (it != entries_.end()) {
            if (std::find(order_.begin(), order_.end(), file) == order_.end()) {
                entries_.erase(it);  // no longer wanted while it was read
            } else {
                it->second.state = State::Ready;
                // A page that failed, or changed under the read, is left to the
                // window's own load, which reports what it finds.
                it->second.usable = loaded && before.exists && before == after;
                it->second.stamp = after;
                if (it->second.usable) it->second.engine = std::move(engine);
            }
        }
        changed_.notify_all();
    }
}

}  // namespace leafmark
