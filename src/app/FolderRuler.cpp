#include "app/FolderRuler.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "pages/FolderProposals.h"

namespace leafmark::app {

namespace {
const QColor kFindingColour(200, 0, 200);
const QColor kSeparatorColour(150, 195, 235);
const QColor kProposalColour(0, 170, 60);
}  // namespace

FolderRuler::FolderRuler(const FolderMarks& marks, QWidget* parent)
    : QWidget(parent), marks_(marks) {
    setObjectName(QStringLiteral("FolderRuler"));
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Pages of the folder: click to go to a page"));
}

void FolderRuler::setCurrent(int index) {
    if (current_ == index) return;
    current_ = index;
    update();
}

int FolderRuler::pageAt(int x) const {
    const int n = marks_.count();
    if (n == 0 || width() <= 0) return -1;
    const long long page = static_cast<long long>(std::clamp(x, 0, width() - 1)) * n / width();
    return static_cast<int>(std::min<long long>(page, n - 1));
}

void FolderRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    p.fillRect(rect(), QColor(200, 200, 190));
    const int n = marks_.count();
    if (n == 0 || w <= 0) return;
    // Pages named by a finding of the marker check: a magenta band along the top,
    // over every other mark.
    const int findingHeight = std::max(1, h / 3);
    const auto left = [&](int i) { return static_cast<int>(static_cast<long long>(i) * w / n); };
    const FolderProposals* sheets = proposals_ && proposals_->count() == n ? proposals_ : nullptr;
    const auto separator = [&](int i) { return sheets && sheets->separator(i); };
    const auto proposed = [&](int i) { return sheets && sheets->proposed(i); };
    const auto agrees = [&](int i) { return sheets && sheets->agrees(i); };
    if (n <= w) {
        // A cell per page: background (paler until its markers are read), a red upper
        // half when damaged, an orange lower half for "Changed", a dark tick at the
        // left edge where a document begins.
        for (int i = 0; i < n; ++i) {
            const int x0 = left(i);
            const int cw = std::max(1, left(i + 1) - x0);
            const int inner = cw > 3 ? cw - 1 : cw;  // a hairline between wide cells
            p.fillRect(x0, 0, inner, h,
                       marks_.markersKnown(i) ? QColor(245, 245, 240) : QColor(222, 222, 214));
            if (separator(i)) p.fillRect(x0, 0, inner, h, kSeparatorColour);
            if (marks_.damaged(i)) p.fillRect(x0, 0, inner, h / 2, QColor(200, 30, 30));
            if (marks_.changed(i)) p.fillRect(x0, h / 2, inner, h - h / 2, QColor(240, 150, 0));
            if (marks_.startsDocument(i)) p.fillRect(x0, 0, std::min(cw, 3), h, QColor(40, 40, 40));
            if (proposed(i)) p.fillRect(x0, 0, std::min(cw, 3), h, kProposalColour);
            if (agrees(i)) p.fillRect(x0, h / 2, std::min(cw, 3), h - h / 2, kProposalColour);
            if (marks_.hasFinding(i)) p.fillRect(x0, 0, inner, findingHeight, kFindingColour);
        }
    } else {
        // More pages than pixels: column x stands for pages [x * n / w, (x + 1) * n / w).
        const auto first = [&](int x) {
            return static_cast<int>(static_cast<long long>(x) * n / w);
        };
        for (int x = 0; x < w; ++x) {
            bool start = false, changed = false, damaged = false, known = true, finding = false;
            bool sheet = false, proposal = false, agreeing = false;
            for (int i = first(x); i < first(x + 1); ++i) {
                start |= marks_.startsDocument(i);
                changed |= marks_.changed(i);
                damaged |= marks_.damaged(i);
                known &= marks_.markersKnown(i);
                finding |= marks_.hasFinding(i);
                sheet |= separator(i);
                proposal |= proposed(i);
                agreeing |= agrees(i);
            }
            p.fillRect(x, 0, 1, h, known ? QColor(245, 245, 240) : QColor(222, 222, 214));
            if (sheet) p.fillRect(x, 0, 1, h, kSeparatorColour);
            if (damaged) p.fillRect(x, 0, 1, h / 2, QColor(200, 30, 30));
            if (changed) p.fillRect(x, h / 2, 1, h - h / 2, QColor(240, 150, 0));
            if (start) p.fillRect(x, 0, 1, h, QColor(40, 40, 40));
            if (proposal)
                p.fillRect(x, 0, 1, h, kProposalColour);
            else if (agreeing)
                p.fillRect(x, h / 2, 1, h - h / 2, kProposalColour);
            if (finding) p.fillRect(x, 0, 1, findingHeight, kFindingColour);
        }
    }
    if (current_ >= 0 && current_ < n) {
        const int x0 = left(current_);
        const int x1 = std::max(x0 + 3, left(current_ + 1));
        p.setPen(QPen(QColor(20, 80, 220), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(x0 - 1, 1, x1 - x0 + 1, h - 2));
    }
}

void FolderRuler::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int page = pageAt(static_cast<int>(e->position().x()));
    if (page >= 0) emit pageClicked(page);
}

}  // namespace leafmark::app
