// Opening a page and its folder, and showing a page of the folder.
#include "imaging/widget/PageView.h"
#include "pages/PageMarkers.h"
#include "pages/PageRecords.h"
#include "pages/ReadAhead.h"
#include "view/ViewCommands.h"
#include "shared/ViewMapping.h"
#include "shared/NativePath.h"

#include <QFileInfo>
#include <cstdint>
#include <limits>

namespace leafmark {

namespace {

// The Open dialog's filter; file dialogs match patterns case-sensitively here, so
// the usual spellings of the extension are all listed.
const QString kOpenFilter = QStringLiteral("TIFF Files (*.tif* *.TIF* *.Tif*)");
const QString kFolderPattern = QStringLiteral("*.tif*");

}  // namespace

void PageRecords::Openfile() {
    // The dialog starts where the operator last chose a file in this run.
    const QString start =
        lastOpenPath_.isEmpty() ? openFolder_ : QFileInfo(lastOpenPath_).absolutePath();
    const std::optional<QString> chosen =
        dialogs_.openFile(controls_.ownerWindow(), kOpenFilter, start);
    if (!chosen) return;
    openChosen(*chosen);
}

void PageRecords::openChosen(const QString& path) {
    // The page shown is not replaced over unsaved work without asking.
    if (!settleUnsavedWork()) return;
    lastOpenPath_ = path;
    OpenMaster(path);
    enablePageCommands();
}

void PageRecords::enablePageCommands() {
    for (PageMenuItem item : {PageMenuItem::First, PageMenuItem::Last, PageMenuItem::Next,
                              PageMenuItem::Prior, PageMenuItem::Save, PageMenuItem::SaveAs,
                              PageMenuItem::Revert}) {
        controls_.setMenuEnabled(item, true);
    }
}

QString PageRecords::firstPageOf(const QString& folder) {
    FileList list;
    list.read(folder, kFolderPattern);
    list.exclude(kEndOfDocumentSuffix);
    if (list.count() == 0) return QString();
    return (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + list.at(0);
}

void PageRecords::OpenMaster(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QString givenName;
    if (slash >= 0) {
        state_.folderpath = path.left(slash);
        givenName = path.mid(slash + 1);
    }
    const QString pageName = givenName.toUpper();

    // A page in the root folder leaves an empty folder path; the list reads "/" then.
    const QString listFolder =
        state_.folderpath.isEmpty() && slash == 0 ? QStringLiteral("/") : state_.folderpath;
    folderList_.read(listFolder, kFolderPattern);
    // An end-of-document file is never a page, even where its name matches the
    // pattern (the one of "z.tif.bak" is "z.tifZZZ.EOD").
    folderList_.exclude(kEndOfDocumentSuffix);
    ++folderListGeneration_;

    // Names match without regard to case, but the file is opened by its stored name.
    QString shownName = givenName;
    for (int i = 0; i < folderList_.count(); ++i) {
        if (folderList_.at(i).toUpper() == pageName) {
            folderList_.select(i);
            shownName = folderList_.at(i);
            break;
        }
    }
    display(shownName);

    if (!controls_.toolbarEnabled(1)) controls_.enablePageButtons();
}

void PageRecords::display(const QString& name) {
    state_.modified = 0;
    const QString& folder = state_.folderpath;
    state_.currentfile =
        folder + (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + name;

    imaging::PageView& view = controls_.pageView();
    view.setPaintWhileLoading(false);
    // A failed load leaves the view empty with the reason shown inside it; the flag
    // keeps any later save from writing that empty page over the file.
    // A neighbour read ahead (and unchanged on disk since) only needs painting.
    const std::string file = enginePath(state_.currentfile);
    if (std::unique_ptr<imaging::PageEngine> ready = readAhead_->take(file)) {
        view.showLoadedPage(*ready);
        pageLoadFailed_ = false;
    } else {
        pageLoadFailed_ = !view.LoadPage(file).ok();
    }

    view.setBitonalDisplay(bitonalDisplayFor(state_.bitonalmode));
    const int sizeMode = sizeModeFor(state_.windowmode);
    if (sizeMode == 4) {
        view.setAutoLayout(true);
        view.setSizeMode(4);
        if (auto zoom = actualSizeZoom(view.engine().XResolution(), state_.magfactor))
            view.setZoomPercent(*zoom);
    } else {
        view.setSizeMode(sizeMode);
    }

    ViewCommands::applyWhiteFillAfterLoad(view, controls_.whiteFillChecked());
    view.setAutoLayout(true);
    view.Repaint();
    view.setViewReady(true);

    const QString slot3 = QString::fromStdString(imaging::PageEngine::ReadComment(
        enginePath(state_.currentfile), 1, imaging::kSlotDocumentMarker));
    controls_.setDocumentMarkerTicked(isDocumentMarker(slot3));

    controls_.setCaption(state_.captionprefix + QStringLiteral("  ") + shownPath(state_.currentfile) +
                         QStringLiteral(" (") +
                         QString::number(folderList_.selectedIndex() + 1) +
                         QStringLiteral(" of ") + QString::number(folderList_.count()) +
                         QStringLiteral(")"));

    std::vector<std::string> neighbours;
    const int selected = folderList_.selectedIndex();
    if (selected >= 0) {
        const QString dir = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        for (int i : {selected + 1, selected - 1})
            if (i >= 0 && i < folderList_.count())
                neighbours.push_back(enginePath(dir + folderList_.at(i)));
    }
    readAhead_->want(neighbours);
    controls_.pageShown();
}

}  // namespace leafmark
