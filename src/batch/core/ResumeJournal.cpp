#include "batch/core/ResumeJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStringList>
#include <cerrno>
#include <cstring>

#include "shared/NativePath.h"
#include "shared/RegularFile.h"

namespace leafmark::batch {

namespace {

const QByteArray kMagic = "leafmark-batch done-list 1\t";

qint64 milliseconds(const timespec& t) { return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000; }

// Size and modification time of both files; empty when either is missing.
QString stampOf(const QString& sourcePath, const QString& outputPath) {
    struct stat s {
    }, o{};
    if (::stat(nativePath(sourcePath).constData(), &s) != 0 ||
        ::stat(nativePath(outputPath).constData(), &o) != 0)
        return {};
    return QStringLiteral("%1\t%2\t%3\t%4")
        .arg(qint64(s.st_size))
        .arg(milliseconds(s.st_mtim))
        .arg(qint64(o.st_size))
        .arg(milliseconds(o.st_mtim));
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}

}  // namespace

ResumeJournal::~ResumeJournal() {
    stopSyncing();
    if (fd_ >= 0) ::close(fd_);
}

void ResumeJournal::syncWhileOpen() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return unsynced_ || closing_; });
        if (!unsynced_) return;
        unsynced_ = false;
        lock.unlock();
        ::fdatasync(fd_);  // lines written meanwhile wait for the next round
        lock.lock();
    }
}

// Syncs what is written and ends the syncing thread.
void ResumeJournal::stopSyncing() {
    if (!syncer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    syncer_.join();
    closing_ = false;
}

imaging::Status ResumeJournal::open(const QString& path, const QString& signature, bool keep) {
    stopSyncing();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    done_.clear();
    // Paths in the signature and the file's own path keep their bytes, UTF-8 or not.
    const QByteArray header = kMagic + nativePath(signature) + '\n';
    bool reuse = false;
    if (keep) {
        constexpr qint64 kMaxBytes = qint64(1) << 30;
        if (const std::optional<QByteArray> all = readRegularFile(path, kMaxBytes)) {
            reuse = all->startsWith(header);
            // A line is whole only with its newline: a line torn by a power cut is ignored.
            const QList<QByteArray> lines = all->mid(header.size()).split('\n');
            for (int i = 0; reuse && i + 1 < lines.size(); ++i) {
                // Names are kept as their bytes on disk, which need not be UTF-8.
                const QStringList f = fromNativePath(lines[i]).split(QLatin1Char('\t'));
                if (f.size() == 5) done_.insert(f[0], f.mid(1).join(QLatin1Char('\t')));
            }
        }
    }
    if (!reuse) done_.clear();
    const QByteArray native = nativePath(path);
    const int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | (reuse ? 0 : O_TRUNC);
    fd_ = ::open(native.constData(), flags, 0644);
    QByteArray start = reuse ? QByteArray() : header;
    // A list another user's run left in a folder shared with them: this run puts a
    // list of its own in its place, holding what the old one held when it goes on.
    if (fd_ < 0 && errno == EACCES) {
        if (::unlink(native.constData()) == 0) {
            fd_ = ::open(native.constData(), flags | O_EXCL, 0644);
            start = header;
            for (auto it = done_.cbegin(); it != done_.cend(); ++it)
                start += nativePath(it.key() + QLatin1Char('\t') + *it + QLatin1Char('\n'));
        } else {
            errno = EACCES;  // the list itself is what cannot be written
        }
    }
    if (fd_ < 0 || (!start.isEmpty() && (!writeAll(fd_, start) || ::fdatasync(fd_) != 0)))
        return imaging::Status::failure(
            nativePathString(QStringLiteral("cannot write %1: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)))));
    syncer_ = std::thread([this] { syncWhileOpen(); });
    return imaging::Status::success();
}

bool ResumeJournal::isDone(const QString& name, const QString& sourcePath,
                           const QString& outputPath) const {
    const auto it = done_.constFind(name);
    return it != done_.constEnd() && !it->isEmpty() && *it == stampOf(sourcePath, outputPath);
}

bool ResumeJournal::record(const QString& name, const QString& sourcePath,
                           const QString& outputPath) {
    const QString stamp = stampOf(sourcePath, outputPath);
    if (fd_ < 0 || stamp.isEmpty() || name.contains(QLatin1Char('\t')) ||
        name.contains(QLatin1Char('\n')))
        return false;
    // One write of a whole line: a crash leaves it whole or leaves no newline.
    if (!writeAll(fd_, nativePath(name + QLatin1Char('\t') + stamp + QLatin1Char('\n'))))
        return false;
    done_.insert(name, stamp);
    {
        std::lock_guard lock(mutex_);
        unsynced_ = true;
    }
    wake_.notify_one();
    return true;
}

}  // namespace leafmark::batch
