// Drives (mounted volumes) and directory lists (folder trees) of the batch window.
// The "current folder" of a volume, per list, is the folder last opened on that
// volume in that list during the program's run; at first the page folder when it
// lies on the volume, else the volume's root.
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>

#include "batch/core/RunText.h"
#include "batch/ui/FolderTreeModel.h"
#include "batch/ui/ProcessWindow.h"
#include "batch/ui/ProcessWindowPrivate.h"
#include "shared/SharedState.h"

namespace leafmark::batch {

namespace {

QString volumeOf(const QString& path) {
    if (path.isEmpty()) return {};
    const QStorageInfo info(path);
    return info.isValid() ? info.rootPath() : QString();
}

QString existingFolder(const QString& path) {
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    if (!info.isDir()) return {};
    return QDir::cleanPath(info.absoluteFilePath());
}

}  // namespace

void ProcessWindowPrivate::fillDrives(QComboBox* drive) {
    const QSignalBlocker quiet(drive);
    drive->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QString root = volume.rootPath();
        if (drive->findData(root) >= 0) continue;
        const QString label = volume.displayName() == root
                                  ? root
                                  : root + QStringLiteral("  [") + volume.displayName() + ']';
        drive->addItem(label, root);
    }
    selectDrive(drive, volumeOf(QDir::rootPath()));
}

void ProcessWindowPrivate::selectDrive(QComboBox* drive, const QString& volumeRoot) {
    int i = drive->findData(volumeRoot);
    if (i < 0 && !volumeRoot.isEmpty()) {  // a volume mounted since the list was filled
        drive->addItem(volumeRoot, volumeRoot);
        i = drive->count() - 1;
    }
    if (i >= 0) drive->setCurrentIndex(i);
}

bool ProcessWindowPrivate::openFolder(int tree, const QString& folder) {
    const QString path = existingFolder(folder);
    if (path.isEmpty()) return false;  // the list stays where it was
    const QString volume = volumeOf(path);
    FolderTreeModel* model = tree == 0 ? model1 : model2;
    QTreeView* view = tree == 0 ? dir1 : dir2;
    QComboBox* drive = tree == 0 ? drive1 : drive2;
    {
        const QSignalBlocker quiet(drive);  // showing the volume is not a drive change
        selectDrive(drive, volume);
    }
    model->setRootPath(volume);
    view->setRootIndex(model->index(volume));
    model->setOpenFolder(path);
    view->setCurrentIndex(model->index(path));
    revealPending[tree] = true;
    revealOpenFolder(tree);
    (tree == 0 ? state.batchSourceFolders : state.batchOutputFolders)[volume] = path;
    return true;
}

void ProcessWindowPrivate::revealOpenFolder(int tree) {
    if (!revealPending[tree]) return;
    FolderTreeModel* model = tree == 0 ? model1 : model2;
    QTreeView* view = tree == 0 ? dir1 : dir2;
    const QModelIndex at = model->index(model->openFolder());
    if (!at.isValid()) return;
    view->scrollTo(at, QAbstractItemView::PositionAtCenter);  // expands its parents
    view->expand(at);
    // Done once the row is laid out; until then each folder the model reads retries.
    if (!view->visualRect(at).isEmpty()) revealPending[tree] = false;
}

QString ProcessWindowPrivate::currentFolderOf(int tree, const QString& volumeRoot) const {
    const auto& remembered = tree == 0 ? state.batchSourceFolders : state.batchOutputFolders;
    const QString last = existingFolder(remembered.value(volumeRoot));
    if (!last.isEmpty()) return last;
    const QString page = existingFolder(state.folderpath);
    if (!page.isEmpty() && volumeOf(page) == volumeRoot) return page;
    return volumeRoot;
}

void ProcessWindowPrivate::sourceDriveChanged() {
    const QString volume = drive1->currentData().toString();
    openFolder(0, currentFolderOf(0, volume));
    {
        const QSignalBlocker quiet(drive2);
        selectDrive(drive2, volume);
    }
    outputDriveChanged();
}

void ProcessWindowPrivate::outputDriveChanged() {
    openFolder(1, currentFolderOf(1, drive2->currentData().toString()));
}

void ProcessWindowPrivate::activate() {
    // Both drives follow the page folder's volume; without a usable page folder
    // they keep their volumes.
    const QString volume = volumeOf(existingFolder(state.folderpath));
    if (!volume.isEmpty()) {
        const QSignalBlocker quiet1(drive1);
        const QSignalBlocker quiet2(drive2);
        selectDrive(drive1, volume);
        selectDrive(drive2, volume);
    }
    if (!pumpEvents()) return;
    openFolder(0, currentFolderOf(0, drive1->currentData().toString()));
    openFolder(1, currentFolderOf(1, drive2->currentData().toString()));
}

void ProcessWindowPrivate::sourcePressed() {
    const QModelIndex selected = dir1->currentIndex();
    const QString folder = selected.isValid() ? model1->filePath(selected) : model1->openFolder();
    if (folder.isEmpty()) return;
    file1.read(folder, kPageAndEodPatterns);
    openFolder(1, folder);
}

}  // namespace leafmark::batch
