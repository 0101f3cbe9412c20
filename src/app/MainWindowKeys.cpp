// The main window's keys. Each key runs the routine of its menu item or toolbar
// button (so prompts, boundary messages and enabled states apply as with the
// mouse) and does nothing while that command cannot be used. The keys live on
// the window, not on the menu items, so the menus show no shortcut texts.
#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolButton>

#include "app/DocumentMarkerButton.h"
#include "app/MainWindow.h"
#include "pages/PageRecords.h"
#include "view/ViewCommands.h"

namespace leafmark::app {

namespace {

struct KeyEntry {
    const char* name;
    QList<QKeySequence> keys;
    KeyRoutine routine;
    Command command;
};

QList<KeyEntry> keyTable() {
    using K = QKeySequence;
    return {
        {"keyNext", {K(Qt::Key_PageDown), K(Qt::Key_Right)}, KeyRoutine::Command, Command::Next},
        {"keyPrior", {K(Qt::Key_PageUp), K(Qt::Key_Left)}, KeyRoutine::Command, Command::Prior},
        {"keyFirst", {K(Qt::Key_Home)}, KeyRoutine::Command, Command::First},
        {"keyLast", {K(Qt::Key_End)}, KeyRoutine::Command, Command::Last},
        {"keySaveAndNext",
         {K(Qt::Key_Return), K(Qt::Key_Enter)},
         KeyRoutine::Command,
         Command::SaveAndNext},
        {"keyDocumentMarker", {K(Qt::Key_B)}, KeyRoutine::DocumentMarker, Command::None},
        {"keySave", {K(Qt::CTRL | Qt::Key_S)}, KeyRoutine::Command, Command::Save},
        {"keyRotateClockwise", {K(Qt::Key_R)}, KeyRoutine::Command, Command::RotateClockwise},
        {"keyRotateAntiClockwise",
         {K(Qt::SHIFT | Qt::Key_R)},
         KeyRoutine::Command,
         Command::RotateAntiClockwise},
        {"keyRotateUpside", {K(Qt::Key_U)}, KeyRoutine::Command, Command::RotateUpside},
        {"keyInvert", {K(Qt::Key_I)}, KeyRoutine::Command, Command::Invert},
        {"keyZoomIn", {K(Qt::Key_Plus), K(Qt::Key_Equal)}, KeyRoutine::Command, Command::ZoomIn},
        {"keyZoomOut", {K(Qt::Key_Minus)}, KeyRoutine::Command, Command::ZoomOut},
        {"keyFit", {K(Qt::Key_F)}, KeyRoutine::Command, Command::Fit},
        {"keyFitWidth", {K(Qt::Key_W)}, KeyRoutine::Command, Command::FitWidth},
        {"keyActualSize", {K(Qt::Key_A)}, KeyRoutine::Command, Command::ActualSize},
        {"keyGoToPage", {K(Qt::CTRL | Qt::Key_G)}, KeyRoutine::GoToPage, Command::None},
        {"keyUndo", {K(Qt::CTRL | Qt::Key_Z)}, KeyRoutine::Undo, Command::None},
        {"keyRedo",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), K(Qt::CTRL | Qt::Key_Y)},
         KeyRoutine::Redo,
         Command::None},
        {"keyHelp", {K(Qt::Key_F1)}, KeyRoutine::Command, Command::Help},
        {"keyAcceptProposal", {K(Qt::Key_P)}, KeyRoutine::AcceptProposal, Command::None},
        {"keyNextProposal", {K(Qt::Key_N)}, KeyRoutine::NextProposal, Command::None},
        {"keyPriorProposal", {K(Qt::SHIFT | Qt::Key_N)}, KeyRoutine::PriorProposal, Command::None},
        {"keySeparatorSettings", {K(Qt::Key_S)}, KeyRoutine::SeparatorSettings, Command::None},
    };
}

}  // namespace

void MainWindow::buildKeys() {
    for (const KeyEntry& e : keyTable()) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromLatin1(e.name));
        a->setShortcuts(e.keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setAutoRepeat(false);
        const KeyRoutine routine = e.routine;
        const Command command = e.command;
        connect(a, &QAction::triggered, this,
                [this, routine, command] { keyCommand(routine, command); });
        addAction(a);
    }
}

bool MainWindow::commandEnabled(Command command) const {
    for (const MenuEntry& e : menuTable())
        if (e.command == command)
            if (menuAction(e.item)->isEnabled()) return true;
    for (const ToolbarEntry& e : toolbarTable())
        if (e.command == command && toolbarEnabled(e.index)) return true;
    return false;
}

void MainWindow::keyCommand(KeyRoutine routine, Command command) {
    switch (routine) {
        case KeyRoutine::Command:
            if (commandEnabled(command)) runCommand(command);
            return;
        case KeyRoutine::DocumentMarker:
            if (checkBod_->isEnabled()) clickDocumentMarker();
            return;
        case KeyRoutine::GoToPage:
            if (pages_->folderList().count() > 0) pages_->goToPageNumber();
            break;
        case KeyRoutine::AcceptProposal:
            acceptProposal();
            return;
        case KeyRoutine::NextProposal:
            goToProposal(1);
            return;
        case KeyRoutine::PriorProposal:
            goToProposal(-1);
            return;
        case KeyRoutine::SeparatorSettings:
            showSeparatorSettings();
            return;
        case KeyRoutine::Undo:
            viewCommands_->undo();
            break;
        case KeyRoutine::Redo:
            viewCommands_->redo();
            break;
    }
    refreshStatus();
}

void MainWindow::clickDocumentMarker() {
    // A press and a release of the left button in the middle of the box, so the
    // box runs exactly what it runs for the mouse.
    const QPointF centre = QRectF(checkBod_->rect()).center();
    const QPointF global = checkBod_->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(checkBod_, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(checkBod_, &release);
}

}  // namespace leafmark::app
