#pragma once
// Separator detection in the background for the folder the window shows: the pages
// are read one by one on a thread of lower priority, and each reading is kept for the
// session (keyed by the symbologies looked for, the file's path and its stamp on disk:
// size, times, inode), so a folder opened again, or a page shown again, is not read a
// second time and nothing is written into the page files. Qt Core only.

#include <QHash>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "pages/ReadAhead.h"
#include "pages/SeparatorFolder.h"

namespace leafmark {

class SeparatorScanner : public QObject {
    Q_OBJECT
  public:
    explicit SeparatorScanner(QObject* parent = nullptr);
    ~SeparatorScanner() override;  // stops the reading and waits for the page in hand

    // Barcodes looked for; stops a scan in progress. What was read for another set is
    // kept, so going back to it reads nothing again.
    void setSymbologies(imaging::Symbologies set);
    imaging::Symbologies symbologies() const { return symbologies_; }

    // Reads the pages of `folder` (`entries` in folder-list order) that the session
    // has not read yet, or that changed on disk since; replaces a scan in progress.
    void scan(const QString& folder, const QStringList& entries);
    // Stops the scan in progress (the page in hand is finished first).
    void stop();
    bool busy() const { return busy_.load(); }

    const QString& folder() const { return folder_; }
    const QStringList& entries() const { return entries_; }
    // The reading of entry `index` of the folder scanned, when it has been read.
    std::optional<imaging::SeparatorReading> reading(int index) const;
    // Pages decoded by this scanner in the session (readings kept are not counted again).
    int pagesRead() const { return pagesRead_.load(); }

    // The separators and proposed starts of the folder scanned under `rule`; pages
    // not read yet count as no separator.
    FolderSeparators suggestions(const imaging::SeparatorRule& rule) const;

  signals:
    // Entry `index` of the folder scanned has been read (queued to the scanner's thread).
    void pageRead(int index);
    // Every page of the folder scanned has been read.
    void finished();

  private:
    struct Kept {
        FileStamp stamp;
        imaging::SeparatorReading reading;
    };
    std::optional<imaging::SeparatorReading> keptFor(imaging::Symbologies set,
                                                     const QString& path) const;
    void run(QString folder, QStringList entries, std::shared_ptr<std::atomic<bool>> stop);

    QString folder_;
    QStringList entries_;
    imaging::Symbologies symbologies_;
    mutable std::mutex mutex_;
    std::map<imaging::Symbologies, QHash<QString, Kept>> kept_;  // by set, then full path;
                                                                 // guarded by mutex_
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::atomic<bool> busy_{false};
    std::atomic<int> pagesRead_{0};
};

}  // namespace leafmark
