#include "app/DocumentsWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/Documents.h"

namespace leafmark::app {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

}  // namespace

DocumentsWindow::DocumentsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmDocuments"));
    setWindowTitle(QStringLiteral("Documents"));
    heading_ = new QLabel(this);
    heading_->setTextFormat(Qt::PlainText);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("DocumentTree"));
    tree_->setHeaderLabels(
        {QStringLiteral("Document / page"), QStringLiteral("Pages"), QStringLiteral("Markers")});
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setUniformRowHeights(true);  // folders of thousands of pages stay quick to show
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    findings_ = new QListWidget(this);
    findings_->setObjectName(QStringLiteral("FindingList"));
    findings_->setWordWrap(true);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tree_);
    split->addWidget(findings_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(split);
    resize(640, 560);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { itemActivated(item); });
}

void DocumentsWindow::showFolder(const QString& folder) {
    folder_ = folder;
    tree_->clear();
    findings_->clear();
    if (folder.isEmpty()) {
        heading_->setText(QStringLiteral("No page is open."));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FolderDocuments d = FolderDocuments::read(folder);
    QList<QTreeWidgetItem*> top;
    top.reserve(d.documents().size());
    for (qsizetype k = 0; k < d.documents().size(); ++k) {
        const DocumentRange& r = d.documents()[k];
        auto* doc = new QTreeWidgetItem({QStringLiteral("Document %1: ").arg(k + 1) +
                                             d.pages()[r.first].name + QStringLiteral(" .. ") +
                                             d.pages()[r.last].name,
                                         QString::number(r.pageCount())});
        for (int i = r.first; i <= r.last; ++i) {
            const DocumentPage& p = d.pages()[i];
            QStringList markers;
            if (!p.readable) markers << QStringLiteral("cannot be read");
            if (p.documentMarker) markers << QStringLiteral("BOD");
            if (p.hasEndOfDocument()) markers << p.endOfDocument;
            auto* page =
                new QTreeWidgetItem(doc, {p.name, QString(), markers.join(QStringLiteral(", "))});
            page->setData(0, kPathRole, d.folder() + p.name);
        }
        top << doc;
    }
    tree_->addTopLevelItems(top);
    for (const Finding& f : d.findings()) findings_->addItem(f.text());
    if (d.findings().isEmpty()) findings_->addItem(QStringLiteral("The markers are consistent."));
    auto count = [](qsizetype n, const char* one, const char* many) {
        return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    heading_->setText(count(d.pageCount(), "page", "pages") + QStringLiteral(", ") +
                      count(d.documents().size(), "document", "documents") + QStringLiteral(", ") +
                      count(d.findings().size(), "finding", "findings") + QStringLiteral(" in ") +
                      d.folder());
    if (top.size() <= 50) tree_->expandAll();
    QApplication::restoreOverrideCursor();
}

void DocumentsWindow::itemActivated(QTreeWidgetItem* item) {
    const QString path = item ? item->data(0, kPathRole).toString() : QString();
    if (!path.isEmpty()) emit pageChosen(path);
}

}  // namespace leafmark::app
