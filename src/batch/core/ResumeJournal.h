#pragma once
// The record of a run's finished entries, kept in the output folder so a run that
// was stopped or killed can be continued: one line per entry, appended and synced
// to disk as each entry is committed. An entry counts as done for a later run of
// the same kind, folders and options while its source and its output are still
// the files that run read and wrote (same size and modification time).

#include <QHash>
#include <QString>

namespace leafmark::batch {

class ResumeJournal {
  public:
    ResumeJournal() = default;
    ~ResumeJournal();
    ResumeJournal(const ResumeJournal&) = delete;
    ResumeJournal& operator=(const ResumeJournal&) = delete;

    // Opens the journal at `path` for runs described by `signature` (one line of
    // text). With `keep`, entries recorded under the same signature are read back;
    // otherwise, or when the signature differs, the journal starts empty. An empty
    // text on success, else why not.
    QString open(const QString& path, const QString& signature, bool keep);

    // True when `name` was recorded and both files are still as recorded.
    bool isDone(const QString& name, const QString& sourcePath, const QString& outputPath) const;

    // Records `name` as done with the files as they are now. False when the line
    // could not be written and synced.
    bool record(const QString& name, const QString& sourcePath, const QString& outputPath);

    int entries() const { return static_cast<int>(done_.size()); }

  private:
    QHash<QString, QString> done_;  // name -> stamp of its two files
    int fd_ = -1;
};

}  // namespace leafmark::batch
