// The leafmark-info tool, run as a program on pages written into a temporary folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "support/TestPages.h"

using namespace leafmark::testing;

namespace {

struct ToolRun {
    int exitCode = -1;
    QStringList lines;
};

ToolRun runInfo(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LEAFMARK_INFO_EXE), args);
    ToolRun r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitCode();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return r;
}

class InfoToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PageSpec marked;
        marked.compression = COMPRESSION_CCITTFAX4;
        marked.ascii = {{TIFFTAG_IMAGEDESCRIPTION, "BOD"}, {TIFFTAG_MODEL, "Changed\n\"quoted\""}};
        ASSERT_TRUE(writeTiff(file("marked.tif").toStdString(), {marked}));
        PageSpec plain;
        plain.bps = 8;
        plain.photometric = PHOTOMETRIC_MINISBLACK;
        plain.compression = COMPRESSION_LZW;
        ASSERT_TRUE(writeTiff(file("plain.tif").toStdString(), {plain, plain}));
        writeBytes(file("notes.tif").toStdString(), "not a page");
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(InfoToolTest, PrintsOneLinePerFileAndFailsWhenAFileCannotBeRead) {
    ToolRun good = runInfo({file("marked.tif"), file("plain.tif")});
    EXPECT_EQ(good.exitCode, 0);
    ASSERT_EQ(good.lines.size(), 2) << good.lines.join("|").toStdString();
    const std::string first = good.lines[0].toStdString();
    EXPECT_NE(first.find("67x45"), std::string::npos) << first;
    EXPECT_NE(first.find("300x200 dpi"), std::string::npos) << first;
    EXPECT_NE(first.find("Group 4"), std::string::npos) << first;
    EXPECT_NE(first.find("1-bit"), std::string::npos) << first;
    EXPECT_NE(first.find("document=\"BOD\""), std::string::npos) << first;
    EXPECT_NE(first.find("change=\"Changed\\n\\\"quoted\\\"\""), std::string::npos) << first;
    EXPECT_EQ(first.find("damaged"), std::string::npos);
    const std::string second = good.lines[1].toStdString();
    EXPECT_NE(second.find("LZW"), std::string::npos) << second;
    EXPECT_NE(second.find("8-bit"), std::string::npos) << second;
    EXPECT_NE(second.find("pages 2"), std::string::npos) << second;

    ToolRun bad = runInfo({file("plain.tif"), file("notes.tif"), file("gone.tif")});
    EXPECT_EQ(bad.exitCode, 1);
    ASSERT_EQ(bad.lines.size(), 3);
    EXPECT_TRUE(bad.lines[1].contains("Not a TIFF")) << bad.lines[1].toStdString();
    EXPECT_TRUE(bad.lines[2].contains("not found")) << bad.lines[2].toStdString();

    // A named pipe nobody writes to does not hold the command up.
    ASSERT_EQ(::mkfifo(QFile::encodeName(file("pipe.tif")).constData(), 0600), 0);
    ToolRun pipe = runInfo({file("pipe.tif")});
    EXPECT_EQ(pipe.exitCode, 1);
    ASSERT_EQ(pipe.lines.size(), 1);
    EXPECT_TRUE(pipe.lines[0].contains("named pipe")) << pipe.lines[0].toStdString();
}

TEST_F(InfoToolTest, JsonLinesCarryTheSameFacts) {
    // A page whose compressed data is garbled in the middle loads as damaged, not refused.
    PageSpec big;
    big.width = big.height = 400;
    big.bps = 8;
    big.photometric = PHOTOMETRIC_MINISBLACK;
    big.compression = COMPRESSION_LZW;
    big.rowsPerStrip = 400;
    ASSERT_TRUE(writeTiff(file("garbled.tif").toStdString(), {big}));
    std::string bytes = fileBytes(file("garbled.tif").toStdString());
    ASSERT_GT(bytes.size(), 2000u);
    for (std::size_t i = 600; i < 1400; ++i)
        bytes[i] = static_cast<char>(0xFF);  // strip data starts at 8
    writeBytes(file("garbled.tif").toStdString(), bytes);
    ToolRun damaged = runInfo({file("garbled.tif")});
    EXPECT_EQ(damaged.exitCode, 0) << "a damaged page still reads";
    ASSERT_EQ(damaged.lines.size(), 1);
    EXPECT_TRUE(damaged.lines[0].contains("damaged: ")) << damaged.lines[0].toStdString();
    ToolRun damagedJson = runInfo({"--json", file("garbled.tif")});
    ASSERT_EQ(damagedJson.lines.size(), 1);
    const QJsonObject d = QJsonDocument::fromJson(damagedJson.lines[0].toUtf8()).object();
    EXPECT_TRUE(d["ok"].toBool());
    EXPECT_TRUE(d["damaged"].toBool());
    EXPECT_FALSE(d["damageReason"].toString().isEmpty());

    ToolRun r = runInfo({"--json", file("marked.tif"), file("notes.tif")});
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.lines.size(), 2);
    QJsonParseError err{};
    const QJsonObject a = QJsonDocument::fromJson(r.lines[0].toUtf8(), &err).object();
    ASSERT_EQ(err.error, QJsonParseError::NoError) << r.lines[0].toStdString();
    EXPECT_TRUE(a["ok"].toBool());
    EXPECT_EQ(a["width"].toInt(), 67);
    EXPECT_EQ(a["height"].toInt(), 45);
    EXPECT_EQ(a["xResolution"].toInt(), 300);
    EXPECT_EQ(a["format"].toInt(), 4);
    EXPECT_EQ(a["bitDepth"].toInt(), 1);
    EXPECT_EQ(a["documentMarker"].toString(), "BOD");
    EXPECT_EQ(a["changeMarker"].toString(), "Changed\n\"quoted\"");
    EXPECT_FALSE(a["damaged"].toBool());
    EXPECT_GT(a["ink"].toDouble(), 10.0);  // the test pattern is about a third black
    EXPECT_FALSE(a["blank"].toBool());
    const QJsonObject b = QJsonDocument::fromJson(r.lines[1].toUtf8(), &err).object();
    ASSERT_EQ(err.error, QJsonParseError::NoError) << r.lines[1].toStdString();
    EXPECT_FALSE(b["ok"].toBool());
    EXPECT_TRUE(b["error"].toString().contains("Not a TIFF"));
}
