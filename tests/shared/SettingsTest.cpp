// Reading the settings file: buffers, defaults, number reading and rounding.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "shared/IniFileTest.h"
#include "shared/Settings.h"

using namespace leafmark;

namespace {

class SettingsRead : public IniFileTest {};

}  // namespace

TEST_F(SettingsRead, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(readInt32Setting(ini, "Magnification", "100"), 100);
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 1);
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), QString());
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "0");

    writeIni("[Other]\nWindow=2\n");
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 1) << "key of another section";

    writeIni("[Setup]\nBitonal=2\n");
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 1) << "absent key";
    EXPECT_EQ(readInt16Setting(ini, "Bitonal", "0"), 2);
}

TEST_F(SettingsRead, EmptyValueIsEmptyTextNotTheDefault) {
    writeIni("[Setup]\nWindow=\nDir1=\nMargin=\n");
    EXPECT_EQ(readProfileString(ini, "Setup", "Window", "1", kNumberBuffer), QString());
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 0);
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), QString());
    EXPECT_EQ(readMarginSetting(ini, "Margin", "7"), "0");
}

TEST_F(SettingsRead, NamesMatchWithoutRegardToCaseAndBlanksAreIgnored) {
    writeIni("; comment line\n[ setup ]\n  WINDOW  =  2  \nbitonal\t=\t1\n");
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 2);
    EXPECT_EQ(readInt16Setting(ini, "Bitonal", "0"), 1);
    EXPECT_EQ(readProfileString(ini, "SETUP", "window", "x", 100), "2");
}

TEST_F(SettingsRead, FirstSectionAndFirstKeyWinAndCommentsAreNotKeys) {
    writeIni("[Setup]\n;Window=0\nWindow=2\nWindow=0\n[Setup]\nWindow=0\n");
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 2);
}

TEST_F(SettingsRead, CrLfFileReadsLikeLf) {
    writeIni("[Setup]\r\nDir1=/scans/box1\r\nMagnification=150\r\n");
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), "/scans/box1");
    EXPECT_EQ(readInt32Setting(ini, "Magnification", "100"), 150);
}

TEST_F(SettingsRead, ValuesAreCutToBufferMinusOne) {
    writeIni("[Setup]\nMagnification=12345\nMargin=0.125\n");
    EXPECT_EQ(readInt32Setting(ini, "Magnification", "100"), 1234);
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "0.12");
    EXPECT_EQ(readProfileString(ini, "Setup", "Magnification", "", 1), QString());
    EXPECT_EQ(readProfileString(ini, "Setup", "Magnification", "", 0), QString());
    // The default is cut the same way.
    EXPECT_EQ(readProfileString(ini, "Setup", "Absent", "abcdefgh", 5), "abcd");
}

TEST_F(SettingsRead, LongFolderIsCutTo99AndTrimmed) {
    const QString longFolder = "/" + QString(120, QLatin1Char('f'));
    writeIni("[Setup]\nDir1=" + longFolder.toLatin1() + "\nDir2=   /in/out   \n");
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), longFolder.left(99));
    EXPECT_EQ(readFolderSetting(ini, "Dir2"), "/in/out");
    // Space in the middle of a folder name is kept.
    writeIni("[Setup]\nInputDir=/scans/box one\n");
    EXPECT_EQ(readFolderSetting(ini, "InputDir"), "/scans/box one");
}

TEST_F(SettingsRead, FileIsLatin1) {
    writeIni("[Setup]\nDir1=/scans/caf\xe9\n");
    EXPECT_EQ(readFolderSetting(ini, "Dir1"), QString::fromUtf8("/scans/caf\u00e9"));
}

