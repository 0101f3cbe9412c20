#pragma once
// One entry of a batch run, done start to finish on one engine: copy an
// end-of-document file, copy an unmarked page, or load, clean, and write a page.

#include <QString>

#include "batch/core/RunTypes.h"
#include "imaging/engine/Status.h"

namespace leafmark::imaging {
class PageEngine;
}

namespace leafmark::batch {

struct PageTask {
    RunKind kind = RunKind::PreProcess;
    int index = -1;
    QString name;           // bare file name, as stored
    QString sourcePath;     // source folder + name
    QString outputPath;     // output folder + name
    bool sameFile = false;  // source and output folders are the same folder
    PageOptions options;    // pre-process choices taken when the page was started
};

// Does the task with `engine` (whose image is cleared afterwards). Never writes
// one page's image under another page's name: a page that cannot be loaded whole
// is copied unchanged (unless sameFile) and reported as Failed.
PageOutcome processPage(imaging::PageEngine& engine, const PageTask& task);

// Copies `from` over `to` atomically (temporary file in the target folder, then
// rename); an existing `to` is replaced only when the copy is complete. The
// reason of a failure holds the paths' bytes (read it with fromNativePath).
imaging::Status copyReplacing(const QString& from, const QString& to);

}  // namespace leafmark::batch
