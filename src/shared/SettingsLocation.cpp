#include "shared/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>

namespace leafmark {

QString userSettingsFile() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/leafmark/leafmark.ini"));
}

bool folderKeepsSettings(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable()) return false;
    // A settings file left in a system program folder would belong to no
    // package: it would outlive the program's removal and be shared by everyone
    // who runs the program as the administrator.
    const QString canonical = info.canonicalFilePath();
    return canonical != QStringLiteral("/usr/bin") && canonical != QStringLiteral("/usr/local/bin");
}

QString chooseSettingsFile(const QString& besideFile, const QString& userFile,
                           const std::function<bool(const QString&)>& keeps) {
    const QFileInfo beside(besideFile);
    if (beside.exists() || keeps(beside.absolutePath())) return besideFile;
    return userFile;
}

bool prepareSettingsFolder(const QString& file) {
    if (QDir::cleanPath(QFileInfo(file).absoluteFilePath()) != userSettingsFile()) return true;
    return QDir().mkpath(QFileInfo(file).absolutePath());
}

}  // namespace leafmark
