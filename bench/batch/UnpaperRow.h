#pragma once
// The comparison row with unpaper, a general open-source scan post-processor that
// the batch benchmark runs as a program of its own over the same pages.

#include <QString>
#include <QStringList>

namespace leafmark::bench {

// Why unpaper cannot be run here ("" when it can): not installed, or it does not
// start. `version` gets what `unpaper --version` prints.
QString unpaperProblem(QString* version);

// One pass: every page of `names` in `in` (300 dpi, 1 bit) written as PBM into
// `work`, one unpaper process over them all (noise filter, deskew, a fixed 0.25 inch
// border), and its results saved as Group 4 TIFF under the same names in `out`.
// False with the reason in `error` when unpaper fails or leaves a page unwritten.
bool runUnpaperPass(const QString& in, const QStringList& names, const QString& work,
                    const QString& out, QString* error);

// Prints the lean leptonica still measures on the pages of `out` (unpaper's
// results), so its row says whether it did the deskew as well as how fast.
void reportUnpaperResidualSkew(const QString& out, const QStringList& names);

}  // namespace leafmark::bench
