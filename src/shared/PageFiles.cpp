#include "shared/PageFiles.h"

#include <QFile>

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

std::string enginePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool writeEndOfDocumentFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    const qint64 size = static_cast<qint64>(sizeof(kEndOfDocumentContent) - 1);
    const bool written = file.write(kEndOfDocumentContent, size) == size;
    const bool flushed = file.flush();
    file.close();
    if (!written || !flushed) {
        // A partial marker file would read as a different marker later; leave none.
        QFile::remove(path);
        return false;
    }
    return true;
}

}  // namespace leafmark
