#include "batch/ui/ProcessWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeView>

#include "batch/core/BatchRun.h"
#include "batch/ui/FolderTreeModel.h"
#include "batch/ui/ProcessWindowPrivate.h"
#include "shared/SharedState.h"

namespace leafmark {

using batch::ProcessWindowPrivate;

ProcessWindow::ProcessWindow(SharedState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      d_(std::make_unique<ProcessWindowPrivate>(*this, state, dialogs)) {
    setAttribute(Qt::WA_DeleteOnClose);
    d_->buildControls();
    d_->setFocusOrder();
    d_->centre();
    d_->loadSettings();
    // Every key press of this window passes here first (ESC asks a run to stop).
    qApp->installEventFilter(this);
    d_->chkProcess[0]->setFocus();
}

ProcessWindow::~ProcessWindow() {
    qApp->removeEventFilter(this);
    // A run still going finishes its pages in progress in BatchRun's destructor.
    delete d_->activeRun.data();
}

bool ProcessWindow::isRunning() const { return d_->activeRun && d_->activeRun->isRunning(); }

void ProcessWindow::setWorkerCount(int workers) { d_->workers = workers; }

void ProcessWindow::Run(int index) { d_->run(index); }

void ProcessWindow::stopRun() {
    if (!isRunning()) return;
    d_->closeAfterRun = false;  // the caller decides what follows the run
    d_->quietStop = true;
    d_->activeRun->requestStop();
    QEventLoop wait;
    connect(this, &ProcessWindow::runFinished, &wait, &QEventLoop::quit);
    ProcessWindowPrivate::PumpScope pumping(*d_);
    if (isRunning()) wait.exec();
}

void ProcessWindow::stopAndUnload() {
    stopRun();
    d_->unload();
    close();
}

bool ProcessWindow::event(QEvent* event) {
    // Closing deletes the window later; while one of its own handlers is still on the
    // stack pumping events, the deletion waits until that handler has returned.
    if (event->type() == QEvent::DeferredDelete && d_->pumping > 0) {
        d_->deleteDeferred = true;
        return true;
    }
    return QWidget::event(event);
}

void ProcessWindow::closeEvent(QCloseEvent* event) {
    if (isRunning()) {
        // Stop at the next page boundary; the run closes the window when it has ended.
        d_->closeAfterRun = true;
        d_->quietStop = true;
        d_->activeRun->requestStop();
        event->ignore();
        return;
    }
    d_->unload();
    event->accept();
}

void ProcessWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) d_->activate();
    QWidget::changeEvent(event);
}

void ProcessWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Showing the window counts as its activation even where no window manager
    // reports one (the activation handler is safe to run again when it does).
    if (!event->spontaneous()) d_->activate();
}

bool ProcessWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        d_->state.stopflag = 1;  // not consumed: the control still gets the key
    if (event->type() == QEvent::MouseButtonPress && watched == d_->dir1->viewport())
        QMetaObject::invokeMethod(
            this, [this] { d_->sourcePressed(); }, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

namespace batch {

ProcessWindowPrivate::PumpScope::PumpScope(ProcessWindowPrivate& owner) : d(owner) { ++d.pumping; }

ProcessWindowPrivate::PumpScope::~PumpScope() {
    if (--d.pumping == 0 && d.deleteDeferred) {
        d.deleteDeferred = false;
        d.w.deleteLater();
    }
}

bool ProcessWindowPrivate::pumpEvents() {
    PumpScope scope(*this);
    QCoreApplication::processEvents();
    return !unloaded;
}

}  // namespace batch

QCheckBox* ProcessWindow::processBox(int index) const {
    return (index == 0 || index == 1 || index == 4) ? d_->chkProcess[index] : nullptr;
}
QLineEdit* ProcessWindow::marginBox() const { return d_->txtMargin; }
QPushButton* ProcessWindow::runButton(int index) const {
    return (index == 0 || index == 1) ? d_->command1[index] : nullptr;
}
QPushButton* ProcessWindow::closeButton() const { return d_->command2; }
QComboBox* ProcessWindow::sourceDrive() const { return d_->drive1; }
QComboBox* ProcessWindow::outputDrive() const { return d_->drive2; }
QTreeView* ProcessWindow::sourceTree() const { return d_->dir1; }
QTreeView* ProcessWindow::outputTree() const { return d_->dir2; }
QLabel* ProcessWindow::progressBar() const { return d_->progressbar; }
QLabel* ProcessWindow::progressBox() const { return d_->progressbox; }
QLabel* ProcessWindow::stopLabel() const { return d_->label5; }

QString ProcessWindow::sourceFolder() const { return d_->model1->openFolder(); }
QString ProcessWindow::outputFolder() const { return d_->model2->openFolder(); }
bool ProcessWindow::openSourceFolder(const QString& folder) { return d_->openFolder(0, folder); }
bool ProcessWindow::openOutputFolder(const QString& folder) { return d_->openFolder(1, folder); }
QString ProcessWindow::pageListFolder() const { return d_->file1.folder(); }
QStringList ProcessWindow::lastFailures() const { return d_->failures; }

}  // namespace leafmark
