#pragma once
// Where the settings file lives. A copy of the program in a folder it may write
// to keeps the file beside its executable (named like it, with ".ini"); an
// installed program, whose folder the user cannot write, keeps it in the
// user's configuration folder instead. Both are read and written by the same
// rules (shared/Settings).

#include <QString>
#include <functional>

namespace leafmark {

// The user's own settings file: $XDG_CONFIG_HOME/leafmark/leafmark.ini, or
// ~/.config/leafmark/leafmark.ini when XDG_CONFIG_HOME is unset, empty or not
// an absolute path.
QString userSettingsFile();

// True when `folder` may hold the settings file of the program in it: the
// process can create files there, and it is not one of the system's program
// folders (/usr/bin, /usr/local/bin), which belong to the package manager even
// for the administrator.
bool folderKeepsSettings(const QString& folder);

// The settings file to use: `besideFile` when it exists (a file beside the
// executable always wins) or when its folder keeps settings (`keeps`);
// otherwise `userFile`.
QString chooseSettingsFile(const QString& besideFile, const QString& userFile,
                           const std::function<bool(const QString&)>& keeps = folderKeepsSettings);

// Before a write of `file`: when it is the user's settings file, makes its
// folder, so that the file can be created on its first write. Any other
// settings file's folder is left as it is. False when the folder cannot be made.
bool prepareSettingsFolder(const QString& file);

}  // namespace leafmark
