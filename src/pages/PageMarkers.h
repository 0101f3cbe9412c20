#pragma once
// The page markers as they live on disk: the document marker text of comment
// slot 3, the change marker of slot 6 and the end-of-document file that sits
// beside the page closing a document.

#include <QString>
#include <string>

namespace leafmark {

inline const QString kDocumentMarker = QStringLiteral("BOD");
inline const QString kChangeMarker = QStringLiteral("Changed");
// Suffix of an end-of-document file name, appended to the page's stem.
inline const QString kEndOfDocumentSuffix = QStringLiteral("ZZZ.EOD");
// The whole content of an end-of-document file: one line, CR LF ended.
inline constexpr char kEndOfDocumentContent[] = "EOD\r\n";

// End-of-document file for list entry `entry` in `folder` (which must end with
// "/"): folder + entry before its last "." + "ZZZ.EOD"; empty when `entry` has no ".".
QString endOfDocumentPath(const QString& folder, const QString& entry);

// True when a slot-3 text, with leading and trailing spaces removed, is exactly "BOD".
bool isDocumentMarker(const QString& slotText);

// Path in the engine's form (the bytes of the name on disk).
std::string enginePath(const QString& path);

// Creates `path` holding exactly the end-of-document line. False when it could not be written.
bool writeEndOfDocumentFile(const QString& path);

}  // namespace leafmark
