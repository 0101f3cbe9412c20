#pragma once
// Where the program lives and the texts derived from it: the program folder
// (apppath), the executable's base name, the settings file, the help document
// and the About text.

#include "shared/AppInfo.h"

#include <QString>

namespace leafmark::app {

struct AppLocation {
    QString apppath;   // the program's folder, ending with one "/"
    QString baseName;  // the executable's file name without its extension

    // The running executable's folder and base name.
    static AppLocation ofRunningProgram();
    // `folder` with one "/" appended unless it already ends with one.
    static QString withSeparator(const QString& folder);

    // apppath + base name + ".ini".
    QString settingsFile() const { return apppath + baseName + QStringLiteral(".ini"); }
    // apppath + base name + ".pdf".
    QString helpDocument() const { return apppath + baseName + QStringLiteral(".pdf"); }
};

// The About box's text: "Version major.minor.revision" and four credits lines,
// separated by single line breaks.
QString aboutText(const Version& version);

// The folder written back as "Dir1"/"Dir2" for a path chosen in a file dialog: the
// path cut at its last "/" ("/" itself for a file in the root folder); empty when
// the path holds no "/" (the key is then left unchanged).
QString folderOfChosenPath(const QString& path);

}  // namespace leafmark::app
