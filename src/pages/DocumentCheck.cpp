// The consistency check of a folder's markers, and the texts of its findings.

#include <QHash>
#include <QSet>

#include "pages/Documents.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"

namespace leafmark {

namespace {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// The end-of-document name a page would have, folded for matching without regard to case.
QString foldedEndOfDocumentName(const QString& page) {
    return foldedName(endOfDocumentPath(QString(), page));
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

// FNV-1a over UTF-16 units: a cheap fingerprint of folded names.
constexpr quint64 kFingerprintStart = 14695981039346656037ull;
quint64 fingerprint(quint64 h, QStringView units) {
    for (const QChar c : units) {
        h ^= c.unicode();
        h *= 1099511628211ull;
    }
    return h;
}

// The fingerprint of foldedEndOfDocumentName(page), without building that name
// when the stem is plain ASCII (folding then only lowers A to Z), which is what
// nearly every page name is. Folding goes code point by code point, so the
// folded stem followed by the folded suffix is the folded whole. False when the
// page has no end-of-document name.
bool endOfDocumentFingerprint(const QString& page, const QString& foldedSuffix, quint64& h) {
    const qsizetype dot = page.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    const QStringView stem = QStringView(page).left(dot);
    h = kFingerprintStart;
    for (const QChar c : stem) {
        char16_t u = c.unicode();
        if (u >= 0x80) {
            h = fingerprint(kFingerprintStart, foldedName(stem.toString()));
            break;
        }
        if (u >= u'A' && u <= u'Z') u = static_cast<char16_t>(u + (u'a' - u'A'));
        h ^= u;
        h *= 1099511628211ull;
    }
    h = fingerprint(h, foldedSuffix);
    return true;
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
    QSet<quint64> fingerprints;          // of the folded names
    for (qsizetype i = 0; i < files.size(); ++i) {
        QString folded = foldedName(files[i].name);
        fingerprints.insert(fingerprint(kFingerprintStart, folded));
        byFolded.insert(std::move(folded), i);
    }

    used_ = QList<bool>(files.size(), false);
    QList<bool>& used = used_;
    QHash<QString, int> owner;  // folded end-of-document name -> first page that names it
    const QString foldedSuffix = kEndOfDocumentSuffix.toCaseFolded();
    for (auto it = endOfDocument_.cbegin(); it != endOfDocument_.cend(); ++it)
        setFlag(it.key(), kHasEndOfDocument, false);
    endOfDocument_.clear();
    pagesBuilt_ = false;
    if (fingerprints.isEmpty()) return;
    const int n = pageCount();
    for (int i = 0; i < n; ++i) {
        const QString& name = names_[i];
        // Only a page whose name's fingerprint is among the files' is folded and
        // looked up: in a large folder that is a page in a document's last place.
        quint64 h = 0;
        if (!endOfDocumentFingerprint(name, foldedSuffix, h) || !fingerprints.contains(h)) continue;
        const QString folded = foldedEndOfDocumentName(name);
        const auto found = folded.isEmpty() ? byFolded.constEnd() : byFolded.constFind(folded);
        if (found == byFolded.constEnd()) continue;
        const QString& endOfDocument = files[*found].name;
        endOfDocument_.insert(i, endOfDocument);
        setFlag(i, kHasEndOfDocument, true);
        const auto first = owner.constFind(folded);
        if (first != owner.constEnd())
            matchFindings_ << Finding{
                Finding::SharedEndOfDocument, {endOfDocument, names_[*first], name}, {}};
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
        const QString& name = names_[i];
        if (flagOf(i, kKnown) && !flagOf(i, kReadable))
            findings_ << Finding{Finding::UnreadablePage, {name}, errors_.value(i)};
        const StartMarks start = startMarksOf(i);
        if (start.documentMarker && !start.endOfDocumentBefore)
            findings_ << Finding{Finding::StartWithoutEndOfDocument, {name, names_[i - 1]}, {}};
        if (!hasEndOfDocument(i)) continue;
        const QString endOfDocument = endOfDocumentOf(i);
        const StartMarks next = startMarksOf(i + 1);
        if (i == n - 1)
            findings_ << Finding{Finding::EndOfDocumentOnLastPage, {endOfDocument, name}, {}};
        else if (flagOf(i + 1, kKnown) && flagOf(i + 1, kReadable) && !next.documentMarker)
            findings_ << Finding{
                Finding::EndOfDocumentWithoutStart, {endOfDocument, name, names_[i + 1]}, {}};
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
