#include "batch/core/RunText.h"

namespace leafmark::batch {

QString folderLines(const QString& source, const QString& output) {
    return QStringLiteral("\r\n\r\nSource Directory = ") + source +
           QStringLiteral("\r\nOutput Directory = ") + output;
}

QString confirmationText(RunKind kind, const PageOptions& options, const QString& source,
                         const QString& output) {
    if (kind == RunKind::PostProcess)
        return QStringLiteral("This function will deskew the altered files.  OK to continue?") +
               folderLines(source, output);

    QString list;
    if (options.despeckle) list += QStringLiteral("Despeckle, ");
    if (options.deskew) list += QStringLiteral("Deskew, ");
    if (options.marginCleanup) list += QStringLiteral("Margin Cleanup, ");
    if (!list.isEmpty()) list = QLatin1Char('(') + list.chopped(2) + QLatin1Char(')');
    return QStringLiteral("This function will pre-process the files as specified ") + list +
           QStringLiteral(".  OK to continue? ") + folderLines(source, output);
}

QString closedDuringRunText(int written, int total, const QString& output) {
    return QStringLiteral(
               "The window was closed, so the run was stopped after the pages in "
               "progress.\n\n%1 of %2 pages were written to %3.")
        .arg(written)
        .arg(total)
        .arg(output);
}

QString failureReport(const QStringList& failed) {
    if (failed.isEmpty()) return {};
    return QStringLiteral(
               "These files could not be processed and were copied unchanged "
               "(or left in place):\n\n") +
           failed.join(QLatin1Char('\n'));
}

QString summaryLine(const RunSummary& s) {
    return QStringLiteral("%1 pages processed, %2 copied, %3 EOD files, %4 failures, %5 s%6")
        .arg(s.pagesProcessed)
        .arg(s.pagesCopied)
        .arg(s.eodFiles)
        .arg(s.failures)
        .arg(s.seconds, 0, 'f', 2)
        .arg(s.completed ? QString() : QStringLiteral(" (stopped)"));
}

}  // namespace leafmark::batch
