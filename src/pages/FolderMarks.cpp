#include "pages/FolderMarks.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "shared/NativePath.h"
#include "shared/PageFiles.h"

namespace leafmark {

namespace {

// The folder's end-of-document files (any case, hidden ones too, anything but a
// folder), sorted by name without regard to case. One pass over the raw entries:
// only the few names that end in the suffix are decoded, and only those whose kind
// the listing does not give are looked at, so a folder of ten thousand pages costs
// little more than reading its entries.
QStringList endOfDocumentNames(const QString& folder) {
    QStringList found;
    const QByteArray dir = nativePath(folder) + '/';
    const QByteArray suffix = kEndOfDocumentSuffix.toLatin1();
    DIR* d = ::opendir(dir.constData());
    if (!d) return found;
    while (const dirent* e = ::readdir(d)) {
        const std::size_t length = std::strlen(e->d_name);
        if (length < static_cast<std::size_t>(suffix.size()) ||
            ::strcasecmp(e->d_name + length - static_cast<std::size_t>(suffix.size()),
                         suffix.constData()) != 0)
            continue;
        if (e->d_type == DT_DIR) continue;
        struct stat st {};
        if ((e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) &&
            ::stat((dir + e->d_name).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        found << fromNativePath(e->d_name);
    }
    ::closedir(d);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return found;
}

}  // namespace

void FolderMarks::reset(const QString& folder, const QStringList& names) {
    pages_.assign(static_cast<std::size_t>(names.size()), 0);
    known_ = 0;
    QStringList eod;
    // The end-of-document files are listed, not read: opening costs no more than
    // the listing.
    if (!folder.isEmpty() && !names.isEmpty()) eod = endOfDocumentNames(folder);
    documents_ = FolderDocuments::fromListing(folder, names, eod);
}

void FolderMarks::set(int index, Bit bit, bool on) {
    if (index < 0 || index >= count()) return;
    std::uint8_t& p = pages_[static_cast<std::size_t>(index)];
    p = on ? (p | bit) : (p & ~bit);
}

void FolderMarks::setKnown(int index) {
    if (index < 0 || index >= count() || has(index, kKnown)) return;
    ++known_;
    set(index, kKnown, true);
}

void FolderMarks::setMarkers(int index, bool documentMarker, bool changeMarker) {
    if (index < 0 || index >= count()) return;
    setKnown(index);
    set(index, kChanged, changeMarker);
    documents_.setPageMarkers(index, true, documentMarker);
}

void FolderMarks::setUnreadable(int index) {
    if (index < 0 || index >= count()) return;
    setKnown(index);
    set(index, kChanged, false);
    documents_.setPageMarkers(index, false, false);
}

void FolderMarks::setDamaged(int index, bool damaged) { set(index, kDamaged, damaged); }

void FolderMarks::endOfDocumentChanged(int index) {
    if (index < 0 || index >= count()) return;
    const QString name = documents_.pages()[index].name;
    const QString path = endOfDocumentPath(documents_.folder(), name);
    if (path.isEmpty()) return;
    // The name the save writes, and the one listed for the page (which may
    // differ in case): each is taken as it is on disk now.
    QStringList names{QFileInfo(path).fileName()};
    const QString listed = documents_.pages()[index].endOfDocument;
    if (!listed.isEmpty() && listed != names[0]) names << listed;
    for (const QString& bare : names) {
        if (pathExists(documents_.folder() + bare))
            documents_.setEndOfDocumentFile(readEndOfDocumentFile(documents_.folder(), bare));
        else
            documents_.removeEndOfDocumentFile(bare);
    }
}

QList<Finding> FolderMarks::findingsOf(int index) const {
    QList<Finding> found;
    for (int k : documents_.findingsOf(index)) found << documents_.findings()[k];
    return found;
}

DocumentPosition FolderMarks::position(int index) const {
    const PagePosition p = documents_.positionOf(index);
    if (!p.valid()) return {};
    return {p.document + 1, p.page + 1, p.pages, static_cast<int>(documents_.documents().size())};
}

}  // namespace leafmark
