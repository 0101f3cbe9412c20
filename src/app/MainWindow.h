#pragma once
// frmMain: the main window. It owns the page view (Imager1), the toolbar row,
// the document-marker box, the menu tree, the page records and the view
// commands, and runs start-up, the command dispatch and the two ways to end.

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "app/AppLocation.h"
#include "app/MenuTable.h"
#include "pages/FolderMarks.h"
#include "pages/MainWindowControls.h"
#include "shared/Dialogs.h"
#include "shared/SharedState.h"

class QAction;
class QMenu;
class QMimeData;
class QToolButton;
class QUrl;

namespace leafmark {
class FolderProposals;
class MarkerScan;
class PageRecords;
class ProcessWindow;
class ViewCommands;
}  // namespace leafmark

namespace leafmark::app {

class DocumentMarkerButton;
class StatusStrip;

// Routines reached only from the keyboard (the others run a menu command).
enum class KeyRoutine {
    Command,
    DocumentMarker,
    GoToPage,
    Undo,
    Redo,
    AcceptProposal,
    NextProposal,
    PriorProposal,
    SeparatorSettings
};
class DocumentsWindow;

class MainWindow : public QMainWindow, public MainWindowControls {
    Q_OBJECT
  public:
    // Builds the window and runs start-up: caption, geometry from the primary
    // screen, the page menu items disabled, settings read from location's ".ini"
    // into `state`, the toolbar row laid out. `state` and `dialogs` must outlive it.
    MainWindow(SharedState& state, Dialogs& dialogs, const AppLocation& location,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- MainWindowControls ----
    QWidget* ownerWindow() override { return this; }
    imaging::PageView& pageView() override { return *view_; }
    void setCaption(const QString& text) override;
    bool documentMarkerTicked() const override;
    void setDocumentMarkerTicked(bool ticked) override;
    bool whiteFillChecked() const override;
    void setMenuEnabled(PageMenuItem item, bool enabled) override;
    bool menuEnabled(PageMenuItem item) const override;
    bool toolbarEnabled(int index) const override;
    void enablePageButtons() override;
    void pageShown() override;
    void pageSaved(const QString& file) override;

    // ---- commands ----
    // Runs the routine behind a menu item or a toolbar button.
    void runCommand(Command command);
    // The toolbar's click handler: the command of button `index`; other indices do nothing.
    void toolbarClick(int index);
    // The external open request: hands `path` to OpenMaster and changes nothing else.
    // While a modal box or dialog waits for the operator, the request is held and
    // handed over (in arrival order) once no modal window is left.
    void openRequest(const QString& path);
    // "E&xit": guards unsaved work, then leaves the event loop without close handlers.
    void exitCommand();
    void showAbout();
    void showHelp();
    void showProcessWindow();
    // A key of the main window: runs its routine when that routine can be used
    // now (a menu item or toolbar button of the command is enabled); else nothing.
    void keyCommand(KeyRoutine routine, Command command = Command::None);
    // True when the command has an enabled menu item or toolbar button.
    bool commandEnabled(Command command) const;
    // What a drop on the window does: opens the dropped page (or a dropped folder's
    // first page) as Open File opens a chosen one. False when the data names none.
    bool openDropped(const QMimeData* data);
    // The marker box clicked with the mouse (what the B key does).
    void clickDocumentMarker();
    // The D key: the "Documents" report of the page folder, read again each time.
    void showDocumentsWindow();
    // The P key: the document start proposed by a separator sheet for the page shown
    // is taken as a click on the marker box takes it (saved by the usual save rules).
    void acceptProposal();
    // N and Shift+N: the next (`step` 1) or previous (-1) proposed start, going round.
    void goToProposal(int step);
    // The S key: the separator settings dialog. Settings that cannot be used are
    // refused with a message and the dialog shown again; usable ones are stored in
    // the settings file and the folder shown is judged by them at once.
    void showSeparatorSettings();

    // ---- parts, for the program's wiring and its tests ----
    PageRecords& pages() { return *pages_; }
    ViewCommands& viewCommands() { return *viewCommands_; }
    QAction* menuAction(MenuItem item) const { return actions_[static_cast<int>(item)]; }
    // A menu title or submenu; nullptr for the other items.
    QMenu* menu(MenuItem item) const { return menus_[static_cast<int>(item)]; }
    QToolButton* toolbarButton(int index) const;  // nullptr for absent indices
    DocumentMarkerButton* documentMarkerBox() const { return checkBod_; }
    StatusStrip* statusStrip() const { return strip_; }
    const FolderMarks& folderMarks() const { return marks_; }
    MarkerScan& markerScan() const { return *scan_; }
    FolderProposals& proposals() const { return *proposals_; }
    const SeparatorSettings& separatorSettings() const { return separatorSettings_; }
    // Why settings read from the file are not used (shown in the status strip).
    const QStringList& separatorProblems() const { return separatorProblems_; }
    // Writes the status strip's text and repaints the ruler from the present state.
    void refreshStatus();
    ProcessWindow* processWindow() const;      // nullptr when the batch window is not open
    DocumentsWindow* documentsWindow() const;  // nullptr before the D key was first pressed
    const AppLocation& location() const { return location_; }
    // True once "E&xit" has ended the run.
    bool exitRequested() const { return exiting_; }

    // How Help opens its document (default: the desktop's viewer). The result is ignored.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
    // What "E&xit" does to end the run (default: leave the event loop at once).
    void setQuitHandler(std::function<void()> quit) { quit_ = std::move(quit); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A page file dropped on the window opens as with Open File; a folder, its first page.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The unload path: prompt, batch window unloaded, "Dir1"/"Dir2" written.
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildToolbar();
    void startUp();
    void readSettings();
    void layoutToolbar(int screenWidthTwips, double pixelsPerTwip);
    void writeFolderSettings();
    void deliverOpenRequests();
    void buildKeys();
    void buildStatusStrip();
    void placeStatusStrip();
    void markersRead(int first, const QList<quint8>& bits);
    void buildProposals();
    void useSeparatorSettings(const SeparatorSettings& settings);
    QString proposalStatus() const;
    // The page a drop would open ("" when the drop holds no local file or folder with one).
    static QString droppedPage(const QMimeData* data);
    static MenuItem menuItemOf(PageMenuItem item);

    SharedState& state_;
    Dialogs& dialogs_;
    AppLocation location_;
    imaging::PageView* view_ = nullptr;
    DocumentMarkerButton* checkBod_ = nullptr;
    StatusStrip* strip_ = nullptr;
    FolderMarks marks_;
    MarkerScan* scan_ = nullptr;
    FolderProposals* proposals_ = nullptr;
    SeparatorSettings separatorSettings_;
    QStringList separatorProblems_;
    int marksGeneration_ = -1;
    QStringList recentFolders_;  // page folders opened in this run, latest first
    std::map<int, QToolButton*> toolbar_;
    std::array<QAction*, kMenuItemCount> actions_{};
    std::array<QMenu*, kMenuItemCount> menus_{};
    std::unique_ptr<PageRecords> pages_;
    std::unique_ptr<ViewCommands> viewCommands_;
    QPointer<ProcessWindow> processWindow_;
    QPointer<DocumentsWindow> documentsWindow_;
    bool exiting_ = false;
    QStringList pendingOpens_;
    bool openRetryScheduled_ = false;
    std::function<bool(const QUrl&)> urlOpener_;
    std::function<void()> quit_;
};

}  // namespace leafmark::app
