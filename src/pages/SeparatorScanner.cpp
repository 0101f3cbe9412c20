#include "pages/SeparatorScanner.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QMetaObject>

#include "shared/PageFiles.h"

namespace leafmark {
namespace {

QString withSlash(QString folder) {
    folder = withSeparator(folder);
    return folder;
}

// The reading thread gives way to the rest of the program (page turns first) but
// still moves on when the machine is busy: a nice value of 10 for this thread alone.
void lowerPriority() { setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10); }

}  // namespace

SeparatorScanner::SeparatorScanner(QObject* parent)
    : QObject(parent), symbologies_(imaging::defaultSymbologies()) {}

SeparatorScanner::~SeparatorScanner() { stop(); }

void SeparatorScanner::setSymbologies(imaging::Symbologies set) {
    if (set == symbologies_) return;
    stop();
    symbologies_ = set;
}

void SeparatorScanner::stop() {
    if (stop_) stop_->store(true);
    if (worker_.joinable()) worker_.join();
    stop_.reset();
    busy_ = false;
}

void SeparatorScanner::scan(const QString& folder, const QStringList& entries) {
    stop();
    folder_ = withSlash(folder);
    entries_ = entries;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    busy_ = true;
    worker_ = std::thread(&SeparatorScanner::run, this, folder_, entries_, stop_);
}

std::optional<imaging::SeparatorReading> SeparatorScanner::keptFor(imaging::Symbologies set,
                                                                   const QString& path) const {
    const FileStamp stamp = FileStamp::of(enginePath(path));
    std::lock_guard lock(mutex_);
    const auto forSet = kept_.find(set);
    if (forSet == kept_.end()) return std::nullopt;
    const auto it = forSet->second.constFind(path);
    if (it == forSet->second.constEnd() || it->stamp != stamp) return std::nullopt;
    return it->reading;
}

void SeparatorScanner::run(QString folder, QStringList entries,
                           std::shared_ptr<std::atomic<bool>> stop) {
    lowerPriority();
    const imaging::Symbologies set = symbologies_;
    for (int i = 0; i < entries.size() && !stop->load(); ++i) {
        const QString path = folder + entries[i];
        if (!keptFor(set, path)) {
            Kept kept{FileStamp::of(enginePath(path)),
                      imaging::readSeparatorPage(enginePath(path), set)};
            ++pagesRead_;
            std::lock_guard lock(mutex_);
            kept_[set].insert(path, std::move(kept));
        }
        QMetaObject::invokeMethod(
            this, [this, i] { emit pageRead(i); }, Qt::QueuedConnection);
    }
    if (!stop->load()) {
        busy_ = false;
        QMetaObject::invokeMethod(
            this, [this] { emit finished(); }, Qt::QueuedConnection);
    }
}

std::optional<imaging::SeparatorReading> SeparatorScanner::reading(int index) const {
    if (index < 0 || index >= entries_.size()) return std::nullopt;
    return keptFor(symbologies_, folder_ + entries_[index]);
}

FolderSeparators SeparatorScanner::suggestions(const imaging::SeparatorRule& rule) const {
    std::vector<imaging::SeparatorReading> readings;
    for (int i = 0; i < entries_.size(); ++i) {
        std::optional<imaging::SeparatorReading> r = reading(i);
        imaging::SeparatorReading unread;
        unread.error = "not read yet";
        readings.push_back(r ? std::move(*r) : std::move(unread));
    }
    return findSeparators(folder_, entries_, std::move(readings), rule);
}

}  // namespace leafmark
