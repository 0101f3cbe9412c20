#pragma once
// The documents of a page folder, as the operator's markers define them. The
// pages are the folder's "*.tif*" files in folder-list order; a document begins
// at the first page, at every page whose document marker is set, and after every
// page that has an end-of-document file. Reading the folder reads each page's
// first directory only (never its pixels) and the end-of-document files.
// Qt Core only, so the window, the commands and the tests share it.

#include <QList>
#include <QString>
#include <QStringList>

namespace leafmark {

// One page as its markers say.
struct DocumentPage {
    QString name;               // bare file name as stored
    bool readable = false;      // false: the file could not be read, its markers are unknown
    QString error;              // why it could not be read
    bool documentMarker = false;  // comment slot 3 holds "BOD"
    QString endOfDocument;      // bare name of its end-of-document file when one exists
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
        StartWithoutEndOfDocument,  // page marked "BOD", the page before has no end-of-document file
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
    };
    static FolderDocuments fromPages(const QString& folder, QList<DocumentPage> pages,
                                     const QList<EndOfDocumentFile>& endOfDocumentFiles);

    const QString& folder() const { return folder_; }  // always ends with "/"
    const QList<DocumentPage>& pages() const { return pages_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    const QList<DocumentRange>& documents() const { return documents_; }
    // First page index of every document, ascending (the first is 0 when there are pages).
    const QList<int>& documentStarts() const { return starts_; }
    // Document of page `pageIndex`; invalid for an index out of range.
    PagePosition positionOf(int pageIndex) const;
    // Page index of bare name `name` (compared without regard to case), or -1.
    int indexOf(const QString& name) const;
    // Every finding: shared end-of-document names first, then in page order, then
    // the findings about end-of-document files themselves.
    const QList<Finding>& findings() const { return findings_; }

private:
    void split();
    void check(const QList<EndOfDocumentFile>& files);

    QString folder_;
    QList<DocumentPage> pages_;
    QList<DocumentRange> documents_;
    QList<int> starts_;
    QList<Finding> findings_;
};

// Names that look like end-of-document files ("...ZZZ.EOD", any case) are never pages.
bool isEndOfDocumentName(const QString& name);

}  // namespace leafmark
