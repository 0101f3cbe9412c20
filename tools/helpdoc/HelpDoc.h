#pragma once
// Turns the operator's guide, written in Markdown, into the PDF that the Help
// command opens. Needs a QGuiApplication (the offscreen platform will do).

#include <QString>

#include "imaging/engine/Status.h"

namespace leafmark::helpdoc {

// Lays `markdown` out on A4 pages and writes them as a PDF to `pdfPath`, with
// `title` as the document title. The file is replaced only when the whole
// document was written.
imaging::Status writeHelpPdf(const QString& markdown, const QString& pdfPath, const QString& title);

// Reads a UTF-8 Markdown file and writes it as in writeHelpPdf.
imaging::Status convertFile(const QString& markdownPath, const QString& pdfPath,
                            const QString& title);

}  // namespace leafmark::helpdoc
