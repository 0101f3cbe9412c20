#pragma once
// The batch window "Leafmark Process": source and output folders, the pre-process
// choices with the margin width, the two Run buttons, the progress bar and the ESC
// stop request. It deletes itself when closed; unloading writes its six settings.

#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace leafmark {

struct SharedState;
class Dialogs;

namespace batch {
class ProcessWindowPrivate;
}

class ProcessWindow : public QWidget {
    Q_OBJECT
  public:
    // Loads the window: centres it, restores the choices from the settings file
    // (state.inifile). Sets Qt::WA_DeleteOnClose. `state` and `dialogs` must outlive it.
    ProcessWindow(SharedState& state, Dialogs& dialogs, QWidget* parent = nullptr);
    ~ProcessWindow() override;

    // True while a pre- or post-process run is in progress.
    bool isRunning() const;

    // During a run: asks it to stop, waits (processing events) until the pages in
    // progress are finished, then unloads and closes. Without a run: unloads and closes.
    void stopAndUnload();
    // During a run: asks it to stop and waits (processing events) until the pages in
    // progress are finished; the window stays open and is not unloaded.
    void stopRun();

    // The click on Command1(index): index 1 post-process, any other pre-process. Asks
    // for confirmation, starts the run and returns; runFinished() tells when it ended.
    // Ignored while a run is in progress.
    void Run(int index);
    // Worker threads of the next runs; 0 (the default) = one per processor core.
    void setWorkerCount(int workers);

    // ---- controls, for the main window's tests and for this window's own tests ----
    QCheckBox* processBox(int index) const;   // chkProcess(0), (1) or (4); null otherwise
    QLineEdit* marginBox() const;             // txtMargin
    QPushButton* runButton(int index) const;  // Command1(0) or Command1(1)
    QPushButton* closeButton() const;         // Command2
    QComboBox* sourceDrive() const;           // Drive1
    QComboBox* outputDrive() const;           // Drive2
    QTreeView* sourceTree() const;            // Dir1
    QTreeView* outputTree() const;            // Dir2
    QLabel* progressBar() const;              // Progressbar
    QLabel* progressBox() const;              // Progressbox
    QLabel* stopLabel() const;                // Label5

    // Open folders of Dir1 / Dir2 (absolute paths, no trailing separator but for "/").
    QString sourceFolder() const;
    QString outputFolder() const;
    // Opens `folder` in Dir1 / Dir2 (and selects its volume); a folder that does not
    // exist leaves the list where it was. Returns whether the folder was opened.
    bool openSourceFolder(const QString& folder);
    bool openOutputFolder(const QString& folder);
    // The folder the hidden page list (File1) points at.
    QString pageListFolder() const;

    // Pages a run could not process (load or save failed), by name, of the last run.
    QStringList lastFailures() const;

  signals:
    // Emitted after each page result is committed during a run: done pages, total
    // pages (end-of-document files excluded), name of the page.
    void pageDone(int done, int total, const QString& name);
    // Emitted when a run has ended (completed or stopped).
    void runFinished(bool completed);

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class batch::ProcessWindowPrivate;
    std::unique_ptr<batch::ProcessWindowPrivate> d_;
};

}  // namespace leafmark
