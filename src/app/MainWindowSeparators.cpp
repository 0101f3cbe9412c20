// Separator sheets in the main window: the pages of a folder are read for them in
// the background when the folder opens; the document starts they propose show in
// the status strip and the folder ruler, P takes the one on the page shown as a
// click on the marker box would, and N / Shift+N go to the next or previous one.
// Which pages are separators is the operator's choice (S), kept in the settings file.
#include "app/DocumentMarkerButton.h"
#include "app/MainWindow.h"
#include "app/StatusStrip.h"
#include "pages/FolderProposals.h"
#include "pages/PageRecords.h"
#include "pages/SeparatorRuleChoice.h"
#include "shared/SeparatorSettings.h"

namespace leafmark::app {

void MainWindow::buildProposals() {
    proposals_ = new FolderProposals(marks_, this);
    strip_->ruler().setProposals(proposals_);
    connect(proposals_, &FolderProposals::changed, this, [this] { refreshStatus(); });
}

void MainWindow::acceptProposal() {
    const int index = pages_->folderList().selectedIndex();
    if (!checkBod_->isEnabled() || !proposals_->proposed(index)) return;
    if (!checkBod_->isChecked()) {
        clickDocumentMarker();
    } else {
        // Already ticked (the file carries the marker but the page before has no
        // end-of-document file): a click would clear it, so only the release of the
        // mouse on the box is run, which makes the save write the missing file.
        pages_->documentMarkerMouseUp();
    }
    refreshStatus();
}

void MainWindow::goToProposal(int step) {
    const int target = proposals_->nextProposed(pages_->folderList().selectedIndex(), step);
    if (target >= 0) pages_->gotoEntry(target);
    refreshStatus();
}

void MainWindow::useSeparatorSettings(const SeparatorSettings& settings) {
    const SeparatorRuleChoice choice = separatorRuleChoice(settings);
    separatorSettings_ = settings;
    separatorProblems_.clear();
    for (const SeparatorSettingProblem& problem : choice.problems)
        separatorProblems_ << problem.text();
    proposals_->setRule(choice.rule, choice.symbologies);
}

void MainWindow::showSeparatorSettings() {
    const QString title = QStringLiteral("Separator sheets");
    SeparatorSettings shown = separatorSettings_;
    for (;;) {
        const std::optional<SeparatorSettings> chosen = dialogs_.separatorSettings(this, shown);
        if (!chosen) break;
        const SeparatorRuleChoice choice = separatorRuleChoice(*chosen);
        if (choice.problems.isEmpty()) {
            if (!writeSeparatorSettings(state_.inifile, *chosen))
                dialogs_.message(this,
                                 QStringLiteral("The separator settings could not be stored in "
                                                "%1. They apply until Leafmark ends.")
                                     .arg(state_.inifile),
                                 MsgButtons::Ok, MsgIcon::Exclamation, title);
            useSeparatorSettings(*chosen);
            break;
        }
        QStringList faults;
        for (const SeparatorSettingProblem& problem : choice.problems) faults << problem.fault;
        dialogs_.message(this,
                         faults.join(QLatin1Char('\n')) +
                             QStringLiteral("\n\nThe separator settings stay as they were."),
                         MsgButtons::Ok, MsgIcon::Exclamation, title);
        shown = *chosen;  // shown again as typed, to be corrected
    }
    refreshStatus();
}

QString MainWindow::proposalStatus() const {
    const FolderProposals& p = *proposals_;
    const int index = pages_->folderList().selectedIndex();
    QStringList parts = separatorProblems_;
    if (p.separator(index)) parts << QStringLiteral("separator sheet: ") + p.why(index);
    if (p.proposed(index))
        parts << QStringLiteral("proposed start (P takes it)");
    else if (p.agrees(index))
        parts << QStringLiteral("start agrees with the separator sheet");
    else if (p.proposedCount() > 0)
        parts << QStringLiteral("%1 proposed start%2 (N goes to the next)")
                     .arg(p.proposedCount())
                     .arg(p.proposedCount() == 1 ? QString() : QStringLiteral("s"));
    return parts.join(QStringLiteral("  |  "));
}

}  // namespace leafmark::app
