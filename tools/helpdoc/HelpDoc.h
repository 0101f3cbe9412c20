#pragma once
// Turns the operator's guide, written in Markdown, into the PDF that the Help
// command opens. Needs a QGuiApplication (the offscreen platform will do).

#include <QString>

namespace leafmark::helpdoc {

// Lays `markdown` out on A4 pages and writes them as a PDF to `pdfPath`, with
// `title` as the document title. The file is replaced only when the whole
// document was written; returns an empty text on success, else the reason.
QString writeHelpPdf(const QString& markdown, const QString& pdfPath, const QString& title);

// Reads a UTF-8 Markdown file and writes it as in writeHelpPdf.
QString convertFile(const QString& markdownPath, const QString& pdfPath, const QString& title);

}  // namespace leafmark::helpdoc
