#pragma once
// What the program knows of every page of the folder list at a glance: where
// documents begin, which pages carry the change marker, which could be read only
// in part. Document starts come at once from the end-of-document files of the
// folder; the page markers are filled in as they are read (see MarkerScan).

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace leafmark {

// Where a page stands among the documents of the folder (all numbers 1-based).
struct DocumentPosition {
    int document = 0;   // k: the document the page belongs to
    int page = 0;       // j: the page's place within that document
    int pages = 0;      // m: pages in that document
    int documents = 0;  // documents in the folder
};

class FolderMarks {
public:
    // Takes the folder list's names (in list order) and reads the folder's
    // end-of-document files; every page marker is unknown until set.
    void reset(const QString& folder, const QStringList& names);
    void clear() { reset(QString(), QStringList()); }

    int count() const { return static_cast<int>(pages_.size()); }
    // Page `index` begins a document: the first page, a page after one that has an
    // end-of-document file, or a page whose file carries the document marker.
    bool startsDocument(int index) const;
    bool changed(int index) const { return has(index, kChanged); }
    bool damaged(int index) const { return has(index, kDamaged); }
    bool markersKnown(int index) const { return has(index, kKnown); }
    int markersKnownCount() const { return known_; }

    // The markers read from page `index`'s file (document marker, change marker).
    void setMarkers(int index, bool documentMarker, bool changeMarker);
    void setDamaged(int index, bool damaged);
    // Whether the page before `index` has an end-of-document file now.
    void setEndOfDocumentBefore(int index, bool present);

    // Document k, page j of m for page `index`; all zero for an index out of range.
    DocumentPosition position(int index) const;

private:
    enum Bit : std::uint8_t {
        kDocumentMarker = 1,
        kChanged = 2,
        kDamaged = 4,
        kKnown = 8,
        kEodBefore = 16,
    };
    bool has(int index, Bit bit) const {
        return index >= 0 && index < count() && (pages_[static_cast<std::size_t>(index)] & bit);
    }
    void set(int index, Bit bit, bool on);

    std::vector<std::uint8_t> pages_;
    int known_ = 0;
};

}  // namespace leafmark
