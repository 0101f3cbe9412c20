// The consistency check of a folder's markers, and the texts of its findings.

#include <QHash>

#include "pages/Documents.h"
#include "shared/PageFiles.h"

namespace leafmark {

namespace {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// The end-of-document name a page would have, folded for matching without regard to case.
QString foldedEndOfDocumentName(const QString& page) {
    const QString path = endOfDocumentPath(QString(), page);
    return path.toCaseFolded();
}

// The key for scripts and the few words for a status line of each kind: a table,
// one case a kind, alike on purpose.
struct KindNames {
    const char* key;
    const char* brief;
};

KindNames namesOf(Finding::Kind kind) {
    switch (kind) {
        case Finding::StaleEndOfDocument:
            return {"stale-eod", "end-of-document file of no page"};
        case Finding::EndOfDocumentOnLastPage:
            return {"eod-on-last-page", "end-of-document file on the last page"};
        case Finding::StartWithoutEndOfDocument:
            return {"bod-without-eod", "BOD without end-of-document file before it"};
        case Finding::EndOfDocumentWithoutStart:
            return {"eod-without-bod", "end-of-document file, next page not BOD"};
        case Finding::EndOfDocumentContent:
            return {"eod-content", "end-of-document file not \"EOD\" CR LF"};
        case Finding::UnreadablePage:
            return {"unreadable-page", "page unreadable, markers unknown"};
        case Finding::SharedEndOfDocument:
            return {"shared-eod", "end-of-document file shared by two pages"};
    }
    return {"", ""};
}

}  // namespace

QString Finding::key() const { return QLatin1String(namesOf(kind).key); }

QString Finding::brief() const { return QLatin1String(namesOf(kind).brief); }

QString Finding::text() const {
    const QString a = files.value(0), b = files.value(1), c = files.value(2);
    switch (kind) {
        case StaleEndOfDocument:
            return QStringLiteral("End-of-document file %1 belongs to no page of the folder.")
                .arg(quoted(a));
        case EndOfDocumentOnLastPage:
            return QStringLiteral(
                       "End-of-document file %1 closes the last page %2; no page follows it.")
                .arg(quoted(a), quoted(b));
        case StartWithoutEndOfDocument:
            return QStringLiteral(
                       "Page %1 is marked \"BOD\", but the page before it, %2, has no "
                       "end-of-document file.")
                .arg(quoted(a), quoted(b));
        case EndOfDocumentWithoutStart:
            return QStringLiteral(
                       "End-of-document file %1 closes page %2, but the next page %3 is not marked "
                       "\"BOD\".")
                .arg(quoted(a), quoted(b), quoted(c));
        case EndOfDocumentContent:
            return detail.isEmpty()
                       ? QStringLiteral(
                             "End-of-document file %1 does not hold exactly \"EOD\" CR LF.")
                             .arg(quoted(a))
                       : QStringLiteral("End-of-document file %1 cannot be read: %2.")
                             .arg(quoted(a), detail);
        case UnreadablePage:
            return QStringLiteral("Page %1 cannot be read, so its markers are unknown: %2")
                .arg(quoted(a), detail);
        case SharedEndOfDocument:
            return QStringLiteral("Pages %1 and %2 share the end-of-document file %3.")
                .arg(quoted(b), quoted(c), quoted(a));
    }
    return {};
}

// Matches the end-of-document files to the pages: which page each closes, and
// names that two pages share. Depends on the names only, not on the markers.
void FolderDocuments::match() {
    const QList<EndOfDocumentFile>& files = files_;
    matchFindings_.clear();
    QHash<QString, qsizetype> byFolded;  // folded name -> index into files
    for (qsizetype i = 0; i < files.size(); ++i) byFolded.insert(files[i].name.toCaseFolded(), i);

    used_ = QList<bool>(files.size(), false);
    QList<bool>& used = used_;
    QHash<QString, int> owner;  // folded end-of-document name -> first page that names it
    const int n = pageCount();
    for (int i = 0; i < n; ++i) {
        DocumentPage& page = pages_[i];
        page.endOfDocument.clear();
        const QString folded = foldedEndOfDocumentName(page.name);
        const auto found = folded.isEmpty() ? byFolded.constEnd() : byFolded.constFind(folded);
        if (found == byFolded.constEnd()) continue;
        page.endOfDocument = files[*found].name;
        const auto first = owner.constFind(folded);
        if (first != owner.constEnd())
            matchFindings_ << Finding{Finding::SharedEndOfDocument,
                                      {page.endOfDocument, pages_[*first].name, page.name},
                                      {}};
        else
            owner.insert(folded, i);
        used[*found] = true;
    }
}

// Pages whose markers are not read yet are not judged; neither are
// end-of-document files whose content is not read.
void FolderDocuments::check() const {
    findings_ = matchFindings_;
    const QList<EndOfDocumentFile>& files = files_;
    const QList<bool>& used = used_;
    const int n = pageCount();
    for (int i = 0; i < n; ++i) {
        const DocumentPage& page = pages_[i];
        if (page.known && !page.readable)
            findings_ << Finding{Finding::UnreadablePage, {page.name}, page.error};
        const StartMarks start = startMarksOf(i);
        if (start.documentMarker && !start.endOfDocumentBefore)
            findings_ << Finding{
                Finding::StartWithoutEndOfDocument, {page.name, pages_[i - 1].name}, {}};
        if (!page.hasEndOfDocument()) continue;
        const StartMarks next = startMarksOf(i + 1);
        if (i == n - 1)
            findings_ << Finding{
                Finding::EndOfDocumentOnLastPage, {page.endOfDocument, page.name}, {}};
        else if (pages_[i + 1].known && pages_[i + 1].readable && !next.documentMarker)
            findings_ << Finding{Finding::EndOfDocumentWithoutStart,
                                 {page.endOfDocument, page.name, pages_[i + 1].name},
                                 {}};
    }

    for (qsizetype k = 0; k < files.size(); ++k) {
        const EndOfDocumentFile& f = files[k];
        if (!used[k]) findings_ << Finding{Finding::StaleEndOfDocument, {f.name}, {}};
        if (!f.contentRead) continue;
        if (!f.readable)
            findings_ << Finding{
                Finding::EndOfDocumentContent, {f.name}, QStringLiteral("it cannot be opened")};
        else if (f.content != QByteArray(kEndOfDocumentContent))
            findings_ << Finding{Finding::EndOfDocumentContent, {f.name}, {}};
    }
}

}  // namespace leafmark
