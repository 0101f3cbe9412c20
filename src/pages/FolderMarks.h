#pragma once
// What the program knows of every page of the folder list at a glance: the
// documents and the check's findings (by the documents model's rules), which
// pages carry the change marker, which could be read only in part. Document
// starts come at once from the end-of-document files of the folder; the page
// markers are filled in as they are read (see MarkerScan).

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "pages/Documents.h"

namespace leafmark {

class FileList;

// Where a page stands among the documents of the folder (all numbers 1-based).
struct DocumentPosition {
    int document = 0;   // k: the document the page belongs to
    int page = 0;       // j: the page's place within that document
    int pages = 0;      // m: pages in that document
    int documents = 0;  // documents in the folder
};

class FolderMarks {
  public:
    // Takes the folder list's names (in list order) and lists the folder's
    // end-of-document files; every page marker is unknown until set.
    void reset(const QString& folder, const QStringList& names);
    // The same from a folder list, with the end-of-document files it saw.
    void reset(const FileList& list);
    void clear() { reset(QString(), QStringList()); }

    int count() const { return documents_.pageCount(); }
    bool startsDocument(int index) const { return documents_.startsDocument(index); }
    bool changed(int index) const { return has(index, kChanged); }
    bool damaged(int index) const { return has(index, kDamaged); }
    bool markersKnown(int index) const { return has(index, kKnown); }
    int markersKnownCount() const { return known_; }
    // Page `index` is named by a finding of the check.
    bool hasFinding(int index) const { return documents_.hasFinding(index); }
    // The findings that name page `index`.
    QList<Finding> findingsOf(int index) const;

    // The markers read from page `index`'s file (document marker, change marker).
    void setMarkers(int index, bool documentMarker, bool changeMarker);
    // Page `index`'s file could not be read: its markers are unknown.
    void setUnreadable(int index);
    void setDamaged(int index, bool damaged);
    // Page `index` has an end-of-document file now (read from disk), or has none.
    void endOfDocumentChanged(int index);

    // Document k, page j of m for page `index`; all zero for an index out of range.
    DocumentPosition position(int index) const;
    const FolderDocuments& documents() const { return documents_; }

  private:
    void reset(const QString& folder, const QStringList& names,
               const QStringList& endOfDocumentNames);

    enum Bit : std::uint8_t {
        kChanged = 2,
        kDamaged = 4,
        kKnown = 8,
    };
    bool has(int index, Bit bit) const {
        return index >= 0 && index < count() && (pages_[static_cast<std::size_t>(index)] & bit);
    }
    void set(int index, Bit bit, bool on);
    void setKnown(int index);

    FolderDocuments documents_;
    std::vector<std::uint8_t> pages_;
    int known_ = 0;
};

}  // namespace leafmark
