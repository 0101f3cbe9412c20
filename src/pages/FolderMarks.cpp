#include "pages/FolderMarks.h"

#include <QFileInfo>

#include "shared/FileList.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"

namespace leafmark {

void FolderMarks::reset(const QString& folder, const QStringList& names) {
    reset(folder, names,
          folder.isEmpty() || names.isEmpty() ? QStringList() : listEndOfDocumentFiles(folder));
}

void FolderMarks::reset(const FileList& list) {
    reset(list.folder(), list.names(),
          list.names().isEmpty() ? QStringList() : list.endOfDocumentNames());
}

void FolderMarks::reset(const QString& folder, const QStringList& names,
                        const QStringList& endOfDocumentNames) {
    pages_.assign(static_cast<std::size_t>(names.size()), 0);
    known_ = 0;
    // The end-of-document files are listed, not read: opening costs no more than
    // the listing.
    documents_ = FolderDocuments::fromListing(folder, names, endOfDocumentNames);
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
    const QString name = documents_.pageName(index);
    const QString path = endOfDocumentPath(documents_.folder(), name);
    if (path.isEmpty()) return;
    // The name the save writes, and the one listed for the page (which may
    // differ in case): each is taken as it is on disk now.
    QStringList names{QFileInfo(path).fileName()};
    const QString listed = documents_.endOfDocumentOf(index);
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