TEST(LeadingNumber, ReadsTheLongestNumberAtTheStart) {
    EXPECT_EQ(leadingNumber("150"), 150.0);
    EXPECT_EQ(leadingNumber("-12"), -12.0);
    EXPECT_EQ(leadingNumber("+7"), 7.0);
    EXPECT_EQ(leadingNumber(".25"), 0.25);
    EXPECT_EQ(leadingNumber("1.50"), 1.5);
    EXPECT_EQ(leadingNumber("1.5in"), 1.5);
    EXPECT_EQ(leadingNumber("2.5.3"), 2.5);
    EXPECT_EQ(leadingNumber("1E3"), 1000.0);
    EXPECT_EQ(leadingNumber("2e-1x"), 0.2);
    EXPECT_EQ(leadingNumber("3E"), 3.0) << "exponent without digits is not part of the number";
    EXPECT_EQ(leadingNumber("3e+"), 3.0);
    EXPECT_EQ(leadingNumber("  42"), 42.0);
    EXPECT_EQ(leadingNumber("12 34"), 12.0);
}

TEST(LeadingNumber, NoNumberGivesZero) {
    for (const char* t : {"", "abc", "-", "+.", ".", "e5", "x12", "--1"})
        EXPECT_EQ(leadingNumber(t), 0.0) << t;
}

TEST(LeadingNumber, HugeIsInfiniteTinyIsZero) {
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
    EXPECT_LT(leadingNumber("-1e999"), 0.0);
    EXPECT_EQ(leadingNumber("1e-999"), 0.0);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundToInt16(2.5), 2);
    EXPECT_EQ(roundToInt16(3.5), 4);
    EXPECT_EQ(roundToInt16(-2.5), -2);
    EXPECT_EQ(roundToInt16(-3.5), -4);
    EXPECT_EQ(roundToInt16(0.5), 0);
    EXPECT_EQ(roundToInt16(1.4999), 1);
    EXPECT_EQ(roundToInt16(2.5001), 3);
    EXPECT_EQ(roundToInt32(1234.5), 1234);
}

TEST(Rounding, ValuesThatDoNotFitAreRefused) {
    EXPECT_EQ(roundToInt16(32767.0), 32767);
    EXPECT_EQ(roundToInt16(-32768.0), -32768);
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_FALSE(roundToInt16(32767.5).has_value());
    EXPECT_FALSE(roundToInt16(-32769.0).has_value());
    EXPECT_FALSE(roundToInt16(1e9).has_value());
    EXPECT_EQ(roundToInt32(1e9), 1000000000);
    EXPECT_FALSE(roundToInt32(3e9).has_value());
    EXPECT_FALSE(roundToInt32(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(roundToInt16(std::nan("")).has_value());
}

TEST_F(SettingsRead, NumberKeysRoundAndRefuseOverflow) {
    writeIni(
        "[Setup]\nWindow=2.5\nBitonal=3.5\nProcess1=abc\nProcess2=1E9\n"
        "Magnification=9E99\n");
    EXPECT_EQ(readInt16Setting(ini, "Window", "1"), 2);
    EXPECT_EQ(readInt16Setting(ini, "Bitonal", "0"), 4);
    EXPECT_EQ(readInt16Setting(ini, "Process1", "1"), 0);
    EXPECT_FALSE(readInt16Setting(ini, "Process2", "1").has_value());
    EXPECT_FALSE(readInt32Setting(ini, "Magnification", "100").has_value());
}

TEST(NumberText, ShortestDecimalForm) {
    EXPECT_EQ(numberText(0.25), "0.25");
    EXPECT_EQ(numberText(1.5), "1.5");
    EXPECT_EQ(numberText(3.0), "3");
    EXPECT_EQ(numberText(-0.5), "-0.5");
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(0.1 + 0.2), "0.3");
}

TEST_F(SettingsRead, MarginComesBackAsDecimalText) {
    writeIni("[Setup]\nMargin=.25\n");
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "0.25");
    writeIni("[Setup]\nMargin=1.50\n");
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "1.5");
    writeIni("[Setup]\nMargin=1.5in\n");
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "1.5");
    writeIni("[Setup]\nMargin=abc\n");
    EXPECT_EQ(readMarginSetting(ini, "Margin", "0"), "0");
}
