#pragma once
// The batch window's controls and handlers. Split by concern over several files:
// layout (ProcessWindowLayout.cpp), folders and drives (ProcessWindowFolders.cpp),
// settings (ProcessWindowSettings.cpp) and the run (ProcessWindowRun.cpp).

#include <QPointer>
#include <QString>

#include "batch/core/RunReport.h"
#include "batch/core/RunTypes.h"
#include "batch/ui/ProcessWindow.h"
#include "shared/FileList.h"

class QGroupBox;

namespace leafmark::batch {

class BatchRun;
class FolderTreeModel;

class ProcessWindowPrivate {
  public:
    ProcessWindowPrivate(ProcessWindow& window, SharedState& state, Dialogs& dialogs);

    // ---- layout ----
    int twips(int t) const;  // twips to pixels at the screen's logical dpi
    void buildControls();
    void setFocusOrder();
    void centre();

    // ---- folders and drives ----
    void fillDrives(QComboBox* drive);
    // Opens `folder` in the list (tree 0 = Dir1, 1 = Dir2) and remembers it as the
    // current folder of its volume; false when it is not an existing folder.
    bool openFolder(int tree, const QString& folder);
    QString currentFolderOf(int tree, const QString& volumeRoot) const;
    // Scrolls the open folder of a list into view once the model has read its parents.
    void revealOpenFolder(int tree);
    void selectDrive(QComboBox* drive, const QString& volumeRoot);
    void sourceDriveChanged();
    void outputDriveChanged();
    void activate();
    void sourcePressed();

    // Lets pending window events be processed. A close that arrives meanwhile does
    // not delete the window under the caller: its deletion waits until no handler of
    // this window is pumping events. Returns false when the window was closed
    // meanwhile, and then the caller touches nothing more of it.
    bool pumpEvents();
    // Around a handler that waits in a nested loop (a message box, a run's end).
    struct PumpScope {
        explicit PumpScope(ProcessWindowPrivate& d);
        ~PumpScope();
        ProcessWindowPrivate& d;
    };

    // ---- settings ----
    void loadSettings();
    void unload();

    // ---- the run ----
    PageOptions currentOptions() const;
    void run(int index);
    void pageCommitted(const PageOutcome& outcome);
    void runFinished(bool completed);
    double fullBarWidth() const;

    ProcessWindow& w;
    SharedState& state;
    Dialogs& dialogs;

    // The form's controls by their names: a list of pointers, alike in shape only to others.
    QGroupBox* frame3 = nullptr;  // SOURCE
    QGroupBox* frame4 = nullptr;  // OUTPUT
    QGroupBox* frame1 = nullptr;  // Pre-Process
    QGroupBox* frame2 = nullptr;  // Post-Process
    QComboBox* drive1 = nullptr;
    QComboBox* drive2 = nullptr;
    QTreeView* dir1 = nullptr;
    QTreeView* dir2 = nullptr;
    FolderTreeModel* model1 = nullptr;
    FolderTreeModel* model2 = nullptr;
    QCheckBox* chkProcess[5] = {};  // members 0, 1 and 4
    QLineEdit* txtMargin = nullptr;
    QPushButton* command1[2] = {};
    QPushButton* command2 = nullptr;
    QLabel* image1 = nullptr;
    QLabel* progressbox = nullptr;
    QLabel* progressbar = nullptr;
    QLabel* label5 = nullptr;

    FileList file1;  // the page list of a run (never shown)
    QPointer<BatchRun> activeRun;
    int workers = 0;     // 0 = one per core
    double barFull = 0;  // F of the run in progress, pixels
    int last = 0;        // index of the last entry of the run's list
    int pagesDone = 0;
    int pagesTotal = 0;
    QString runOutput;           // output folder of the run in progress or last run
    QStringList failures;        // of the last run
    ReportWriter report;         // the run report in the output folder, while a run lasts
    bool closeAfterRun = false;  // Close pressed or frame closed during a run
    bool quietStop = false;      // the stop was asked by closing: no "Process aborted."
    bool unloaded = false;
    int pumping = 0;              // handlers of this window now pumping events
    bool deleteDeferred = false;  // a deletion arrived while pumping; posted again after
    bool revealPending[2] = {false, false};
};

}  // namespace leafmark::batch
