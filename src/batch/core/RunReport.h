#pragma once
// The run report: one JSON line per entry of the page list (file, outcome, the
// lean found and the turn applied, specks removed, milliseconds), written as each
// entry is committed, so a report of a stopped or killed run holds every entry done.

#include <QByteArray>
#include <QFile>
#include <QString>

#include "batch/core/RunTypes.h"
#include "imaging/engine/Status.h"

namespace leafmark::batch {

// Where the batch window writes the report of a run into `outputFolder`: beside
// it, named after it ("/scans/out" gives "/scans/out.leafmark-report.jsonl"), so
// the output folder holds only pages; inside it when it has no parent.
QString reportPathFor(const QString& outputFolder);

// The report line of an entry (ends with a newline). Outcomes are "processed",
// "copied", "unchanged" (source and output are one file) and "failed" (with "reason").
QByteArray reportLine(const PageOutcome& outcome);

// The report line of an entry left alone because an earlier run already did it.
QByteArray skippedLine(const QString& name);

class ReportWriter {
  public:
    // Creates (or empties) the report file; on failure the reason says why not.
    imaging::Status open(const QString& path);
    bool isOpen() const { return file_.isOpen(); }
    // Appends one line and hands it to the system at once. False when it failed.
    bool write(const QByteArray& line);
    void close() { file_.close(); }

  private:
    QFile file_;
};

}  // namespace leafmark::batch
