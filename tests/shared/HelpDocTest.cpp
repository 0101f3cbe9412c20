// The help document builder and the guide's coverage of the things on disk.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "HelpDoc.h"

using leafmark::helpdoc::convertFile;
using leafmark::helpdoc::writeHelpPdf;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The page count the PDF's page tree declares.
int pageCount(const QByteArray& pdf) {
    const auto m =
        QRegularExpression(QStringLiteral("/Count (\\d+)")).match(QString::fromLatin1(pdf));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString longGuide() {
    QString md = QStringLiteral("# Guide\n\n| Key | Default |\n|---|---|\n| Window | 1 |\n\n");
    for (int i = 0; i < 120; ++i)
        md += QStringLiteral("Paragraph %1 about checking scanned pages one by one.\n\n").arg(i);
    return md;
}

}  // namespace

TEST(HelpDoc, WritesAPdfWithAsManyPagesAsTheTextNeeds) {
    QTemporaryDir dir;
    const QString shortPdf = dir.filePath("short.pdf"), longPdf = dir.filePath("long.pdf");
    ASSERT_TRUE(writeHelpPdf("# Title\n\nOne line.\n", shortPdf, "T"));
    ASSERT_TRUE(writeHelpPdf(longGuide(), longPdf, "T"));
    const QByteArray a = readAll(shortPdf), b = readAll(longPdf);
    EXPECT_TRUE(a.startsWith("%PDF-"));
    EXPECT_TRUE(b.trimmed().endsWith("%%EOF"));
    EXPECT_EQ(pageCount(a), 1);
    EXPECT_GT(pageCount(b), 2);
}

TEST(HelpDoc, FailureLeavesTheOldDocumentInPlace) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("leafmark.pdf");
    ASSERT_TRUE(writeHelpPdf("# Old\n", pdf, "T"));
    const QByteArray before = readAll(pdf);

    EXPECT_FALSE(convertFile(dir.filePath("missing.md"), pdf, "T"));
    EXPECT_EQ(writeHelpPdf(QString(), pdf, "T").reason(), "the guide is empty");
    EXPECT_EQ(readAll(pdf), before);

    EXPECT_FALSE(writeHelpPdf("# x\n", dir.filePath("no/such/folder/x.pdf"), "T"));
    EXPECT_FALSE(QFile::exists(dir.filePath("no/such/folder/x.pdf")));
}

TEST(HelpDoc, GuideNamesEverySettingAndMarker) {
    const QString guide = QString::fromUtf8(readAll(QStringLiteral(LEAFMARK_HELP_SOURCE)));
    ASSERT_FALSE(guide.isEmpty());
    for (const char* key : {"Magnification", "Window", "Bitonal", "Dir1", "Dir2", "Process1",
                            "Process2", "Process3", "Margin", "InputDir", "OutputDir"})
        EXPECT_TRUE(guide.contains(QStringLiteral("| `%1` |").arg(key))) << key;
    for (const char* text : {"`BOD`", "`Changed`", "ZZZ.EOD", "ImageDescription", "Model", "`.ini`",
                             "[Setup]", "Beginning of Document", "ESC"})
        EXPECT_TRUE(guide.contains(QLatin1String(text))) << text;
}
