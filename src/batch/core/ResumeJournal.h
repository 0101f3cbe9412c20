#pragma once
// The record of a run's finished entries, kept in the output folder so a run that
// was stopped or killed can be continued: one line per entry, appended in one write
// as each entry is committed, and synced to disk by a thread of its own, so the
// run does not wait for the disk between pages. A line is only written once its
// output is on disk, so a line a crash loses costs the entry being done again,
// never a skipped page. An entry counts as done for a later run of
// the same kind, folders and options while its source and its output are still
// the files that run read and wrote (same size and modification time).

#include <QHash>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "imaging/engine/Status.h"

namespace leafmark::batch {

class ResumeJournal {
  public:
    ResumeJournal() = default;
    ~ResumeJournal();
    ResumeJournal(const ResumeJournal&) = delete;
    ResumeJournal& operator=(const ResumeJournal&) = delete;

    // Opens the journal at `path` for runs described by `signature` (one line of
    // text). With `keep`, entries recorded under the same signature are read back;
    // otherwise, or when the signature differs, the journal starts empty. The reason
    // of a failure holds the path's bytes (read it with fromNativePath).
    imaging::Status open(const QString& path, const QString& signature, bool keep);

    // True when `name` was recorded and both files are still as recorded.
    bool isDone(const QString& name, const QString& sourcePath, const QString& outputPath) const;

    // Records `name` as done with the files as they are now. False when the line
    // could not be written; it reaches the disk shortly after, and at the latest
    // when the journal is closed.
    bool record(const QString& name, const QString& sourcePath, const QString& outputPath);

    int entries() const { return static_cast<int>(done_.size()); }

  private:
    void syncWhileOpen();
    void stopSyncing();

    QHash<QString, QString> done_;  // name -> stamp of its two files
    int fd_ = -1;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool unsynced_ = false;  // lines written since the last sync began
    bool closing_ = false;
    std::thread syncer_;
};

}  // namespace leafmark::batch
