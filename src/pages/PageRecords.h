#pragma once
// The main window's page records: opening a page and its folder, showing a page,
// moving through the folder, saving with the document and change markers, and
// Save / Save As / Revert.

#include <QString>
#include <memory>

#include "imaging/engine/Status.h"
#include "pages/MainWindowControls.h"
#include "shared/Dialogs.h"
#include "shared/FileList.h"
#include "shared/SharedState.h"

namespace leafmark {

class ReadAhead;

class PageRecords {
  public:
    PageRecords(SharedState& state, Dialogs& dialogs, MainWindowControls& controls);
    ~PageRecords();

    // The folder list (File1): the page folder's "*.tif*" names.
    const FileList& folderList() const { return folderList_; }
    // Changes each time the folder list is read again (an opening).
    int folderListGeneration() const { return folderListGeneration_; }
    // The neighbours of the page shown, decoded in the background (next, then prior).
    ReadAhead& readAhead() { return *readAhead_; }

    // Open dialog start folder (from "Dir1") and the last path chosen in it ("" if never).
    void setOpenDialogFolder(const QString& folder) { openFolder_ = folder; }
    const QString& lastOpenPath() const { return lastOpenPath_; }
    // Save As dialog start folder (from "Dir2") and the last path chosen in it.
    void setSaveDialogFolder(const QString& folder) { saveFolder_ = folder; }
    const QString& lastSavePath() const { return lastSavePath_; }

    // "&Open File": asks for a page with the Open dialog, then the save-changes
    // question when there is unsaved work, and opens it; then enables the seven page
    // menu items. Cancel (at either) changes nothing.
    void Openfile();
    // What Open File does with the path chosen in its dialog (also a page dropped
    // on the window): remembers it for the dialog, opens it, enables the page items.
    void openChosen(const QString& path);
    // Full path of the first page ("*.tif*", in list order) of `folder`; "" when none.
    static QString firstPageOf(const QString& folder);
    // Enables the seven page menu items (First, Prior, Next, Last, Save, Save As,
    // Revert), as after Open File; also after an open request.
    void enablePageCommands();
    // Opens the page at full path `path`: its folder becomes the page folder, the
    // folder list is re-read with the page selected (matched without regard to case)
    // and the page is shown by its name as stored. No save-changes prompt.
    void OpenMaster(const QString& path);
    // Shows bare name `name` of the page folder: loads it, applies the view state and
    // white-fill mode, sets the marker box and caption, clears modified. A page that
    // fails to load is still named; the view shows why.
    void display(const QString& name);

    // Saves the page shown over `f` with its markers, settling the end-of-document
    // file of the entry before the selected one first. Returns false (after telling
    // the operator the file and the reason; modified unchanged, nothing written over
    // `f`) when the page could not be written or must not be: a page that failed to
    // load, or was read only in part, is never saved over its own file, nor is a
    // write-protected file replaced. When the page is not written, the end-of-document
    // file is left as it was before the save; a failure to create or delete it is
    // reported and the page is then not written. Before any page was shown it writes
    // nothing and says nothing.
    bool dosave(const QString& f);

    // The save-changes prompt, asked whenever the page shown would be replaced or
    // the run would end with unsaved work (modified not 0): Yes saves with dosave.
    // True when the caller may go on (nothing unsaved, No, or Yes and the save
    // worked); false on Cancel or a failed save, and the work stays.
    bool settleUnsavedWork();

    // The four steps through the folder list: boundary message ("End of Folder.",
    // "Beginning of Folder.") before the save-changes prompt, then the move and the
    // menu states. Cancel, or a failed save at the prompt, keeps everything. With an
    // empty list nothing happens; with no selection Next goes to entry 0 and Prior
    // does nothing.
    void firstimagefile();
    void priorimagefile();
    void nextimagefile();
    void lastimagefile();

    // Moves to list entry `index` (0-based) through gotoPage. An index outside the
    // list does nothing. Returns false when the page shown stayed.
    bool gotoEntry(int index);
    // Go to a page by its number: the save-changes prompt first, then an input box
    // for the number (1 to count); a number outside the folder is refused with a message.
    void goToPageNumber();
    // Every jump to a chosen page (the ruler, the Documents window, entries by
    // index) comes here: the save-changes prompt first (Cancel or a failed save
    // keeps everything), then the page. A page of the folder list is selected and
    // shown with the steps' menu states; any other page is opened. Returns false
    // when the page shown stayed.
    bool gotoPage(const QString& path);

    // "&Save": dosave(currentfile), whatever modified is.
    void save();
    // "Save &As": clears modified, asks for a path (and whether to overwrite an
    // existing file), then dosave(path). A new file gets the shown page's format.
    // When the save is refused or fails, modified is what it was before.
    void saveAs();
    // "&Revert Image": clears modified and shows the page again from its file.
    void revert();

    // Toolbar 1 "Save and Next" and the right mouse button on the page: saves the
    // page shown, then Next; stays on the page when the save failed.
    void saveAndNext();
    // PageMouseButton: the right button runs save and next.
    void pageMouseButton(int button);
    // Mouse released over CheckBOD: modified 0 becomes 2.
    void documentMarkerMouseUp();

    // True while the page shown could not be loaded (dosave then refuses to write it).
    bool pageLoadFailed() const { return pageLoadFailed_; }

  private:
    // Selects list entry `index` and shows it.
    void showEntry(int index);
    // showEntry, then the four menu items by the new position.
    void showAt(int index);
    // An OK message box with the exclamation icon and the program's title.
    void tell(const QString& text);
    // Format and bit depth to write `f` with: its own, or the page shown's for a new file.
    imaging::Status formatForSave(const QString& f, int& format, int& bits);

    SharedState& state_;
    Dialogs& dialogs_;
    MainWindowControls& controls_;
    FileList folderList_;
    QString openFolder_, lastOpenPath_;
    QString saveFolder_, lastSavePath_;
    bool pageLoadFailed_ = false;
    int folderListGeneration_ = 0;
    std::unique_ptr<ReadAhead> readAhead_;
};

}  // namespace leafmark
