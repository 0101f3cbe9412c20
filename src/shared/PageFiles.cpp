#include "shared/PageFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "shared/NativePath.h"

namespace leafmark {

QString withSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString endOfDocumentPath(const QString& folder, const QString& entry) {
    const qsizetype dot = entry.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    return folder + entry.left(dot) + kEndOfDocumentSuffix;
}

bool isEndOfDocumentName(const QString& name) {
    return name.endsWith(kEndOfDocumentSuffix, Qt::CaseInsensitive);
}

bool hasEodExtension(const QString& name) {
    return name.endsWith(QLatin1String(".eod"), Qt::CaseInsensitive);
}

bool isDocumentMarker(const QString& slotText) {
    // Only spaces are removed: a tab or a line break around the text is not the marker.
    qsizetype begin = 0;
    qsizetype end = slotText.size();
    while (begin < end && slotText.at(begin) == QLatin1Char(' ')) ++begin;
    while (end > begin && slotText.at(end - 1) == QLatin1Char(' ')) --end;
    return QStringView(slotText).mid(begin, end - begin) == kDocumentMarker;
}

std::string enginePath(const QString& path) { return nativePathString(path); }

bool writeEndOfDocumentFile(const QString& path) {
    const QByteArray native = nativePath(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const ssize_t size = static_cast<ssize_t>(sizeof(kEndOfDocumentContent) - 1);
    ssize_t written;
    do {
        written = ::write(fd, kEndOfDocumentContent, static_cast<size_t>(size));
    } while (written < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    if (written != size || !closed) {
        // A partial marker file would read as a different marker later; leave none.
        ::unlink(native.constData());
        return false;
    }
    return true;
}

}  // namespace leafmark
