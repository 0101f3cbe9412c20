#include "shared/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shared/NativePath.h"

namespace leafmark {

namespace {

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("not a plain file");
}

}  // namespace

QString systemErrorText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

RegularFile::RegularFile(const QString& path) {
    const int fd =
        ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error_ = systemErrorText(errno);
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = systemErrorText(errno);
        ::close(fd);
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = QStringLiteral("not a regular file (%1)").arg(kindOf(st.st_mode));
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = static_cast<qint64>(st.st_size);
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
    RegularFile file(path);
    if (!file.isOpen() || file.size() > maxBytes) return std::nullopt;
    // Reads until the end, stopping one chunk past the limit, so a file that
    // grows meanwhile is noticed without being read whole.
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(file.fd(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        bytes.append(chunk, n);
        if (bytes.size() > maxBytes) return std::nullopt;
    }
    return bytes;
}

}  // namespace leafmark
