#include "pages/FolderMarks.h"

#include "pages/PageMarkers.h"

#include <QDir>
#include <QSet>

namespace leafmark {

void FolderMarks::reset(const QString& folder, const QStringList& names) {
    pages_.assign(static_cast<std::size_t>(names.size()), 0);
    known_ = 0;
    if (folder.isEmpty() || names.isEmpty()) return;
    // One listing of the folder's end-of-document files, matched by upper-case name.
    QSet<QString> eod;
    const QStringList found = QDir(folder).entryList(
        {QStringLiteral("*") + kEndOfDocumentSuffix}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : found) eod.insert(name.toUpper());
    if (eod.isEmpty()) return;
    for (qsizetype i = 1; i < names.size(); ++i) {
        const QString& before = names[i - 1];
        const qsizetype dot = before.lastIndexOf(QLatin1Char('.'));
        if (dot < 0) continue;
        if (eod.contains((before.left(dot) + kEndOfDocumentSuffix).toUpper()))
            pages_[static_cast<std::size_t>(i)] |= kEodBefore;
    }
}

void FolderMarks::set(int index, Bit bit, bool on) {
    if (index < 0 || index >= count()) return;
    std::uint8_t& p = pages_[static_cast<std::size_t>(index)];
    p = on ? (p | bit) : (p & ~bit);
}

bool FolderMarks::startsDocument(int index) const {
    if (index < 0 || index >= count()) return false;
    return index == 0 || has(index, kEodBefore) || has(index, kDocumentMarker);
}

void FolderMarks::setMarkers(int index, bool documentMarker, bool changeMarker) {
    if (index < 0 || index >= count()) return;
    if (!has(index, kKnown)) ++known_;
    set(index, kKnown, true);
    set(index, kDocumentMarker, documentMarker);
    set(index, kChanged, changeMarker);
}

void FolderMarks::setDamaged(int index, bool damaged) { set(index, kDamaged, damaged); }

void FolderMarks::setEndOfDocumentBefore(int index, bool present) {
    set(index, kEodBefore, present);
}

DocumentPosition FolderMarks::position(int index) const {
    DocumentPosition pos;
    if (index < 0 || index >= count()) return pos;
    int start = 0;
    int next = count();
    for (int i = 0; i < count(); ++i) {
        if (!startsDocument(i)) continue;
        ++pos.documents;
        if (i <= index) {
            pos.document = pos.documents;
            start = i;
        } else if (next == count()) {
            next = i;
        }
    }
    pos.page = index - start + 1;
    pos.pages = next - start;
    return pos;
}

}  // namespace leafmark
