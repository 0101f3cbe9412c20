// Opening a page and its folder, and showing a page of the folder.
#include <QFileInfo>
#include <cstdint>
#include <limits>

#include "imaging/engine/Leftovers.h"
#include "imaging/widget/PageView.h"
#include "pages/PageRecords.h"
#include "pages/ReadAhead.h"
#include "shared/NativePath.h"
#include "shared/PageFiles.h"
#include "view/ViewMapping.h"

namespace leafmark {

namespace {

// The Open dialog's filter; file dialogs match patterns case-sensitively here, so
// the usual spellings of the extension are all listed.
const QString kOpenFilter = QStringLiteral("TIFF Files (*.tif* *.TIF* *.Tif*)");

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
    for (PageMenuItem item :
         {PageMenuItem::First, PageMenuItem::Last, PageMenuItem::Next, PageMenuItem::Prior,
          PageMenuItem::Save, PageMenuItem::SaveAs, PageMenuItem::Revert}) {
        controls_.setMenuEnabled(item, true);
    }
}

QString PageRecords::firstPageOf(const QString& folder) {
    FileList list;
    list.read(folder, kPagePattern);
    list.exclude(kEndOfDocumentSuffix);
    if (list.count() == 0) return QString();
    return withSeparator(folder) + list.at(0);
}

void PageRecords::OpenMaster(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QString givenName;
    if (slash >= 0) {
        state_.folderpath = path.left(slash);
        givenName = path.mid(slash + 1);
    }

    // A page in the root folder leaves an empty folder path; the list reads "/" then.
    const QString listFolder =
        state_.folderpath.isEmpty() && slash == 0 ? QStringLiteral("/") : state_.folderpath;
    // An end-of-document file that a killed save had moved aside is put back before
    // the folder's markers are read (only when no live process writes there).
    imaging::sweepLeftovers(enginePath(listFolder));
    folderList_.read(listFolder, kPagePattern);
    // An end-of-document file is never a page, even where its name matches the
    // pattern (the one of "z.tif.bak" is "z.tifZZZ.EOD").
    folderList_.exclude(kEndOfDocumentSuffix);
    ++folderListGeneration_;

    // Names match without regard to case, but the file is opened by its stored
    // name; the page of exactly the given name wins over one differing in case.
    QString shownName = givenName;
    int found = static_cast<int>(folderList_.names().indexOf(givenName));
    if (found < 0) {
        const QString pageName = foldedName(givenName);
        for (int i = 0; i < folderList_.count() && found < 0; ++i)
            if (foldedName(folderList_.at(i)) == pageName) found = i;
    }
    if (found >= 0) {
        folderList_.select(found);
        shownName = folderList_.at(found);
    }
    display(shownName);

    if (!controls_.toolbarEnabled(1)) controls_.enablePageButtons();
}

void PageRecords::display(const QString& name) {
    state_.modified = kUnmodified;
    const QString& folder = state_.folderpath;
    state_.currentfile = withSeparator(folder) + name;

    imaging::PageView& view = controls_.pageView();
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

    applyViewState(view, state_);
    applyWhiteFill(view, controls_.whiteFillChecked());

    const QString slot3 =
        QString::fromStdString(imaging::PageEngine::ReadComment(enginePath(state_.currentfile), 1,
                                                                imaging::kSlotDocumentMarker)
                                   .value_or(""));
    controls_.setDocumentMarkerTicked(isDocumentMarker(slot3));

    controls_.setCaption(state_.captionprefix + QStringLiteral("  ") +
                         shownPath(state_.currentfile) + QStringLiteral(" (") +
                         QString::number(folderList_.selectedIndex() + 1) + QStringLiteral(" of ") +
                         QString::number(folderList_.count()) + QStringLiteral(")"));

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
