// Moving through the page folder: First, Prior, Next and Last with the
// save-changes prompt and the enabled states of the four menu items.
//
// The steps walk the folder list as it was read when the page was opened. With an
// empty list they do nothing. With no entry selected (the page opened is not in the
// list), Next, First and Last move to their usual entry (Next to entry 0) and Prior
// does nothing, since no page comes before an unlisted one.
#include <QFileInfo>

#include "pages/PageRecords.h"
#include "shared/AppInfo.h"

namespace leafmark {

bool PageRecords::settleUnsavedWork() {
    if (state_.modified == kUnmodified) return true;
    const MsgAnswer answer = dialogs_.message(
        controls_.ownerWindow(),
        QStringLiteral("The image has been modified.  Do you wish to save the changes?"),
        MsgButtons::YesNoCancel, MsgIcon::Question, kAppTitle);
    if (answer == MsgAnswer::Yes) {
        // A save that failed has told the operator why; the page stays shown with its work.
        if (!dosave(state_.currentfile)) return false;
        state_.modified = kUnmodified;
        return true;
    }
    return answer == MsgAnswer::No;
}

void PageRecords::showEntry(int index) {
    folderList_.select(index);
    display(folderList_.at(index));
}

void PageRecords::firstimagefile() {
    if (folderList_.count() == 0) return;
    if (!settleUnsavedWork()) return;
    state_.modified = kUnmodified;
    showEntry(0);
    controls_.setMenuEnabled(PageMenuItem::First, false);
    controls_.setMenuEnabled(PageMenuItem::Prior, true);
    controls_.setMenuEnabled(PageMenuItem::Next, true);
    controls_.setMenuEnabled(PageMenuItem::Last, true);
}

void PageRecords::lastimagefile() {
    if (folderList_.count() == 0) return;
    if (!settleUnsavedWork()) return;
    state_.modified = kUnmodified;
    showEntry(folderList_.count() - 1);
    controls_.setMenuEnabled(PageMenuItem::Last, false);
    controls_.setMenuEnabled(PageMenuItem::First, true);
    controls_.setMenuEnabled(PageMenuItem::Next, true);
    controls_.setMenuEnabled(PageMenuItem::Prior, true);
}

void PageRecords::nextimagefile() {
    const int count = folderList_.count();
    if (count == 0) return;
    const int selected = folderList_.selectedIndex();
    // The boundary comes before the prompt: the page and its unsaved work stay as they are.
    if (selected == count - 1) {
        tell(QStringLiteral("End of Folder."));
        return;
    }
    if (!settleUnsavedWork()) return;
    state_.modified = kUnmodified;
    const int i = selected + 1;
    showEntry(i);
    if (i == count - 1) {
        controls_.setMenuEnabled(PageMenuItem::Next, false);
    } else {
        controls_.setMenuEnabled(PageMenuItem::First, true);
        controls_.setMenuEnabled(PageMenuItem::Prior, true);
        controls_.setMenuEnabled(PageMenuItem::Last, true);
    }
}

void PageRecords::priorimagefile() {
    const int selected = folderList_.selectedIndex();
    if (folderList_.count() == 0 || selected < 0) return;
    if (selected == 0) {
        tell(QStringLiteral("Beginning of Folder."));
        return;
    }
    if (!settleUnsavedWork()) return;
    state_.modified = kUnmodified;
    const int i = selected - 1;
    showEntry(i);
    if (i == 0) {
        controls_.setMenuEnabled(PageMenuItem::Prior, false);
    } else {
        controls_.setMenuEnabled(PageMenuItem::First, true);
        controls_.setMenuEnabled(PageMenuItem::Next, true);
        controls_.setMenuEnabled(PageMenuItem::Last, true);
    }
}

bool PageRecords::gotoPage(const QString& path) {
    if (!settleUnsavedWork()) return false;
    state_.modified = kUnmodified;
    const QFileInfo file(path);
    int index = -1;
    if (QFileInfo(folderList_.folder()) == QFileInfo(file.path())) {
        const QStringList& names = folderList_.names();
        for (int i = 0; i < names.size() && index < 0; ++i)
            if (names[i] == file.fileName()) index = i;
    }
    if (index < 0) {
        OpenMaster(path);
        return true;
    }
    showAt(index);
    return true;
}

}  // namespace leafmark

namespace leafmark {

void PageRecords::showAt(int index) {
    showEntry(index);
    const int last = folderList_.count() - 1;
    controls_.setMenuEnabled(PageMenuItem::First, index > 0);
    controls_.setMenuEnabled(PageMenuItem::Prior, index > 0);
    controls_.setMenuEnabled(PageMenuItem::Next, index < last);
    controls_.setMenuEnabled(PageMenuItem::Last, index < last);
}

bool PageRecords::gotoEntry(int index) {
    if (index < 0 || index >= folderList_.count()) return false;
    QString folder = folderList_.folder();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return gotoPage(folder + folderList_.at(index));
}

void PageRecords::goToPageNumber() {
    const int count = folderList_.count();
    if (count == 0) return;
    if (!settleUnsavedWork()) return;
    const std::optional<QString> answer = dialogs_.input(
        controls_.ownerWindow(), QStringLiteral("Page number (1 to %1):").arg(count),
        QStringLiteral("Go To Page"), QString::number(folderList_.selectedIndex() + 1));
    if (!answer) return;
    bool ok = false;
    const int number = answer->trimmed().toInt(&ok);
    if (!ok || number < 1 || number > count) {
        tell(QStringLiteral("There is no page %1 in this folder.").arg(answer->trimmed()));
        return;
    }
    state_.modified = kUnmodified;
    showAt(number - 1);
}

}  // namespace leafmark
