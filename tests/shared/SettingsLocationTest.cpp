// Where the settings file lives: beside the program when its folder can be
// written or a file is already there, else in the user's configuration folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "shared/Settings.h"
#include "shared/SettingsLocation.h"

using namespace leafmark;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A program folder and a user configuration folder in one temporary folder.
class SettingsLocation : public ::testing::Test {
  protected:
    QTemporaryDir tmp;
    QString programDir = tmp.filePath("bin");
    QString beside = programDir + "/leafmark.ini";
    QString user = tmp.filePath("config/leafmark/leafmark.ini");
    // The program folder as an installed program sees it: not to be written.
    std::function<bool(const QString&)> readOnly = [](const QString&) { return false; };

    QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");

    SettingsLocation() {
        QDir().mkpath(programDir);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.filePath("config")));
    }
    ~SettingsLocation() override {
        if (savedConfigHome.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedConfigHome);
    }
};

}  // namespace

TEST_F(SettingsLocation, WritableProgramFolderKeepsTheFileBesideTheProgram) {
    writeFile(user, "[Setup]\nWindow=2\n");
    EXPECT_TRUE(folderKeepsSettings(programDir));
    EXPECT_EQ(chooseSettingsFile(beside, user), beside);
    EXPECT_TRUE(writeProfileString(chooseSettingsFile(beside, user), "Setup", "Dir1", "/scans"));
    EXPECT_EQ(readFolderSetting(beside, "Dir1"), "/scans");
    EXPECT_EQ(readFolderSetting(user, "Dir1"), "");
}

TEST_F(SettingsLocation, ReadOnlyProgramFolderUsesTheUserFileMadeOnFirstWrite) {
    ASSERT_EQ(userSettingsFile(), user);
    const QString file = chooseSettingsFile(beside, user, readOnly);
    ASSERT_EQ(file, user);
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("config")));  // nothing made by choosing
    EXPECT_EQ(readInt16Setting(file, "Window", "1"), 1);      // defaults until written
    ASSERT_TRUE(writeProfileString(file, "Setup", "Dir1", "/scans/box1"));
    ASSERT_TRUE(writeProfileString(file, "Setup", "Margin", "0.25"));
    EXPECT_EQ(readFolderSetting(user, "Dir1"), "/scans/box1");
    EXPECT_EQ(readMarginSetting(user, "Margin", "0"), "0.25");
    EXPECT_FALSE(QFileInfo::exists(beside));

    // An existing user file is read the same way at the next start.
    writeFile(user, "[Setup]\nWindow=2\n");
    EXPECT_EQ(chooseSettingsFile(beside, user, readOnly), user);
    EXPECT_EQ(readInt16Setting(user, "Window", "1"), 2);

    // A file beside the program wins over the user's, even in a folder not written to.
    writeFile(beside, "[Setup]\nWindow=0\n");
    EXPECT_EQ(chooseSettingsFile(beside, user, readOnly), beside);
}

TEST_F(SettingsLocation, FoldersThatDoNotKeepSettings) {
    EXPECT_FALSE(folderKeepsSettings(tmp.filePath("missing")));
    EXPECT_FALSE(folderKeepsSettings(beside + ".not-a-folder"));
    // System program folders stay clean even for the administrator.
    EXPECT_FALSE(folderKeepsSettings("/usr/bin"));
    if (::geteuid() != 0) {  // the administrator may write anywhere
        ASSERT_TRUE(QFile::setPermissions(programDir, QFile::ReadOwner | QFile::ExeOwner));
        EXPECT_FALSE(folderKeepsSettings(programDir));
        EXPECT_EQ(chooseSettingsFile(beside, user), user);
        QFile::setPermissions(programDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(UserSettingsFile, FollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool had = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/cfg/");
    EXPECT_EQ(userSettingsFile(), "/tmp/cfg/leafmark/leafmark.ini");
    const QString home = QDir::homePath() + "/.config/leafmark/leafmark.ini";
    qputenv("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
    EXPECT_EQ(userSettingsFile(), home);
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userSettingsFile(), home);
    if (had) qputenv("XDG_CONFIG_HOME", saved);
}
