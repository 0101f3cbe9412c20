#pragma once
// Separator sheets over a page folder: each page read once, judged by a rule,
// and the document starts they propose compared with the markers on disk; and
// applying a proposed start as a save with only the document marker ticked
// would. Qt Core only; usable from the window, the commands and the tests.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "imaging/engine/Status.h"
#include "imaging/separators/SeparatorDetect.h"
#include "imaging/separators/SeparatorSuggest.h"

namespace leafmark {

// A folder's pages with what separator detection made of them.
struct FolderSeparators {
    QString folder;       // ends with "/"
    QStringList entries;  // the page files, in folder-list order
    std::vector<imaging::SeparatorReading> readings;
    std::vector<bool> separator;                  // judged by the rule
    std::vector<QString> why;                     // what made each separator one
    std::vector<imaging::PageMarks> marks;        // the markers on disk
    std::vector<imaging::SuggestedStart> starts;  // the proposed document starts
};

// A barcode text pattern for SeparatorRule::pattern: a regular expression (Perl
// syntax) that must match the whole barcode text. A failure (and no `matches`)
// when the pattern is not a valid expression.
struct BarcodePattern {
    std::function<bool(const std::string&)> matches;
    imaging::Status status = imaging::Status::success();
};
BarcodePattern compileBarcodePattern(const QString& pattern);

// The markers page `index` of `entries` carries on disk: its document marker and
// the end-of-document file of the page before it. Reads no pixels.
imaging::PageMarks readPageMarks(const QString& folder, const QStringList& entries, int index);

// Reads every page of `entries` in `folder` (symbologies as `set`) over `jobs`
// threads (0: one per core), in any order; one reading per entry, in entry order.
std::vector<imaging::SeparatorReading> readSeparatorPages(const QString& folder,
                                                          const QStringList& entries,
                                                          imaging::Symbologies set, int jobs = 0);

// Judges `readings` (one per entry, from readSeparatorPages) by `rule`, reads the
// markers on disk and proposes the document starts.
FolderSeparators findSeparators(const QString& folder, const QStringList& entries,
                                std::vector<imaging::SeparatorReading> readings,
                                const imaging::SeparatorRule& rule);

// One file written when a start is applied.
struct FileChange {
    QString action;  // "created" (an end-of-document file) or "marked" (a page given the document
                     // marker)
    QString file;    // full path
    bool operator==(const FileChange&) const = default;
};

// Result of applying one document start.
struct StartApplied {
    QList<FileChange> changes;  // what was written, in order
    // Why it failed (UTF-8); nothing is left half done then.
    imaging::Status status = imaging::Status::success();
};

// Makes page `index` of `entries` begin a document exactly as ticking its document
// marker and saving it in the window does: the end-of-document file of the page
// before is created when missing (index > 0), and the page is written with the
// document marker, keeping its change marker, stored format and depth (atomic
// save). A page that already carries the marker is not rewritten; a page read
// only in part is refused. When the page cannot be written, an end-of-document
// file created for it is removed again.
StartApplied applyDocumentStart(const QString& folder, const QStringList& entries, int index);

}  // namespace leafmark
