#pragma once
// What leafmark-docs prints: the documents of a folder with their blank pages,
// the findings of the check, as text lines or as JSON lines; and the export of
// each document into one file.

#include <QList>
#include <QString>
#include <cstdio>

#include "pages/Documents.h"

namespace leafmark::docs {

// Ink share of every page in percent (negative: the page could not be measured),
// measured over `jobs` threads (0: one per core).
QList<double> measureInk(const FolderDocuments& documents, int jobs = 0);

// Text or JSON lines for the documents (with `ink` and the threshold) and the findings.
void printDocuments(std::FILE* out, const FolderDocuments& documents, const QList<double>& ink,
                    double blankThreshold, bool json);
void printFindings(std::FILE* out, const FolderDocuments& documents, bool json);

enum class ExportFormat { Tiff, Pdf };

// Writes one file per document into `dir`, named after the stem of its first page
// written, with ".tif" or ".pdf". Pages whose entry in `leaveOut` (one per page, or empty) is
// true are not written; a document left with no page gives no file. Prints a line
// per file written and a message on stderr per document that failed. Returns the
// number of documents that failed.
int exportDocuments(const FolderDocuments& documents, const QString& dir, ExportFormat format,
                    bool force, bool json, const QList<bool>& leaveOut = {});

// JSON string literal of `text` (quotes, backslashes, control characters escaped).
QString jsonString(const QString& text);

}  // namespace leafmark::docs
