#include "pages/Documents.h"

#include <unistd.h>

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <mutex>

#include "imaging/engine/PageHeader.h"
#include "shared/FileList.h"
#include "shared/PageFiles.h"
#include "shared/RegularFile.h"

namespace leafmark {

// Reads an end-of-document file: a correct one is five bytes, so a few more
// tell a longer file apart without reading a large one whole.
FolderDocuments::EndOfDocumentFile readEndOfDocumentFile(const QString& folder,
                                                         const QString& name) {
    FolderDocuments::EndOfDocumentFile f;
    f.name = name;
    const RegularFile file(folder + name);
    if (!file.isOpen()) {
        f.readable = false;
        return f;
    }
    char head[16];
    ssize_t n;
    do {
        n = ::read(file.fd(), head, sizeof head);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        f.readable = false;
    else
        f.content = QByteArray(head, static_cast<qsizetype>(n));
    return f;
}

FolderDocuments FolderDocuments::read(const QString& folder) {
    const QString dir = folder.isEmpty() ? folder : withSeparator(folder);
    FileList list;
    list.read(dir, kPageAndEodPatterns);
    QList<DocumentPage> pages;
    QList<EndOfDocumentFile> eods;
    pages.reserve(list.count());
    imaging::PageHeader header;
    for (const QString& name : list.names()) {
        if (isEndOfDocumentName(name)) {
            eods << readEndOfDocumentFile(dir, name);
            continue;
        }
        if (!name.contains(QLatin1String(".tif"), Qt::CaseInsensitive))
            continue;  // some other ".eod"
        DocumentPage page;
        page.name = name;
        const imaging::Status s = imaging::readPageHeader(enginePath(dir + name), header);
        page.readable = s.ok();
        if (s.ok()) {
            const std::string& slot = header.comments[imaging::kSlotDocumentMarker];
            page.documentMarker = !slot.empty() && isDocumentMarker(QString::fromStdString(slot));
        } else {
            page.error = QString::fromStdString(s.reason());
        }
        pages << std::move(page);
    }
    return fromPages(dir, std::move(pages), eods);
}

FolderDocuments FolderDocuments::fromPages(const QString& folder, QList<DocumentPage> pages,
                                           const QList<EndOfDocumentFile>& endOfDocumentFiles) {
    FolderDocuments d;
    d.folder_ = folder.isEmpty() ? folder : withSeparator(folder);
    d.names_.reserve(pages.size());
    d.flags_.assign(static_cast<std::size_t>(pages.size()), 0);
    for (int i = 0; i < pages.size(); ++i) {
        const DocumentPage& page = pages[i];
        d.names_ << page.name;
        d.setFlag(i, kKnown, page.known);
        d.setFlag(i, kReadable, page.readable);
        d.setFlag(i, kDocumentMarker, page.documentMarker);
        if (!page.error.isEmpty()) d.errors_.insert(i, page.error);
    }
    d.files_ = endOfDocumentFiles;
    d.match();
    d.recheck();
    return d;
}

FolderDocuments FolderDocuments::fromListing(const QString& folder, const QStringList& names,
                                             const QStringList& endOfDocumentNames) {
    // The names are shared with the listing, not copied: a page's record is only
    // its flags until pages() is asked for.
    FolderDocuments d;
    d.folder_ = folder.isEmpty() ? folder : withSeparator(folder);
    d.names_ = names;
    d.flags_.assign(static_cast<std::size_t>(names.size()), kReadable);
    d.files_.reserve(endOfDocumentNames.size());
    for (const QString& name : endOfDocumentNames) {
        EndOfDocumentFile file;
        file.name = name;
        file.contentRead = false;
        d.files_ << file;
    }
    d.match();
    d.recheck();
    return d;
}

namespace {
// Reading a model from several threads at once is allowed, as for any const use;
// the page records built on the first ask are built once, the other threads wait.
std::mutex pagesBuild;
}  // namespace

const QList<DocumentPage>& FolderDocuments::pages() const {
    const std::lock_guard lock(pagesBuild);
    if (pagesBuilt_) return pages_;
    pages_.clear();
    pages_.reserve(names_.size());
    for (int i = 0; i < pageCount(); ++i) {
        DocumentPage& page = pages_.emplaceBack();
        page.name = names_[i];
        page.known = flagOf(i, kKnown);
        page.readable = flagOf(i, kReadable);
        page.documentMarker = flagOf(i, kDocumentMarker);
        page.error = errors_.value(i);
        page.endOfDocument = endOfDocument_.value(i);
    }
    pagesBuilt_ = true;
    return pages_;
}

void FolderDocuments::setPageMarkers(int index, bool readable, bool documentMarker) {
    if (index < 0 || index >= pageCount()) return;
    if (flagOf(index, kKnown) && flagOf(index, kReadable) == readable &&
        flagOf(index, kDocumentMarker) == documentMarker)
        return;
    setFlag(index, kKnown, true);
    setFlag(index, kReadable, readable);
    setFlag(index, kDocumentMarker, readable && documentMarker);
    if (readable)
        errors_.remove(index);
    else if (!errors_.contains(index))
        errors_.insert(index, QStringLiteral("its tags cannot be read"));
    pagesBuilt_ = false;
    stale_ = true;
}

void FolderDocuments::setEndOfDocumentFile(const EndOfDocumentFile& file) {
    const qsizetype at =
        std::find_if(files_.begin(), files_.end(),
                     [&](const EndOfDocumentFile& f) { return f.name == file.name; }) -
        files_.begin();
    if (at < files_.size())
        files_[at] = file;
    else
        files_ << file;
    match();
    stale_ = true;
}

void FolderDocuments::removeEndOfDocumentFile(const QString& name) {
    const auto gone = std::remove_if(files_.begin(), files_.end(),
                                     [&](const EndOfDocumentFile& f) { return f.name == name; });
    if (gone == files_.end()) return;
    files_.erase(gone, files_.end());
    match();
    stale_ = true;
}

void FolderDocuments::recheck() const {
    stale_ = false;
    check();
    split();
    // Which findings name each page, directly or through its end-of-document file.
    findingsByPage_.clear();
    if (findings_.isEmpty()) return;
    findingsByPage_.resize(pageCount());
    // Only the few names the findings mention are looked for among the pages.
    QSet<QString> named;
    for (const Finding& f : findings_)
        for (const QString& file : f.files) named.insert(file);
    QHash<QString, int> pageOf;
    for (int i = 0; i < pageCount(); ++i) {
        if (named.contains(names_[i])) pageOf.insert(names_[i], i);
        if (!hasEndOfDocument(i)) continue;
        const QString endOfDocument = endOfDocumentOf(i);
        if (named.contains(endOfDocument)) pageOf.insert(endOfDocument, i);
    }
    for (qsizetype k = 0; k < findings_.size(); ++k) {
        for (const QString& file : findings_[k].files) {
            const auto it = pageOf.constFind(file);
            if (it == pageOf.constEnd()) continue;
            QList<int>& of = findingsByPage_[*it];
            if (of.isEmpty() || of.last() != static_cast<int>(k)) of << static_cast<int>(k);
        }
    }
}

bool FolderDocuments::startsDocument(int pageIndex) const {
    settle();
    return std::binary_search(starts_.begin(), starts_.end(), pageIndex);
}

QList<int> FolderDocuments::findingsOf(int pageIndex) const {
    settle();
    return findingsByPage_.value(pageIndex);
}

bool FolderDocuments::hasFinding(int pageIndex) const {
    settle();
    return pageIndex >= 0 && pageIndex < findingsByPage_.size() &&
           !findingsByPage_[pageIndex].isEmpty();
}

FolderDocuments::StartMarks FolderDocuments::startMarksOf(int i) const {
    if (i <= 0 || i >= pageCount()) return {};
    return {documentMarker(i), hasEndOfDocument(i - 1)};
}

void FolderDocuments::split() const {
    documents_.clear();
    starts_.clear();
    const int n = pageCount();
    for (int i = 0; i < n; ++i)
        if (i == 0 || startMarksOf(i).any()) starts_ << i;
    for (qsizetype k = 0; k < starts_.size(); ++k) {
        const int last = k + 1 < starts_.size() ? starts_[k + 1] - 1 : n - 1;
        documents_ << DocumentRange{starts_[k], last};
    }
}

PagePosition FolderDocuments::positionOf(int pageIndex) const {
    settle();
    if (pageIndex < 0 || pageIndex >= pageCount()) return {};
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), pageIndex);
    const int doc = static_cast<int>(it - starts_.begin()) - 1;
    const DocumentRange& r = documents_[doc];
    return {doc, pageIndex - r.first, r.pageCount()};
}

int FolderDocuments::indexOf(const QString& name) const {
    for (int i = 0; i < pageCount(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

}  // namespace leafmark
