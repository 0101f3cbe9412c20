// The main window's command dispatch, the open request, About, Help, the batch
// window, and the two ways to end the run ("E&xit" and closing the window).
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QUrl>
#include <cstdlib>

#include "app/DocumentsWindow.h"
#include "app/MainWindow.h"
#include "batch/ui/ProcessWindow.h"
#include "pages/PageRecords.h"
#include "shared/AppInfo.h"
#include "shared/Settings.h"
#include "view/ViewCommands.h"

namespace leafmark::app {

void MainWindow::toolbarClick(int index) {
    if (const ToolbarEntry* e = toolbarEntry(index)) runCommand(e->command);
}

// One case a command, alike on purpose, in the order of the Command enum; the
// dispatch is the only place a command meets its routine.
void MainWindow::runCommand(Command command) {
    PageRecords& p = *pages_;
    ViewCommands& v = *viewCommands_;
    switch (command) {
        case Command::None:
            break;
        case Command::Open:
            p.Openfile();
            break;
        case Command::First:
            p.firstimagefile();
            break;
        case Command::Prior:
            p.priorimagefile();
            break;
        case Command::Next:
            p.nextimagefile();
            break;
        case Command::Last:
            p.lastimagefile();
            break;
        case Command::Save:
            p.save();
            break;
        case Command::SaveAs:
            p.saveAs();
            break;
        case Command::Revert:
            p.revert();
            break;
        case Command::SaveAndNext:
            p.saveAndNext();
            break;
        case Command::Process:
            showProcessWindow();
            break;
        case Command::Exit:
            exitCommand();
            break;
        case Command::RotateClockwise:
            v.rotateClockwise();
            break;
        case Command::RotateUpside:
            v.rotateUpside();
            break;
        case Command::RotateAntiClockwise:
            v.rotateAntiClockwise();
            break;
        case Command::Invert:
            v.invert();
            break;
        case Command::WhiteFill:
            v.toggleWhiteFill();
            break;
        case Command::ActualSize:
            v.actualSize();
            break;
        case Command::Fit:
            v.fit();
            break;
        case Command::FitWidth:
            v.fitWidth();
            break;
        case Command::Magnification:
            v.magnification();
            break;
        case Command::ZoomIn:
            v.zoomIn();
            break;
        case Command::ZoomOut:
            v.zoomOut();
            break;
        case Command::ScaleToGray:
            v.scaleToGray();
            break;
        case Command::Normal:
            v.normal();
            break;
        case Command::FavorBlack:
            v.favorBlack();
            break;
        case Command::Help:
            showHelp();
            break;
        case Command::About:
            showAbout();
            break;
    }
    refreshStatus();
}

void MainWindow::openRequest(const QString& path) {
    pendingOpens_.append(path);
    deliverOpenRequests();
}

void MainWindow::deliverOpenRequests() {
    // A request arrives through the event loop, so it can come while a modal box
    // runs its own loop: under the save-changes prompt, opening a page would make
    // the answer save or drop another page than the one asked about. It waits.
    if (QApplication::activeModalWidget()) {
        if (!openRetryScheduled_) {
            openRetryScheduled_ = true;
            QTimer::singleShot(50, this, [this] {
                openRetryScheduled_ = false;
                deliverOpenRequests();
            });
        }
        return;
    }
    while (!pendingOpens_.isEmpty()) {
        const QString path = pendingOpens_.takeFirst();
        // The page shown is not replaced over unsaved work without asking; Cancel
        // (or a save that failed) keeps it, and this request is dropped.
        if (!pages_->settleUnsavedWork()) continue;
        pages_->OpenMaster(path);
        pages_->enablePageCommands();
    }
}

void MainWindow::showAbout() {
    dialogs_.message(this, aboutText(kVersion), MsgButtons::Ok, MsgIcon::None, kAppTitle);
}

void MainWindow::showHelp() {
    if (urlOpener_) urlOpener_(QUrl::fromLocalFile(location_.helpDocument()));
}

ProcessWindow* MainWindow::processWindow() const { return processWindow_.data(); }

void MainWindow::showProcessWindow() {
    if (!processWindow_) processWindow_ = new ProcessWindow(state_, dialogs_, nullptr);
    processWindow_->show();
    processWindow_->raise();
    processWindow_->activateWindow();
}

DocumentsWindow* MainWindow::documentsWindow() const { return documentsWindow_.data(); }

void MainWindow::showDocumentsWindow() {
    if (!documentsWindow_) {
        documentsWindow_ = new DocumentsWindow(this);
        connect(documentsWindow_, &DocumentsWindow::pageChosen, this, [this](const QString& path) {
            if (pages_->gotoPage(path)) {
                raise();
                activateWindow();
            }
        });
    }
    documentsWindow_->showFolder(pages_->folderList().folder());
    documentsWindow_->show();
    documentsWindow_->raise();
    documentsWindow_->activateWindow();
}

void MainWindow::exitCommand() {
    if (!pages_->settleUnsavedWork()) return;
    state_.modified = kUnmodified;
    exiting_ = true;
    // A batch run still going is stopped at the next page boundary first: no worker
    // is left mid-page, and no temporary file of a page in progress stays behind.
    if (processWindow_) processWindow_->stopRun();
    if (quit_) {
        quit_();
        return;
    }
    QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    if (!pages_->settleUnsavedWork()) {
        event->ignore();
        return;
    }
    state_.modified = kUnmodified;
    if (processWindow_) processWindow_->stopAndUnload();
    writeFolderSettings();
    event->accept();
}

// Results ignored on purpose: the window is closing, and a folder not remembered
// only means the next start offers the one stored before.
void MainWindow::writeFolderSettings() {
    const QString dir1 = folderOfChosenPath(pages_->lastOpenPath());
    if (!dir1.isEmpty())
        writeProfileString(state_.inifile, kSettingsSection, QStringLiteral("Dir1"), dir1);
    const QString dir2 = folderOfChosenPath(pages_->lastSavePath());
    if (!dir2.isEmpty())
        writeProfileString(state_.inifile, kSettingsSection, QStringLiteral("Dir2"), dir2);
}

}  // namespace leafmark::app
