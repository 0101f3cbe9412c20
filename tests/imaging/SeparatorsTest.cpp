// Separator sheets on generated pages: barcodes written with the barcode library's
// own writer (by the page maker) onto letter pages at 300 and 200 dpi, turned a few degrees and
// specked, among pages of text; the proposed document starts that follow; where on a page
// matrix codes are searched for.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "PixTestPages.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/separators/MatrixCodeAreas.h"
#include "imaging/separators/SeparatorDetect.h"
#include "imaging/separators/SeparatorSuggest.h"
#include "pagemaker/SeparatorSheet.h"

namespace leafmark::imaging {
namespace {

struct Code {
    std::string symbology;
    std::string text;
};

QImage separatorSheet(int dpi, const Code& code, double angle) {
    QImage img = pagemaker::separatorSheet(dpi, code.symbology, code.text, angle, 40,
                                           static_cast<quint32>(dpi + angle * 10));
    EXPECT_FALSE(img.isNull());
    return img;
}

QImage textPage(int dpi, const Code* code = nullptr) {
    QImage img = testpages::textPage(static_cast<int>(8.5 * dpi), 11 * dpi, dpi, 11, 0.0);
    if (code) {  // a label stuck on the page among the lines of text
        QPainter p(&img);
        p.fillRect(QRectF(2.0 * dpi, 4.0 * dpi, 3.5 * dpi, 1.0 * dpi), Qt::white);
        EXPECT_TRUE(pagemaker::paintBarcode(p, code->symbology, code->text, dpi,
                                            QPointF(2.2 * dpi, 4.2 * dpi)));
    }
    pagemaker::sprinkleSpecks(img, 10, static_cast<quint32>(dpi));
    return img;
}

// Writes the page as a 1-bit Group 4 file at `dpi`.
std::string writePage(const QString& folder, int index, const QImage& img, int dpi) {
    PageEngine engine;
    engine.setImage(testpages::binaryOf(img), dpi, dpi);
    const std::string path =
        (folder + QStringLiteral("/%1.tif").arg(index, 8, 10, QLatin1Char('0'))).toStdString();
    const auto status = engine.SavePage(path, kFormatGroup4, 1);
    EXPECT_TRUE(status.ok()) << status.reason();
    return path;
}

class SeparatorFolder : public ::testing::TestWithParam<int> {};

TEST_P(SeparatorFolder, SheetsAreFoundAndTheFollowingPagesProposed) {
    const int dpi = GetParam();
    QTemporaryDir dir;
    const Code sheet128{"Code128", "SEP-0001"};
    const Code sheetQr{"QRCode", "NEXT DOCUMENT 17"};
    const Code invoice{"Code128", "INV-4711"};
    const Code sheetDm{"DataMatrix", "SEP-0003"};
    const std::vector<QImage> pages = {textPage(dpi),
                                       separatorSheet(dpi, sheet128, 2.5),
                                       textPage(dpi),
                                       separatorSheet(dpi, sheetQr, -3.0),
                                       textPage(dpi, &invoice),
                                       textPage(dpi),
                                       separatorSheet(dpi, sheetDm, 1.5)};
    std::vector<SeparatorReading> readings;
    for (int i = 0; i < static_cast<int>(pages.size()); ++i)
        readings.push_back(
            readSeparatorPage(writePage(dir.path(), i + 1, pages[i], dpi), defaultSymbologies()));

    for (const auto& r : readings) ASSERT_TRUE(r.readable) << r.error;
    ASSERT_EQ(readings[1].barcodes.size(), 1u);
    EXPECT_EQ(readings[1].barcodes[0].symbology, "Code128");
    EXPECT_EQ(readings[1].barcodes[0].text, "SEP-0001");
    ASSERT_EQ(readings[3].barcodes.size(), 1u);
    EXPECT_EQ(readings[3].barcodes[0].symbology, "QRCode");
    EXPECT_EQ(readings[3].barcodes[0].text, "NEXT DOCUMENT 17");
    ASSERT_EQ(readings[6].barcodes.size(), 1u);
    EXPECT_EQ(readings[6].barcodes[0].symbology, "DataMatrix");
    EXPECT_EQ(readings[6].barcodes[0].text, "SEP-0003");
    // The label on the text page is read, but the text around it keeps the page from being a
    // separator.
    ASSERT_EQ(readings[4].barcodes.size(), 1u);
    EXPECT_EQ(readings[4].barcodes[0].text, "INV-4711");
    // The barcode's area, in page pixels, covers the bars' full height (0.6 inch).
    EXPECT_GE(readings[1].barcodes[0].height, dpi / 2);

    const SeparatorRule byDefault;
    std::vector<bool> separator;
    for (const auto& r : readings) separator.push_back(isSeparator(r, byDefault));
    EXPECT_EQ(separator, (std::vector<bool>{false, true, false, true, false, false, true}));

    const auto proposed = suggestStarts(separator, {});
    ASSERT_EQ(proposed.size(), 2u);
    EXPECT_EQ(proposed[0].page, 2);
    EXPECT_EQ(proposed[0].separator, 1);
    EXPECT_EQ(proposed[1].page, 4);
    EXPECT_FALSE(proposed[0].agrees || proposed[1].agrees);

    // A pattern takes the pages whose barcode text it accepts, text around it or not.
    SeparatorRule byPattern;
    byPattern.pattern = [](const std::string& text) {
        return text == "INV-4711" || text.rfind("SEP-", 0) == 0;
    };
    std::string why;
    EXPECT_TRUE(isSeparator(readings[4], byPattern, &why));
    EXPECT_EQ(why, "barcode Code128 \"INV-4711\"");
    EXPECT_TRUE(isSeparator(readings[1], byPattern));
    EXPECT_FALSE(isSeparator(readings[3], byPattern));
}

INSTANTIATE_TEST_SUITE_P(AtScanResolutions, SeparatorFolder, ::testing::Values(300, 200));

TEST(MatrixCodeSearch, OnlyTheCodeOfATextPageIsSearchedEvenCloseBesideText) {
    const int dpi = 300;
    QImage img = testpages::textPage(static_cast<int>(8.5 * dpi), 11 * dpi, dpi, 11, 0.0);
    {
        // A QR Code whose quiet zone is all that separates it from a line of text.
        QPainter p(&img);
        p.fillRect(QRectF(1.0 * dpi, 3.7 * dpi, 6.6 * dpi, 1.0 * dpi), Qt::white);
        const QRectF code(2.0 * dpi, 4.0 * dpi, 0.42 * dpi, 0.42 * dpi);  // 21 modules
        EXPECT_TRUE(pagemaker::paintBarcode(p, "QRCode", "BOX 7", dpi, code.topLeft()));
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(11 * dpi / 72);
        p.setFont(font);
        p.drawText(QPointF(code.right() + 0.05 * dpi, code.top() + 0.2 * dpi),
                   QStringLiteral("Received 12 March, checked by the front desk."));
    }
    const PixPtr page = testpages::binaryOf(img);
    const ReducedPage reduced = reducePage(page.get(), dpi);
    // The lines of text offer nothing to search; the code does.
    const std::vector<InkArea> areas = matrixCodeAreas(reduced.ink.get(), reduced.dpi);
    ASSERT_FALSE(areas.empty());
    for (const InkArea& a : areas) {
        EXPECT_LT(std::abs(a.left * reduced.factor - 2 * dpi), dpi / 10) << a.left;
        EXPECT_LT(std::abs(a.top * reduced.factor - 4 * dpi), dpi / 10) << a.top;
    }
    const SeparatorReading r = readSeparatorPix(page.get(), dpi, defaultSymbologies());
    ASSERT_EQ(r.barcodes.size(), 1u);
    EXPECT_EQ(r.barcodes[0].text, "BOX 7");
    EXPECT_NEAR(r.barcodes[0].left, 2 * dpi, dpi / 20);
    EXPECT_NEAR(r.barcodes[0].top, 4 * dpi, dpi / 20);
}

TEST(LinearCodeSearch, CodesCrossedWholeOnFewLinesOnlyAndCodesTurnedAQuarterAreRead) {
    const int dpi = 300;
    QImage img(static_cast<int>(8.5 * dpi), 11 * dpi, QImage::Format_Grayscale8);
    img.fill(Qt::white);
    // Code 128 with bars 0.15 inch high turned 3 degrees: over its 2.7 inch only a few rows
    // cross all its bars. Code 39 turned a quarter, read down the columns.
    auto paint = [&](const std::string& symbology, const std::string& text, double high, QPointF at,
                     double angle) {
        QImage code(4 * dpi, dpi, QImage::Format_Grayscale8);
        code.fill(Qt::white);
        QPainter c(&code);
        EXPECT_TRUE(pagemaker::paintBarcode(c, symbology, text, dpi, QPointF(0, 0)));
        QPainter p(&img);
        p.translate(at * dpi);
        p.rotate(angle);
        p.drawImage(QRectF(0, 0, code.width(), high * dpi), code,
                    QRectF(0, 0, code.width(), high * dpi));
    };
    paint("Code128", "LONG-TEXT-0123456789", 0.15, {0.8, 3.0}, 3.0);
    paint("Code39", "QUARTER", 0.6, {3.0, 5.0}, 90.0);
    pagemaker::sprinkleSpecks(img, 40, 3);
    const PixPtr page = testpages::binaryOf(img);
    const SeparatorReading r = readSeparatorPix(page.get(), dpi, defaultSymbologies());
    std::vector<std::string> texts;
    for (const BarcodeHit& b : r.barcodes) texts.push_back(b.text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"LONG-TEXT-0123456789", "QUARTER"}));
}

