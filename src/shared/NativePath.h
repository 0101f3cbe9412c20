#pragma once
// Paths as the file system holds them. A Unix file name is any run of bytes, not
// necessarily UTF-8, while the program carries paths as QString. Bytes that are
// not part of valid UTF-8 are kept in the QString as the lone low surrogates
// U+DC80..U+DCFF (one per byte), which no valid UTF-8 name can produce, so every
// name survives the trip into a QString and back unchanged. Qt's own file
// classes would turn those into replacement characters: paths that may carry
// them are opened, tested and renamed through the functions here.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <string>

namespace leafmark {

// The bytes of `path` on disk (UTF-8, with each kept byte restored).
QByteArray nativePath(const QString& path);
std::string nativePathString(const QString& path);
// A path or name as read from the system (directory entries, command lines).
QString fromNativePath(QByteArrayView bytes);
// `path` for showing: each kept byte becomes U+FFFD.
QString shownPath(const QString& path);
// `name` folded for matching and sorting without regard to case: what
// QString::toCaseFolded() gives, except that each kept byte stays itself. Qt's
// folding turns kept bytes into U+FFFD once a character before them changes
// case, so two names differing only in such a byte would fold alike.
QString foldedName(const QString& name);

// True when something exists under `path` (links followed).
bool pathExists(const QString& path);
// Removes the file `path`; false when it could not (errno set).
bool removeFile(const QString& path);
// Renames `from` to `to`, replacing `to`; false when it could not (errno set).
bool renameFile(const QString& from, const QString& to);

}  // namespace leafmark
