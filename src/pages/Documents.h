#pragma once
// The documents of a page folder, as the operator's markers define them. The
// pages are the folder's "*.tif*" files in folder-list order; a document begins
// at the first page, at every page whose document marker is set, and after every
// page that has an end-of-document file. Reading the folder reads each page's
// first directory only (never its pixels) and the end-of-document files.
// Qt Core only, so the window, the commands and the tests share it.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace leafmark {

// One page as its markers say.
struct DocumentPage {
    QString name;                 // bare file name as stored
    bool readable = false;        // false: the file could not be read, its markers are unknown
    bool known = true;            // false: not read yet, so nothing is said about its markers
    QString error;                // why it could not be read
    bool documentMarker = false;  // comment slot 3 holds "BOD"
    QString endOfDocument;        // bare name of its end-of-document file when one exists
    bool hasEndOfDocument() const { return !endOfDocument.isEmpty(); }
};

// Pages first..last (indexes into the page list) form one document.
struct DocumentRange {
    int first = 0;
    int last = 0;
    int pageCount() const { return last - first + 1; }
};

// Where a page sits: document (0-based), page within it (0-based) and its page count.
struct PagePosition {
    int document = -1;
    int page = -1;
    int pages = 0;
    bool valid() const { return document >= 0; }
};

// What the check finds. The check only reports; it never changes a file.
struct Finding {
    enum Kind {
        StaleEndOfDocument,         // its page is not in the folder
        EndOfDocumentOnLastPage,    // no page follows to begin a document
        StartWithoutEndOfDocument,  // page marked "BOD", the page before has no end-of-document
                                    // file
        EndOfDocumentWithoutStart,  // the page after an end-of-document file is not marked
        EndOfDocumentContent,       // not exactly "EOD" CR LF
        UnreadablePage,             // markers unknown
        SharedEndOfDocument,        // two pages with the same stem name one end-of-document file
    };
    Kind kind;
    QStringList files;  // the files involved, bare names, the end-of-document file first
    QString detail;     // a reason where there is one (unreadable page, unreadable file)

    // A short fixed key for scripts, e.g. "stale-eod".
    QString key() const;
    // One sentence naming the files.
    QString text() const;
    // A few words naming the finding, for a status line.
    QString brief() const;
};

class FolderDocuments {
  public:
    // Reads `folder` (with or without a trailing "/"). A folder that cannot be
    // read gives no pages.
    static FolderDocuments read(const QString& folder);
    // Builds the documents from pages already read; `endOfDocumentFiles` are the
    // bare names of the folder's end-of-document files with their contents.
    struct EndOfDocumentFile {
        QString name;
        QByteArray content;  // at most a few bytes more than a correct file holds
        bool readable = true;
        bool contentRead = true;  // false: only listed, so its content is not judged
    };
    static FolderDocuments fromPages(const QString& folder, QList<DocumentPage> pages,
                                     const QList<EndOfDocumentFile>& endOfDocumentFiles);

    // The pages `names` (in list order) of `folder` and its end-of-document files
    // `endOfDocumentNames`, as a listing gives them: every page marker is unknown
    // and no content is read, so documents begin only at the first page and after
    // end-of-document files until the markers are set.
    static FolderDocuments fromListing(const QString& folder, const QStringList& names,
                                       const QStringList& endOfDocumentNames);
    // Sets what was read from page `index`; the documents and findings follow at
    // the next query (so a batch of pages is checked once).
    void setPageMarkers(int index, bool readable, bool documentMarker);
    // Adds (or replaces) or removes an end-of-document file and checks again.
    void setEndOfDocumentFile(const EndOfDocumentFile& file);
    void removeEndOfDocumentFile(const QString& name);

    const QString& folder() const { return folder_; }  // always ends with "/"
    // Every page as its markers say; built when asked for, so a large folder
    // that is only queried page by page never holds one record per page.
    const QList<DocumentPage>& pages() const;
    int pageCount() const { return static_cast<int>(names_.size()); }
    // Page `index` (in range): its bare name, its document marker, its end-of-document file.
    const QString& pageName(int index) const { return names_[index]; }
    bool documentMarker(int index) const { return flagOf(index, kDocumentMarker); }
    bool hasEndOfDocument(int index) const { return flagOf(index, kHasEndOfDocument); }
    QString endOfDocumentOf(int index) const { return endOfDocument_.value(index); }
    const QList<DocumentRange>& documents() const {
        settle();
        return documents_;
    }
    // First page index of every document, ascending (the first is 0 when there are pages).
    const QList<int>& documentStarts() const {
        settle();
        return starts_;
    }
    // Document of page `pageIndex`; invalid for an index out of range.
    PagePosition positionOf(int pageIndex) const;
    // Page index of bare name `name` (compared without regard to case), or -1.
    int indexOf(const QString& name) const;
    // Every finding: shared end-of-document names first, then in page order, then
    // the findings about end-of-document files themselves.
    const QList<Finding>& findings() const {
        settle();
        return findings_;
    }
    // Page `pageIndex` begins a document.
    bool startsDocument(int pageIndex) const;
    // Indexes into findings() of the findings that involve page `pageIndex`: the
    // page itself or its end-of-document file is named.
    QList<int> findingsOf(int pageIndex) const;
    bool hasFinding(int pageIndex) const;

  private:
    // What is known of each page, one byte per page.
    enum Flag : std::uint8_t {
        kKnown = 1,
        kReadable = 2,
        kDocumentMarker = 4,
        kHasEndOfDocument = 8,
    };
    bool flagOf(int index, Flag flag) const {
        return flags_[static_cast<std::size_t>(index)] & flag;
    }
    void setFlag(int index, Flag flag, bool on) {
        std::uint8_t& f = flags_[static_cast<std::size_t>(index)];
        f = on ? (f | flag) : (f & ~flag);
    }

    // The two markers that begin a document at page `i`: its document marker and
    // the end-of-document file of the page before. Either one begins a document;
    // a start is whole when both are there, and the check reports the one missing.
    struct StartMarks {
        bool documentMarker = false;
        bool endOfDocumentBefore = false;
        bool any() const { return documentMarker || endOfDocumentBefore; }
    };
    StartMarks startMarksOf(int i) const;
    void split() const;
    void match();
    void check() const;
    void recheck() const;
    void settle() const {
        if (stale_) recheck();
    }

    QList<EndOfDocumentFile> files_;
    QList<Finding> matchFindings_;  // shared names, found when the files are matched
    QList<bool> used_;              // files_[k] is some page's end-of-document file
    mutable QList<QList<int>> findingsByPage_;
    mutable bool stale_ = false;

    QString folder_;
    QStringList names_;                  // the pages in list order, shared with the listing
    std::vector<std::uint8_t> flags_;    // Flag bits per page
    QHash<int, QString> endOfDocument_;  // page -> its end-of-document file, where it has one
    QHash<int, QString> errors_;         // page -> why it could not be read
    mutable QList<DocumentPage> pages_;  // pages(), built on demand
    mutable bool pagesBuilt_ = false;
    // Derived from the pages and files; brought up to date on query.
    mutable QList<DocumentRange> documents_;
    mutable QList<int> starts_;
    mutable QList<Finding> findings_;
};

// Reads end-of-document file `name` of `folder` (which ends with "/").
FolderDocuments::EndOfDocumentFile readEndOfDocumentFile(const QString& folder,
                                                         const QString& name);

}  // namespace leafmark
