#pragma once
// frmMain: the main window. It owns the page view (Imager1), the toolbar row,
// the document-marker box, the menu tree, the page records and the view
// commands, and runs start-up, the command dispatch and the two ways to end.

#include "app/AppLocation.h"
#include "app/MenuTable.h"
#include "pages/MainWindowControls.h"
#include "shared/Dialogs.h"
#include "shared/SharedState.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QMenu;
class QToolButton;
class QUrl;

namespace leafmark {
class PageRecords;
class ProcessWindow;
class ViewCommands;
}  // namespace leafmark

namespace leafmark::app {

class DocumentMarkerButton;
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
    // The D key: the "Documents" report of the page folder, read again each time.
    void showDocumentsWindow();

    // ---- parts, for the program's wiring and its tests ----
    PageRecords& pages() { return *pages_; }
    ViewCommands& viewCommands() { return *viewCommands_; }
    QAction* menuAction(const QString& itemName) const;  // nullptr for unknown names
    QMenu* menu(const QString& itemName) const;           // a menu title or submenu
    QToolButton* toolbarButton(int index) const;          // nullptr for absent indices
    DocumentMarkerButton* documentMarkerBox() const { return checkBod_; }
    ProcessWindow* processWindow() const;  // nullptr when the batch window is not open
    DocumentsWindow* documentsWindow() const;  // nullptr before the D key was first pressed
    const AppLocation& location() const { return location_; }
    // True once "E&xit" has ended the run.
    bool exitRequested() const { return exiting_; }

    // How Help opens its document (default: the desktop's viewer). The result is ignored.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
    // What "E&xit" does to end the run (default: leave the event loop at once).
    void setQuitHandler(std::function<void()> quit) { quit_ = std::move(quit); }

protected:
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
    // The save-changes prompt; true when the caller may go on (No, or a save that worked).
    bool settleUnsavedWork();
    static QString menuName(PageMenuItem item);

    SharedState& state_;
    Dialogs& dialogs_;
    AppLocation location_;
    imaging::PageView* view_ = nullptr;
    DocumentMarkerButton* checkBod_ = nullptr;
    std::map<int, QToolButton*> toolbar_;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
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