TEST(SeparatorRules, BlankSheetsAndSymbologies) {
    const int dpi = 200;
    QImage blank(static_cast<int>(8.5 * dpi), 11 * dpi, QImage::Format_Grayscale8);
    blank.fill(Qt::white);
    QPainter(&blank).fillRect(0, 0, dpi / 8, blank.height(), Qt::black);  // scanner edge shadow
    pagemaker::sprinkleSpecks(blank, 60, 7);
    QImage oneLine = blank.copy();
    {
        QPainter p(&oneLine);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(11 * dpi / 72);
        p.setFont(font);
        p.drawText(QPointF(1.5 * dpi, 5.0 * dpi),
                   QStringLiteral("Received 12 March, checked by the front desk."));
    }
    const QImage sheet = separatorSheet(dpi, {"Code128", "SEP-0002"}, 1.0);
    auto read = [&](const QImage& img, Symbologies set) {
        return readSeparatorPix(testpages::binaryOf(img).get(), dpi, set);
    };
    const SeparatorReading blankRead = read(blank, defaultSymbologies());
    const SeparatorReading lineRead = read(oneLine, defaultSymbologies());
    const SeparatorReading sheetRead = read(sheet, defaultSymbologies());

    SeparatorRule blanks;
    blanks.kinds = SeparatorKinds::Blank;
    EXPECT_TRUE(isSeparator(blankRead, blanks)) << blankRead.inkPercent;
    EXPECT_FALSE(isSeparator(lineRead, blanks)) << lineRead.inkPercent;
    // A blank separator is a blank page of the documents: the same measure and limit
    // (under 250 dpi the working copy is the page itself, so the figures are equal).
    EXPECT_DOUBLE_EQ(lineRead.inkPercent,
                     inkSharePercent(testpages::binaryOf(oneLine).get(), dpi, dpi));
    blanks.blankPercent = lineRead.inkPercent + 0.01;
    EXPECT_TRUE(isSeparator(lineRead, blanks));
    EXPECT_FALSE(isSeparator(sheetRead, blanks));
    EXPECT_FALSE(isSeparator(blankRead, SeparatorRule{}));  // barcodes only by default
    SeparatorRule both;
    both.kinds = SeparatorKinds::Both;
    EXPECT_TRUE(isSeparator(blankRead, both) && isSeparator(sheetRead, both));

    const SymbologyList qrOnly = parseSymbologies(" qrcode ");
    ASSERT_TRUE(qrOnly.status) << qrOnly.status.reason();
    EXPECT_TRUE(read(sheet, qrOnly.set).barcodes.empty());
    const SymbologyList unknown = parseSymbologies("Code128,Code129");
    EXPECT_FALSE(unknown.status);
    EXPECT_NE(unknown.status.reason().find("Code129"), std::string::npos);
    EXPECT_EQ(unknown.set, 0u);
    const SymbologyList two = parseSymbologies("Code128, DataMatrix");
    ASSERT_TRUE(two.status);
    EXPECT_EQ(symbologyNames(two.set), "Code128,DataMatrix");
}

