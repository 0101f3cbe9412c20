// The status strip and folder ruler of the main window: what they show, how
// they follow the page shown, saves, and the markers read in the background.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/DocumentMarkerButton.h"
#include "app/MainWindow.h"
#include "app/StatusStrip.h"
#include "app/StatusText.h"
#include "imaging/widget/PageView.h"
#include "pages/FolderProposals.h"
#include "pages/MarkerScan.h"
#include "pages/PageRecords.h"
#include "shared/PageFiles.h"
#include "view/ViewCommands.h"

namespace leafmark::app {

namespace {
constexpr int kRecentFolders = 8;
}

void MainWindow::buildStatusStrip() {
    strip_ = new StatusStrip(marks_, centralWidget());
    scan_ = new MarkerScan(this);
    connect(scan_, &MarkerScan::batchRead, this, &MainWindow::markersRead);
    connect(&strip_->ruler(), &FolderRuler::pageClicked, this, [this](int index) {
        pages_->gotoEntry(index);
        refreshStatus();
    });
    centralWidget()->installEventFilter(this);
    buildProposals();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) placeStatusStrip();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::placeStatusStrip() {
    // The strip fills the band the layout leaves under the page view; the view and
    // the toolbar keep their places.
    const QRect v = view_->geometry();
    const int top = v.bottom() + 2;
    const int height = std::max(0, centralWidget()->height() - top - 1);
    strip_->setGeometry(v.left(), top, v.width(), height);
    strip_->setVisible(height > 0);
}

void MainWindow::pageShown() {
    viewCommands_->clearHistory();
    const FileList& list = pages_->folderList();
    if (pages_->folderListGeneration() != marksGeneration_) {
        marksGeneration_ = pages_->folderListGeneration();
        marks_.reset(list);
        scan_->start(list.folder(), list.names());
        proposals_->start(list.folder(), list.names());
        // The Open dialog offers the page folders opened lately.
        const QString folder = QFileInfo(list.folder()).absoluteFilePath();
        recentFolders_.removeAll(folder);
        recentFolders_.prepend(folder);
        while (recentFolders_.size() > kRecentFolders) recentFolders_.removeLast();
        dialogs_.setRecentFolders(recentFolders_);
    }
    const int index = list.selectedIndex();
    const imaging::PageEngine& engine = view_->engine();
    if (index >= 0 && engine.hasImage()) {
        marks_.setMarkers(
            index,
            isDocumentMarker(QString::fromStdString(engine.comment(imaging::kSlotDocumentMarker))),
            QString::fromStdString(engine.comment(imaging::kSlotChangeMarker)) == kChangeMarker);
        marks_.setDamaged(index, engine.damaged());
    }
    strip_->ruler().setCurrent(index);
    refreshStatus();
}

void MainWindow::pageSaved(const QString& file) {
    viewCommands_->clearHistory();
    const FileList& list = pages_->folderList();
    const int index = list.selectedIndex();
    if (index >= 0 && QFileInfo(file) == QFileInfo(state_.currentfile)) {
        const imaging::PageEngine& engine = view_->engine();
        marks_.setMarkers(
            index, documentMarkerTicked(),
            QString::fromStdString(engine.comment(imaging::kSlotChangeMarker)) == kChangeMarker);
        // The save writes or removes the end-of-document file of the page before.
        if (index > 0) marks_.endOfDocumentChanged(index - 1);
    }
    refreshStatus();
}

void MainWindow::markersRead(int first, const QList<quint8>& bits) {
    for (qsizetype i = 0; i < bits.size(); ++i) {
        const int index = first + static_cast<int>(i);
        // A page known already was loaded or saved by the window since the scan
        // began; that is at least as new as the scan's read, which may predate a save.
        if (marks_.markersKnown(index)) continue;
        if (bits[i] & MarkerScan::kBitUnreadable)
            marks_.setUnreadable(index);
        else
            marks_.setMarkers(index, bits[i] & MarkerScan::kBitDocumentMarker,
                              bits[i] & MarkerScan::kBitChangeMarker);
    }
    refreshStatus();
}

void MainWindow::refreshStatus() {
    if (!strip_) return;
    StatusFacts f;
    const FileList& list = pages_->folderList();
    const imaging::PageEngine& engine = view_->engine();
    f.pageShown = !state_.currentfile.isEmpty();
    f.loaded = engine.hasImage();
    f.index = list.selectedIndex();
    f.count = list.count();
    f.document = marks_.position(f.index);
    f.sizeMode = view_->sizeMode();
    f.windowmode = state_.windowmode;
    f.zoomPercent = view_->zoomPercent();
    f.xResolution = engine.XResolution();
    f.yResolution = engine.YResolution();
    f.format = engine.loadedFormat();
    f.bitDepth = engine.loadedBitDepth();
    f.documentMarker = documentMarkerTicked();
    f.changeMarker =
        QString::fromStdString(engine.comment(imaging::kSlotChangeMarker)) == kChangeMarker;
    f.modified = state_.modified;
    f.damaged = engine.damaged();
    QStringList sentences;
    for (const Finding& finding : marks_.findingsOf(f.index)) {
        f.findings << finding.brief();
        sentences << finding.text();
    }
    f.findings.removeDuplicates();
    sentences << separatorProblems_;  // the strip may cut them short
    proposals_->update();
    f.proposal = proposalStatus();
    strip_->setText(statusText(f));
    strip_->setToolTip(sentences.join(QLatin1Char('\n')));
    strip_->ruler().update();
}

}  // namespace leafmark::app

namespace leafmark::app {

QString MainWindow::droppedPage(const QMimeData* data) {
    if (!data || !data->hasUrls()) return QString();
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) return PageRecords::firstPageOf(info.absoluteFilePath());
        if (info.isFile()) return info.absoluteFilePath();
    }
    return QString();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPage(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (openDropped(event->mimeData())) event->acceptProposedAction();
}

bool MainWindow::openDropped(const QMimeData* data) {
    const QString path = droppedPage(data);
    if (path.isEmpty()) return false;
    pages_->openChosen(path);
    refreshStatus();
    return true;
}

}  // namespace leafmark::app
