#pragma once
// The main window's page records: opening a page and its folder, showing a page,
// moving through the folder, saving with the document and change markers, and
// Save / Save As / Revert.

#include "imaging/engine/Status.h"
#include "pages/MainWindowControls.h"
#include "shared/Dialogs.h"
#include "shared/FileList.h"
#include "shared/SharedState.h"

#include <QString>

namespace leafmark {

class PageRecords {
public:
    PageRecords(SharedState& state, Dialogs& dialogs, MainWindowControls& controls);

    // The folder list (File1): the page folder's "*.tif*" names.
    const FileList& folderList() const { return folderList_; }

    // Open dialog start folder (from "Dir1") and the last path chosen in it ("" if never).
    void setOpenDialogFolder(const QString& folder) { openFolder_ = folder; }
    const QString& lastOpenPath() const { return lastOpenPath_; }
    // Save As dialog start folder (from "Dir2") and the last path chosen in it.
    void setSaveDialogFolder(const QString& folder) { saveFolder_ = folder; }
    const QString& lastSavePath() const { return lastSavePath_; }

    void Openfile();
    void OpenMaster(const QString& path);
    void display(const QString& name);

    // Saves the page shown over `f` with its markers. Returns false (after telling
    // the operator the file and the reason) when the page could not be written.
    bool dosave(const QString& f);

    void firstimagefile();
    void priorimagefile();
    void nextimagefile();
    void lastimagefile();

    void save();    // "&Save"
    void saveAs();  // "Save &As"
    void revert();  // "&Revert Image"

    // Toolbar 1 "Save and Next" and the right mouse button on the page.
    void saveAndNext();
    // PageMouseButton: button 2 (right) runs save and next.
    void pageMouseButton(int button);
    // Mouse released over CheckBOD: modified 0 becomes 2.
    void documentMarkerMouseUp();

    // True while the page shown could not be loaded (dosave then refuses to write it).
    bool pageLoadFailed() const { return pageLoadFailed_; }

private:
    // The save-changes prompt when there is unsaved work. True when the step may go
    // on (No, or Yes and the save succeeded); false on Cancel or a failed save.
    bool settleUnsavedWork();
    // Selects list entry `index` and shows it.
    void showEntry(int index);
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
};

}  // namespace leafmark
