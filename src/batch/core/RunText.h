#pragma once
// The fixed texts of a batch run: the confirmation question, the stop and failure
// messages, and the command's summary line.

#include <QString>

#include "batch/core/RunTypes.h"
#include "shared/PageFiles.h"

namespace leafmark::batch {

inline const QString kProcessCaption = QStringLiteral("Leafmark Process");
inline const QString kAbortedText = QStringLiteral("Process aborted.");
inline const QString kCompletedText = QStringLiteral("Completed");
inline const QString kStopHint = QStringLiteral("Press ESC key to stop.");
// The two folder lines that end every confirmation (CR LF separated, as shown).
QString folderLines(const QString& source, const QString& output);

// The confirmation question of a run: for the pre-process it names the ticked
// operations in the order Despeckle, Deskew, Margin Cleanup. Folders as given.
QString confirmationText(RunKind kind, const PageOptions& options, const QString& source,
                         const QString& output);

// The message listing the pages a run could not process (empty when none).
QString failureReport(const QStringList& failed);

// Told when the window is closed during a run: the run stopped, and how many of
// the pages (end-of-document files not counted) were written into `output`.
QString closedDuringRunText(int written, int total, const QString& output);

// One line: pages processed, copied, EOD files, failures, seconds.
QString summaryLine(const RunSummary& summary);

}  // namespace leafmark::batch
