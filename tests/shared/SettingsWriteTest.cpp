// Writing one key of the settings file: everything else stays byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "shared/IniFileTest.h"
#include "shared/Settings.h"

using namespace leafmark;

namespace {

class SettingsWrite : public IniFileTest {};

}  // namespace

TEST_F(SettingsWrite, MissingFileIsCreatedWithTheSection) {
    EXPECT_TRUE(writeProfileString(ini, "Setup", "Dir1", "/scans/box1"));
    EXPECT_EQ(content(), "[Setup]\nDir1=/scans/box1\n");
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), "/scans/box1");
}

TEST_F(SettingsWrite, ReplacesOnlyTheKeysLine) {
    const QByteArray before =
        "; Leafmark settings\n"
        "[Other]\n"
        "Dir1=/elsewhere\n"
        "\n"
        "[setup]\n"
        "Magnification=150   ; hand-edited\n"
        "  DIR1 = /old\n"
        "Window=2\n"
        "\n"
        "[Tail]\n"
        "x = y\n";
    writeIni(before);
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Dir1", "/new/folder"));
    QByteArray expected = before;
    expected.replace("  DIR1 = /old\n", "DIR1=/new/folder\n");
    EXPECT_EQ(content(), expected);
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), "/new/folder");
}

TEST_F(SettingsWrite, AbsentKeyIsAddedAtTheEndOfItsSection) {
    writeIni("[Setup]\nWindow=2\n\n[Tail]\nx=y\n");
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Margin", "0.5"));
    EXPECT_EQ(content(), "[Setup]\nWindow=2\nMargin=0.5\n\n[Tail]\nx=y\n");

    writeIni("[Setup]\n[Tail]\nx=y");
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Process1", "1"));
    EXPECT_EQ(content(), "[Setup]\nProcess1=1\n[Tail]\nx=y");
}

TEST_F(SettingsWrite, AbsentSectionIsAppended) {
    writeIni("[Other]\r\nk=v");
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Dir2", "/out"));
    EXPECT_EQ(content(), "[Other]\r\nk=v\r\n[Setup]\r\nDir2=/out\r\n");
}

TEST_F(SettingsWrite, KeepsCrLfLineEndings) {
    writeIni("[Setup]\r\nWindow=2\r\nDir1=/a\r\n");
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Dir1", "/b"));
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Margin", "1"));
    EXPECT_EQ(content(), "[Setup]\r\nWindow=2\r\nDir1=/b\r\nMargin=1\r\n");
}

TEST_F(SettingsWrite, KeysOfOtherSectionsAreNotTouched) {
    writeIni("[Other]\nDir1=/keep\n[Setup]\nDir1=/old\n");
    ASSERT_TRUE(writeProfileString(ini, "SETUP", "dir1", "/new"));
    EXPECT_EQ(content(), "[Other]\nDir1=/keep\n[Setup]\nDir1=/new\n");
}

TEST_F(SettingsWrite, EightBitTextRoundTrips) {
    writeIni("[Setup]\nDir1=/caf\xe9\n");
    const QString folder = QString::fromUtf8("/d\u00e9j\u00e0 vu");
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Dir2", folder));
    EXPECT_EQ(content(), "[Setup]\nDir1=/caf\xe9\nDir2=/d\xe9j\xe0 vu\n");
    EXPECT_EQ(readFolderSetting(ini, "Dir2"), folder);
}

TEST_F(SettingsWrite, RefusesValuesThatWouldCorruptTheFile) {
    const QByteArray before = "[Setup]\nDir1=/a\n";
    writeIni(before);
    // A line break would plant a second key; a character outside 8-bit text
    // would be stored as something else.
    EXPECT_FALSE(writeProfileString(ini, "Setup", "Margin", "1\nWindow=0"));
    EXPECT_FALSE(writeProfileString(ini, "Setup", "Margin", "1\r"));
    EXPECT_FALSE(
        writeProfileString(ini, "Setup", "Dir1", QString::fromUtf8("/\u0141\u00f3d\u017a")));
    EXPECT_FALSE(writeProfileString(ini, "Setup", "Di=r1", "x"));
    EXPECT_FALSE(writeProfileString(ini, "Setup", "", "x"));
    EXPECT_FALSE(writeProfileString(ini, "Se]tup", "Dir1", "x"));
    EXPECT_EQ(content(), before);
}

