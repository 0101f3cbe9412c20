#include "pages/Documents.h"

#include "imaging/engine/PageHeader.h"
#include "pages/PageMarkers.h"
#include "shared/FileList.h"

#include <QFile>

#include <algorithm>

namespace leafmark {

namespace {

// Reads an end-of-document file: a correct one is five bytes, so a few more
// tell a longer file apart without reading a large one whole.
FolderDocuments::EndOfDocumentFile readEndOfDocumentFile(const QString& folder, const QString& name) {
    FolderDocuments::EndOfDocumentFile f;
    f.name = name;
    QFile file(folder + name);
    if (!file.open(QIODevice::ReadOnly)) {
        f.readable = false;
        return f;
    }
    f.content = file.read(16);
    return f;
}

}  // namespace

bool isEndOfDocumentName(const QString& name) {
    return name.endsWith(kEndOfDocumentSuffix, Qt::CaseInsensitive);
}

FolderDocuments FolderDocuments::read(const QString& folder) {
    const QString dir = folder.endsWith(QLatin1Char('/')) || folder.isEmpty() ? folder : folder + QLatin1Char('/');
    FileList list;
    list.read(dir, QStringLiteral("*.tif*;*.eod"));
    QList<DocumentPage> pages;
    QList<EndOfDocumentFile> eods;
    pages.reserve(list.count());
    imaging::PageHeader header;
    for (const QString& name : list.names()) {
        if (isEndOfDocumentName(name)) {
            eods << readEndOfDocumentFile(dir, name);
            continue;
        }
        if (!name.contains(QLatin1String(".tif"), Qt::CaseInsensitive)) continue;  // some other ".eod"
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
    d.folder_ = folder.endsWith(QLatin1Char('/')) || folder.isEmpty() ? folder : folder + QLatin1Char('/');
    d.pages_ = std::move(pages);
    d.check(endOfDocumentFiles);
    d.split();
    return d;
}

void FolderDocuments::split() {
    documents_.clear();
    starts_.clear();
    const int n = pageCount();
    for (int i = 0; i < n; ++i) {
        const bool start = i == 0 || pages_[i].documentMarker || pages_[i - 1].hasEndOfDocument();
        if (start) starts_ << i;
    }
    for (qsizetype k = 0; k < starts_.size(); ++k) {
        const int last = k + 1 < starts_.size() ? starts_[k + 1] - 1 : n - 1;
        documents_ << DocumentRange{starts_[k], last};
    }
}

PagePosition FolderDocuments::positionOf(int pageIndex) const {
    if (pageIndex < 0 || pageIndex >= pageCount()) return {};
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), pageIndex);
    const int doc = static_cast<int>(it - starts_.begin()) - 1;
    const DocumentRange& r = documents_[doc];
    return {doc, pageIndex - r.first, r.pageCount()};
}

int FolderDocuments::indexOf(const QString& name) const {
    for (int i = 0; i < pageCount(); ++i)
        if (pages_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

}  // namespace leafmark
