// The batch window's six settings: read at every loading, written at unloading.
#include <QCheckBox>
#include <QLineEdit>

#include "batch/ui/FolderTreeModel.h"
#include "batch/ui/ProcessWindowPrivate.h"
#include "shared/Settings.h"
#include "shared/SharedState.h"

namespace leafmark::batch {

namespace {

const QString kBoxKeys[3] = {QStringLiteral("Process1"), QStringLiteral("Process2"),
                             QStringLiteral("Process3")};
constexpr int kBoxIndex[3] = {0, 1, 4};

// Stored box values: 0 clear, 1 ticked, 2 greyed.
Qt::CheckState boxState(int value) {
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}
int boxValue(Qt::CheckState state) {
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

}  // namespace

void ProcessWindowPrivate::loadSettings() {
    const QString& ini = state.inifile;
    for (int k = 0; k < 3; ++k) {
        // A value outside 0..2 (or too large to hold) is refused: the box keeps its state.
        const auto value = readInt16Setting(ini, kBoxKeys[k], QStringLiteral("1"));
        if (value && *value >= 0 && *value <= 2)
            chkProcess[kBoxIndex[k]]->setCheckState(boxState(*value));
    }
    txtMargin->setText(readMarginSetting(ini, QStringLiteral("Margin"), QStringLiteral("0")));
    openFolder(0, readFolderSetting(ini, QStringLiteral("InputDir")));
    openFolder(1, readFolderSetting(ini, QStringLiteral("OutputDir")));
}

void ProcessWindowPrivate::unload() {
    if (unloaded) return;
    unloaded = true;
    const QString& ini = state.inifile;
    // Results ignored on purpose: the window is going, and a setting not written
    // only means the next start shows the one stored before.
    for (int k = 0; k < 3; ++k)
        writeProfileString(ini, kSettingsSection, kBoxKeys[k],
                           QString::number(boxValue(chkProcess[kBoxIndex[k]]->checkState())));
    writeProfileString(ini, kSettingsSection, QStringLiteral("Margin"), txtMargin->text());
    writeProfileString(ini, kSettingsSection, QStringLiteral("InputDir"), model1->openFolder());
    writeProfileString(ini, kSettingsSection, QStringLiteral("OutputDir"), model2->openFolder());
}

}  // namespace leafmark::batch