TEST_F(SettingsWrite, FailureIsReportedAndLosesNothing) {
    // The path names a folder: it cannot be read, so nothing is written.
    ASSERT_TRUE(QDir(dir.path()).mkdir("leafmark.ini"));
    const auto unreadable = writeProfileString(ini, "Setup", "Dir1", "/x");
    EXPECT_EQ(unreadable.reason(), "cannot read the settings file " + ini.toStdString());
    EXPECT_TRUE(QFileInfo(ini).isDir());
    // A folder that does not exist cannot receive the file.
    const QString missing = dir.filePath("no/such/leafmark.ini");
    const auto unwritable = writeProfileString(missing, "Setup", "Dir1", "/x");
    EXPECT_FALSE(unwritable);
    EXPECT_EQ(
        unwritable.reason().rfind("cannot write the settings file " + missing.toStdString(), 0), 0u)
        << unwritable.reason();
}

TEST_F(SettingsWrite, PipeOrDeviceLinkInItsPlaceReadsAsUnreadableAndIsNeverWritten) {
    // Neither may block the start or be read without end; both stay as they are.
    ASSERT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    EXPECT_EQ(readProfileString(ini, "Setup", "Dir1", "default", 100), "default");
    EXPECT_FALSE(writeProfileString(ini, "Setup", "Dir1", "/x"));
    EXPECT_FALSE(QFileInfo(ini).isFile());
    QFile::remove(ini);
    ASSERT_TRUE(QFile::link("/dev/zero", ini));
    EXPECT_EQ(readProfileString(ini, "Setup", "Dir1", "default", 100), "default");
    EXPECT_FALSE(writeProfileString(ini, "Setup", "Dir1", "/x"));
    EXPECT_EQ(QFileInfo(ini).symLinkTarget(), "/dev/zero");
}

// A settings file made read-only is left as it is, mode included, even for a user
// whom the file system would let replace it.
TEST_F(SettingsWrite, ReadOnlyFileIsLeftAsItIs) {
    writeIni("[Setup]\nDir1=/kept\n");
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(ini, readOnly));
    const QFile::Permissions before = QFile::permissions(ini);
    EXPECT_FALSE(writeProfileString(ini, "Setup", "Dir1", "/new"));
    EXPECT_EQ(content(), "[Setup]\nDir1=/kept\n");
    EXPECT_EQ(QFile::permissions(ini), before);
}

TEST_F(SettingsWrite, EmptyValueIsWrittenAndReadsAsEmpty) {
    ASSERT_TRUE(writeProfileString(ini, "Setup", "Margin", ""));
    EXPECT_EQ(content(), "[Setup]\nMargin=\n");
    EXPECT_EQ(readProfileString(ini, "Setup", "Margin", "9", kNumberBuffer), QString());
}

TEST_F(SettingsWrite, SixBatchKeysInTurnThenReadBack) {
    writeIni("[Setup]\nMagnification=200\n");
    const std::pair<const char*, const char*> keys[] = {
        {"Process1", "0"}, {"Process2", "1"},         {"Process3", "2"},
        {"Margin", "abc"}, {"InputDir", "/scans/in"}, {"OutputDir", "/scans/out"}};
    for (const auto& [k, v] : keys) ASSERT_TRUE(writeProfileString(ini, kSettingsSection, k, v));
    for (const auto& [k, v] : keys)
        ASSERT_TRUE(writeProfileString(ini, kSettingsSection, k, v)) << "second write of " << k;
    EXPECT_EQ(content(),
              "[Setup]\nMagnification=200\nProcess1=0\nProcess2=1\nProcess3=2\nMargin=abc\n"
              "InputDir=/scans/in\nOutputDir=/scans/out\n");
    EXPECT_EQ(readInt16Setting(ini, "Process3", "1"), 2);
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "0");
    EXPECT_EQ(readFolderSetting(ini, "OutputDir"), "/scans/out");
    EXPECT_EQ(readInt32Setting(ini, "Magnification", "100"), 200);
}
