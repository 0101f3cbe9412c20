#include "pages/FolderProposals.h"

#include "imaging/separators/SeparatorSuggest.h"
#include "pages/FolderMarks.h"

namespace leafmark {

FolderProposals::FolderProposals(const FolderMarks& marks, QObject* parent)
    : QObject(parent), marks_(marks) {
    notify_.setSingleShot(true);
    notify_.setInterval(100);
    connect(&notify_, &QTimer::timeout, this, [this] {
        update();
        emit changed();
    });
    connect(&scanner_, &SeparatorScanner::pageRead, this, &FolderProposals::pageRead);
    connect(&scanner_, &SeparatorScanner::finished, this, [this] {
        notify_.stop();
        update();
        emit changed();
    });
}

void FolderProposals::start(const QString& folder, const QStringList& names) {
    folder_ = folder;
    names_ = names;
    state_.assign(static_cast<std::size_t>(names.size()), 0);
    why_.assign(static_cast<std::size_t>(names.size()), QString());
    read_ = 0;
    proposed_ = 0;
    notify_.stop();
    if (names.isEmpty()) {
        scanner_.stop();
        return;
    }
    scanner_.scan(folder, names);
}

void FolderProposals::setRule(imaging::SeparatorRule rule, imaging::Symbologies symbologies) {
    rule_ = std::move(rule);
    scanner_.setSymbologies(symbologies);
    if (!names_.isEmpty()) {
        start(folder_, names_);
        update();
        emit changed();
    }
}

void FolderProposals::pageRead(int index) {
    if (index < 0 || index >= count() || has(index, kRead)) return;
    // A page of a folder shown earlier may still be reported once: the reading is
    // taken for the entry of the present folder, which may not be read yet.
    const std::optional<imaging::SeparatorReading> reading = scanner_.reading(index);
    if (!reading) return;
    std::string why;
    std::uint8_t& s = state_[static_cast<std::size_t>(index)];
    s |= kRead;
    ++read_;
    if (imaging::isSeparator(*reading, rule_, &why)) {
        s |= kSeparator;
        why_[static_cast<std::size_t>(index)] = QString::fromStdString(why);
    }
    if (!notify_.isActive()) notify_.start();
}

void FolderProposals::update() {
    const int n = count();
    if (marks_.count() != n) return;  // the marks describe another folder list
    std::vector<bool> separators(static_cast<std::size_t>(n));
    std::vector<imaging::PageMarks> pageMarks(static_cast<std::size_t>(n));
    const FolderDocuments& documents = marks_.documents();
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        separators[at] = state_[at] & kSeparator;
        pageMarks[at].documentMarker = documents.documentMarker(i);
        pageMarks[at].endOfDocumentBefore = i > 0 && documents.hasEndOfDocument(i - 1);
        state_[at] &= ~(kProposed | kAgrees);
    }
    proposed_ = 0;
    for (const imaging::SuggestedStart& s : imaging::suggestStarts(separators, pageMarks)) {
        state_[static_cast<std::size_t>(s.page)] |= s.agrees ? kAgrees : kProposed;
        if (!s.agrees) ++proposed_;
    }
}

QString FolderProposals::why(int index) const {
    return separator(index) ? why_[static_cast<std::size_t>(index)] : QString();
}

int FolderProposals::nextProposed(int index, int step) const {
    const int n = count();
    if (n == 0 || proposed_ == 0) return -1;
    step = step < 0 ? -1 : 1;
    int i = index < 0 || index >= n ? (step > 0 ? -1 : n) : index;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (i == index) break;
        if (proposed(i)) return i;
    }
    return -1;
}

}  // namespace leafmark
