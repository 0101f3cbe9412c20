#pragma once
// The page files as they live on disk, shared by the window, the batch run and
// the commands: which names are pages, the document marker text of comment slot
// 3, the change marker of slot 6, the end-of-document file that sits beside the
// page closing a document, folder paths ending in "/", and paths in the engine's form.

#include <QString>
#include <string>

namespace leafmark {

inline const QString kDocumentMarker = QStringLiteral("BOD");
inline const QString kChangeMarker = QStringLiteral("Changed");
// Suffix of an end-of-document file name, appended to the page's stem.
inline const QString kEndOfDocumentSuffix = QStringLiteral("ZZZ.EOD");
// The whole content of an end-of-document file: one line, CR LF ended.
inline constexpr char kEndOfDocumentContent[] = "EOD\r\n";
// The folder list's pattern: every name with ".tif" in its extension is a page,
// except end-of-document files (see isEndOfDocumentName).
inline const QString kPagePattern = QStringLiteral("*.tif*");
// The pages and every ".eod" file beside them, as the batch run and the documents read them.
inline const QString kPageAndEodPatterns = QStringLiteral("*.tif*;*.eod");

// `folder` with one "/" appended when it does not already end with one.
QString withSeparator(const QString& folder);

// End-of-document file for list entry `entry` in `folder` (which must end with
// "/"): folder + entry before its last "." + "ZZZ.EOD"; empty when `entry` has no ".".
QString endOfDocumentPath(const QString& folder, const QString& entry);

// Names that look like end-of-document files ("...ZZZ.EOD", any case) are never pages.
bool isEndOfDocumentName(const QString& name);
// True for any ".eod" file (any case): the batch run copies each as it is.
bool hasEodExtension(const QString& name);

// True when a slot-3 text, with leading and trailing spaces removed, is exactly "BOD".
bool isDocumentMarker(const QString& slotText);

// Path in the engine's form (the bytes the file system takes).
std::string enginePath(const QString& path);

// Creates `path` holding exactly the end-of-document line. False when it could not be written.
bool writeEndOfDocumentFile(const QString& path);

}  // namespace leafmark
