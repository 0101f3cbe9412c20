#pragma once
// Pages decoded before they are asked for: while the operator looks at a page,
// its neighbours are loaded on a background thread, each into its own engine, so
// that turning to one only has to paint it. At most the pages last wanted are
// kept (two: the next and the previous); a page whose file changed on disk since
// it was read (size, time or identity of the file) is not handed out.

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/engine/PageEngine.h"

namespace leafmark {

// What identifies the content of a file on disk without reading it.
struct FileStamp {
    unsigned long long device = 0, inode = 0, size = 0;
    long long modifiedNs = 0, changedNs = 0;
    bool exists = false;
    bool operator==(const FileStamp&) const = default;
    static FileStamp of(const std::string& path);
};

class ReadAhead {
  public:
    ReadAhead();
    ~ReadAhead();
    // Owns its reading thread and the pages read: never copied (the usual deleted pair).
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Keeps only `files` (engine paths, in the order to read them) and starts
    // reading those not read yet; every other page held is dropped.
    void want(const std::vector<std::string>& files);
    // The page of `file` when it was read ahead whole and its file is unchanged
    // since (waits for a read in progress); nullptr otherwise. Handed out once.
    std::unique_ptr<imaging::PageEngine> take(const std::string& file);
    // Drops every page held and every read not started.
    void clear() { want({}); }

    // Pages held or being read (for tests and the memory bound).
    int held() const;
    // Pages decoded since creation, and pages handed out by take (test hooks).
    int readsDone() const;
    int handedOut() const;

  private:
    enum class State { Pending, Loading, Ready };
    struct Entry {
        State state = State::Pending;
        std::unique_ptr<imaging::PageEngine> engine;
        FileStamp stamp;
        bool usable = false;
    };
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, Entry> entries_;
    std::vector<std::string> order_;
    int reads_ = 0;
    int handedOut_ = 0;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace leafmark
