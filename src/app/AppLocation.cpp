#include "app/AppLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "shared/SettingsLocation.h"

namespace leafmark::app {

AppLocation AppLocation::ofRunningProgram() {
    AppLocation loc;
    loc.apppath = withSeparator(QCoreApplication::applicationDirPath());
    loc.baseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    loc.userSettings = userSettingsFile();
    return loc;
}

QString AppLocation::settingsFile() const {
    if (userSettings.isEmpty()) return besideSettingsFile();
    return chooseSettingsFile(besideSettingsFile(), userSettings);
}

QString AppLocation::helpDocument() const {
    const QString beside = withSeparator(apppath) + baseName + QStringLiteral(".pdf");
    if (QFileInfo::exists(beside)) return beside;
    const QString installed = installedHelpDocument();
    return QFileInfo::exists(installed) ? installed : beside;
}

QString AppLocation::installedHelpDocument() const {
    return QDir::cleanPath(withSeparator(apppath) +
                           QStringLiteral("../share/doc/leafmark/leafmark.pdf"));
}

QString aboutText(const Version& v) {
    const QStringList lines = {
        QStringLiteral("Version %1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision),
        QStringLiteral("Written by the Leafmark developers for checking scanned pages."),
        QStringLiteral("Built with the Qt toolkit."),
        QStringLiteral(
            "Page images are read and written with libtiff and processed with leptonica."),
        QStringLiteral("Copyright (c) the Leafmark developers. All rights reserved."),
    };
    return lines.join(QLatin1Char('\n'));
}

QString folderOfChosenPath(const QString& path) {
    const int cut = path.lastIndexOf(QLatin1Char('/'));
    if (cut < 0) return QString();
    // A file in the root folder keeps the root itself rather than an empty folder.
    return cut == 0 ? QStringLiteral("/") : path.left(cut);
}

}  // namespace leafmark::app
