#pragma once
// Plain values exchanged between the batch run, its workers and its callers.

#include <QString>
#include <QStringList>

namespace leafmark::batch {

// Which of the two runs: pre-process (clean-up chosen per page) or post-process
// (deskew the pages that carry the change marker, copy the rest).
enum class RunKind { PreProcess, PostProcess };

// The pre-process choices in force when a page is started.
struct PageOptions {
    bool marginCleanup = false;
    bool despeckle = false;
    bool deskew = false;
    double marginInches = 0.0;  // leading number of the margin text; 0 when none
};

// What became of one entry of the page list.
struct PageOutcome {
    enum class Kind {
        Processed,  // loaded, changed as asked and written to the output folder
        Copied,     // copied unchanged into the output folder
        Unchanged,  // nothing to do: source and output are the same file
        Failed,     // could not be processed; copied unchanged when the folders differ
    };
    int index = -1;
    QString name;
    bool endOfDocument = false;  // an end-of-document (".EOD") file
    Kind kind = Kind::Unchanged;
    QString reason;  // Failed only: why, in the operator's words
    // What the clean-up did to a processed page, for the run report.
    bool deskewed = false;      // a deskew was asked for and measured the page
    double angleFound = 0.0;    // lean found, degrees clockwise (deskewed only)
    double angleApplied = 0.0;  // turn applied to straighten it, degrees clockwise; 0 when none
    int specksRemoved = -1;     // specks the despeckle removed; -1 when it did not run
    double milliseconds = 0.0;  // time spent on the entry
};

// Counts of a run, for the window's report and the command's summary line.
struct RunSummary {
    int pagesProcessed = 0;
    int pagesCopied = 0;  // pages copied (or left in place) unchanged, failures excluded
    int eodFiles = 0;     // end-of-document entries handled
    int failures = 0;
    int pagesWritten = 0;    // pages this run wrote into the output folder (processed or copied)
    QStringList failed;      // "name: reason", in list order
    bool completed = false;  // every entry was handled (no stop)
    double seconds = 0.0;
};

}  // namespace leafmark::batch
