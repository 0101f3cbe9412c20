// Saving the page shown with its markers; Save, Save As, Revert, save and next,
// and the document marker box's mouse handler.
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/engine/FileAccess.h"
#include "imaging/engine/Leftovers.h"
#include "imaging/widget/PageView.h"
#include "pages/PageRecords.h"
#include "shared/AppInfo.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"

namespace leafmark {

namespace {

const QString kSaveFilter = QStringLiteral("TIFF Files (*.tif);;All Files (*)");

QString reasonText(const imaging::Status& status) {
    return QString::fromStdString(status.reason());
}

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Moves an end-of-document file aside under a hidden name in its folder, so that a
// page save that fails can put it back. Empty (errno set) when it could not be moved.
QString parkEndOfDocumentFile(const QString& eodPath) {
    const QFileInfo eod(eodPath);
    // The hidden name is reserved on the bytes of the name on disk (Qt's temporary
    // files cannot carry bytes that are not UTF-8), so a killed save's leftover can be
    // put back under exactly its own name.
    std::string name = imaging::temporaryTemplateFor(enginePath(eod.absoluteFilePath()));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return {};
    ::close(fd);
    const QString parked = fromNativePath(QByteArray::fromStdString(name));
    if (!renameFile(eodPath, parked)) {
        const int err = errno;
        removeFile(parked);
        errno = err;
        return {};
    }
    return parked;
}

}  // namespace

imaging::Status PageRecords::formatForSave(const QString& f, int& format, int& bits) {
    imaging::PageEngine& engine = controls_.pageView().engine();
    if (pathExists(f)) {
        // Replacing a file: it keeps its own stored format and depth.
        imaging::Status info = engine.ReadFileInfo(enginePath(f));
        if (!info.ok()) return info;
    } else if (!engine.ReadFileInfo(enginePath(state_.currentfile)).ok()) {
        // A new file takes the form of the page shown; when its file has gone since,
        // the form it was loaded in.
        format = engine.loadedFormat();
        bits = engine.loadedBitDepth();
        if (format > 0 && bits > 0) return imaging::Status::success();
        return imaging::Status::failure("The format of the page shown is not known.");
    }
    bits = engine.StoredBitDepth();
    format = engine.StoredFormat();
    return imaging::Status::success();
}

bool PageRecords::dosave(const QString& f) {
    // Nothing has been shown yet (the right mouse button before any opening): no file to write.
    if (f.isEmpty() || state_.currentfile.isEmpty()) return false;
    imaging::PageEngine& engine = controls_.pageView().engine();
    if (pageLoadFailed_ || !engine.hasImage()) {
        tell(QStringLiteral("The page %1 could not be loaded, so it is not saved.")
                 .arg(state_.currentfile));
        return false;
    }
    // A page read only in part would lose the rest of its file if written back over it.
    if (engine.damaged() && QFileInfo(f) == QFileInfo(state_.currentfile)) {
        tell(QStringLiteral("The page %1 could only be read in part (%2), so it is not saved "
                            "over its file.")
                 .arg(state_.currentfile, QString::fromStdString(engine.damageReason())));
        return false;
    }

    // A file the operator protected against writing is never replaced.
    if (imaging::isWriteProtected(enginePath(f))) {
        tell(QStringLiteral("The page %1 is write-protected, so it is not saved.").arg(f));
        return false;
    }

    state_.folderpath = withSeparator(state_.folderpath);
    // What a killed save or run left in the folders written goes first; while this
    // save has a file moved aside or half-written there, the folders are in use.
    const std::string pageFolder = enginePath(QFileInfo(f).absolutePath());
    const std::string markerFolder = enginePath(QDir::cleanPath(state_.folderpath));
    imaging::sweepLeftovers(pageFolder);
    if (markerFolder != pageFolder) imaging::sweepLeftovers(markerFolder);
    const imaging::FolderInUse markerFolderInUse(markerFolder);

    // The end-of-document file of the entry before the page is settled first. It
    // changes together with the page: when the page is not written, it is put back.
    const int selected = folderList_.selectedIndex();
    const QString eodPath = endOfDocumentPath(state_.folderpath, folderList_.at(selected - 1));
    const bool ticked = controls_.documentMarkerTicked();
    bool eodCreated = false;
    QString eodParked;  // where the removed end-of-document file waits until the page is written
    if (selected > 0 && !eodPath.isEmpty()) {
        const bool exists = pathExists(eodPath);
        if (ticked && !exists) {
            if (!writeEndOfDocumentFile(eodPath)) {
                tell(QStringLiteral("The end-of-document file %1 could not be created, so the page "
                                    "is not saved.")
                         .arg(eodPath));
                return false;
            }
            eodCreated = true;
        } else if (!ticked && exists) {
            eodParked = parkEndOfDocumentFile(eodPath);
            if (eodParked.isEmpty()) {
                tell(QStringLiteral("The end-of-document file %1 could not be deleted (%2), so the "
                                    "page is not saved.")
                         .arg(eodPath, errnoText(errno)));
                return false;
            }
        }
    }

    engine.SetComment(imaging::kSlotDocumentMarker,
                      ticked ? kDocumentMarker.toStdString() : std::string());
    // The change marker is sticky: a file that carries it keeps it on every save.
    const bool changed =
        imaging::PageEngine::ReadComment(enginePath(f), 1, imaging::kSlotChangeMarker) ==
            kChangeMarker.toStdString() ||
        state_.modified == kImageEdited;
    engine.SetComment(imaging::kSlotChangeMarker,
                      changed ? kChangeMarker.toStdString() : std::string());

    const std::int16_t modifiedBefore = state_.modified;
    state_.modified = kUnmodified;

    int format = 0;
    int bits = 0;
    imaging::Status status = formatForSave(f, format, bits);
    if (status.ok()) status = engine.SavePage(enginePath(f), format, bits);
    if (!status.ok()) {
        // The old file is whole (the write is atomic); the work stays unsaved, and the
        // end-of-document file goes back to what it was, in step with the page
        // (best effort: a parked file left behind is put back by the next leftover sweep).
        if (eodCreated) removeFile(eodPath);
        if (!eodParked.isEmpty()) renameFile(eodParked, eodPath);
        state_.modified = modifiedBefore;
        dialogs_.message(
            controls_.ownerWindow(),
            QStringLiteral("The page could not be saved to %1.\n\n%2").arg(f, reasonText(status)),
            MsgButtons::Ok, MsgIcon::Exclamation, kAppTitle);
        return false;
    }
    if (!eodParked.isEmpty()) QFile::remove(eodParked);
    controls_.pageSaved(f);
    return true;
}

void PageRecords::save() { dosave(state_.currentfile); }

void PageRecords::saveAs() {
    const std::int16_t modifiedBefore = state_.modified;
    state_.modified = kUnmodified;
    // The dialog starts where the operator last saved in this run.
    const QString start =
        lastSavePath_.isEmpty() ? saveFolder_ : QFileInfo(lastSavePath_).absolutePath();
    const std::optional<QString> chosen =
        dialogs_.saveFile(controls_.ownerWindow(), kSaveFilter, start, QString());
    if (!chosen || chosen->isEmpty()) return;
    lastSavePath_ = *chosen;

    const QFileInfo target(*chosen);
    // A folder is no file to overwrite, nor is a write-protected file: the save
    // itself then reports it.
    if (target.exists() && !target.isDir() && target.fileName().size() > 1 &&
        !imaging::isWriteProtected(enginePath(*chosen))) {
        const MsgAnswer answer = dialogs_.message(
            controls_.ownerWindow(),
            target.fileName().toUpper() + QStringLiteral(" file already exists.  OK to overwrite?"),
            MsgButtons::YesNoCancel, MsgIcon::Question, kAppTitle);
        if (answer != MsgAnswer::Yes) return;
    }
    // A save that was refused or failed wrote nothing: the work is still unsaved.
    if (!dosave(*chosen)) state_.modified = modifiedBefore;
}

void PageRecords::revert() {
    state_.modified = kUnmodified;
    if (state_.currentfile.isEmpty()) return;
    display(state_.currentfile.mid(state_.currentfile.lastIndexOf(QLatin1Char('/')) + 1));
}

void PageRecords::saveAndNext() {
    // A page that could not be written is not left behind.
    if (dosave(state_.currentfile)) nextimagefile();
}

void PageRecords::pageMouseButton(int button) {
    if (button == imaging::kMouseRight) saveAndNext();
}

void PageRecords::documentMarkerMouseUp() {
    if (state_.modified == kUnmodified) state_.modified = kMarkerChanged;
}

}  // namespace leafmark
