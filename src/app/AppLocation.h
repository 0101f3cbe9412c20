#pragma once
// Where the program lives and the texts derived from it: the program folder
// (apppath), the executable's base name, the settings file, the help document
// and the About text.

#include <QString>

#include "shared/AppInfo.h"
#include "shared/PageFiles.h"

namespace leafmark::app {

struct AppLocation {
    QString apppath;   // the program's folder, ending with one "/"
    QString baseName;  // the executable's file name without its extension
    // The user's own settings file, used when the program folder cannot keep
    // one; empty: the settings file is always the one beside the executable.
    QString userSettings = QString();

    // The running executable's folder and base name, and the user's settings file.
    static AppLocation ofRunningProgram();

    // apppath + base name + ".ini".
    QString besideSettingsFile() const {
        return withSeparator(apppath) + baseName + QStringLiteral(".ini");
    }
    // The settings file in use: the one beside the executable when it exists or
    // when the program folder can keep it, otherwise userSettings.
    QString settingsFile() const;
    // The help document: apppath + base name + ".pdf" when that file exists;
    // otherwise the installed one when it exists; otherwise the one beside the
    // executable (which the viewer then fails to open, as for a missing document).
    QString helpDocument() const;
    // Where an installation puts the help document: share/doc/leafmark/leafmark.pdf
    // under the folder above the program's folder (/usr for /usr/bin).
    QString installedHelpDocument() const;
};

// The About box's text: "Version major.minor.revision" and four credits lines,
// separated by single line breaks.
QString aboutText(const Version& version);

// The folder written back as "Dir1"/"Dir2" for a path chosen in a file dialog: the
// path cut at its last "/" ("/" itself for a file in the root folder); empty when
// the path holds no "/" (the key is then left unchanged).
QString folderOfChosenPath(const QString& path);

}  // namespace leafmark::app