TEST(SeparatorSuggestions, RunsOfSheetsAndMarkersOnDisk) {
    // Pages: 0 sheet, 1 start, 2, 3 sheet, 4 sheet, 5 start, 6, 7 sheet (last: nothing follows).
    const std::vector<bool> sep = {true, false, false, true, true, false, false, true};
    std::vector<PageMarks> marks(8);
    marks[1] = {true, true};   // marked and closed before: agrees
    marks[5] = {true, false};  // marked, but the sheet before has no end-of-document file
    const auto starts = suggestStarts(sep, marks);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].page, 1);
    EXPECT_TRUE(starts[0].agrees);
    EXPECT_EQ(starts[1].page, 5);
    EXPECT_EQ(starts[1].separator, 4);
    EXPECT_FALSE(starts[1].agrees);
}

TEST(InfoTool, BarcodesOfEachPageOnRequest) {
    QTemporaryDir dir;
    const QString sheet = dir.filePath(QStringLiteral("sheet.tif"));
    ASSERT_TRUE(pagemaker::writeSeparatorSheet(sheet, 200, "QRCode", "BOX 7 / DOC 12", -2.0, 20));
    const std::string text = writePage(dir.path(), 2, textPage(200), 200);
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(LEAFMARK_INFO_EXE), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    };
    const QStringList lines = run({QStringLiteral("--json"), QStringLiteral("--barcodes"), sheet,
                                   QString::fromStdString(text)});
    ASSERT_EQ(lines.size(), 2);
    const QJsonArray onSheet =
        QJsonDocument::fromJson(lines[0].toUtf8()).object()["barcodes"].toArray();
    ASSERT_EQ(onSheet.size(), 1);
    EXPECT_EQ(onSheet[0].toObject()["symbology"].toString(), QStringLiteral("QRCode"));
    EXPECT_EQ(onSheet[0].toObject()["text"].toString(), QStringLiteral("BOX 7 / DOC 12"));
    const QJsonObject onText = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_TRUE(onText["barcodes"].isArray() && onText["barcodes"].toArray().isEmpty());
    // Without the option no page is searched for barcodes.
    EXPECT_FALSE(run({QStringLiteral("--json"), sheet})[0].contains(QStringLiteral("barcodes")));
}

}  // namespace
}  // namespace leafmark::imaging
