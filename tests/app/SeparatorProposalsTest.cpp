// Separator sheets in the main window: the starts they propose appear in the
// status strip and ruler once the folder is read in the background, N goes to
// them, and P takes one as a click on the marker box would, saved by the usual rules.
// Which pages are separators is the operator's choice, kept in the settings file.
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "AppTestSupport.h"
#include "app/DocumentMarkerButton.h"
#include "app/StatusStrip.h"
#include "imaging/engine/PageEngine.h"
#include "pagemaker/SeparatorSheet.h"
#include "pages/FolderProposals.h"
#include "pages/PageRecords.h"
#include "shared/SeparatorSettings.h"
#include "support/TestPages.h"

namespace leafmark::testing {
namespace {

void markBeginning(const QString& path) {
    imaging::PageEngine engine;
    ASSERT_TRUE(engine.LoadPage(path.toStdString()));
    engine.SetComment(imaging::kSlotDocumentMarker, "BOD");
    ASSERT_TRUE(engine.ReadFileInfo(path.toStdString()).ok());
    ASSERT_TRUE(
        engine.SavePage(path.toStdString(), engine.StoredFormat(), engine.StoredBitDepth()).ok());
}

QByteArray fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

}  // namespace

class SeparatorProposalsTest : public AppTest {
  protected:
    void sheet(int n, const char* symbology) {
        QString error;
        ASSERT_TRUE(pagemaker::writeSeparatorSheet(page(n), 200, symbology,
                                                   "SEP-" + std::to_string(n), 2.0, 20,
                                                   static_cast<quint32>(n), &error))
            << error.toStdString();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(window.get(), static_cast<Qt::Key>(k), m);
    }
    // A page of text (the test pattern, 3 inches square) or a blank sheet.
    void textOrBlank(int n, bool blank) {
        PageSpec spec;
        spec.width = spec.height = 600;
        spec.xres = spec.yres = 200;
        spec.compression = COMPRESSION_CCITTFAX4;
        spec.rowsPerStrip = 600;
        if (blank) spec.ink = Ink::White;
        writePage(page(n), spec);
    }
    int shown() const { return window->pages().folderList().selectedIndex(); }
    QString status() const { return window->statusStrip()->text(); }
};

TEST_F(SeparatorProposalsTest, ProposalsShowAndAreTakenAsAClickOnTheMarkerBox) {
    // 1 text | 2 sheet | 3 proposed | 4 sheet | 5 BOD without the file before (proposed)
    // | 6 sheet | 7 BOD with 00000006ZZZ.EOD (agrees)
    makePages(7);
    sheet(2, "Code128");
    sheet(4, "QRCode");
    sheet(6, "Code128");
    markBeginning(page(5));
    markBeginning(page(7));
    QFile eod(pageDir + QStringLiteral("/00000006ZZZ.EOD"));
    ASSERT_TRUE(eod.open(QIODevice::WriteOnly));
    eod.write("EOD\r\n");
    eod.close();

    app::MainWindow& w = makeWindow();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    openThroughMenu(1);
    FolderProposals& p = w.proposals();
    // Every page read for separators, and the markers of page 7 read, make the strip count two.
    ASSERT_TRUE(waitFor(
        [&] {
            return p.finished() && p.agrees(6) && status().contains(QStringLiteral("2 proposed"));
        },
        60000))
        << status().toStdString();
    EXPECT_TRUE(p.separator(1) && p.separator(3) && p.separator(5));
    EXPECT_EQ(p.why(1), QStringLiteral("barcode Code128 \"SEP-2\""));
    EXPECT_TRUE(p.proposed(2) && p.proposed(4) && p.agrees(6));
    EXPECT_EQ(p.proposedCount(), 2);
    EXPECT_TRUE(status().contains(QStringLiteral("2 proposed starts"))) << status().toStdString();

    // N goes round to the proposals, Shift+N back; P elsewhere does nothing.
    key(Qt::Key_P);
    EXPECT_EQ(state.modified, 0);
    key(Qt::Key_N, Qt::ShiftModifier);
    EXPECT_EQ(shown(), 4);
    key(Qt::Key_N);
    EXPECT_EQ(shown(), 2);
    EXPECT_TRUE(status().contains(QStringLiteral("proposed start (P takes it)")))
        << status().toStdString();

    // P ticks the box as a click does; the save writes the marker and the end-of-document file.
    key(Qt::Key_P);
    EXPECT_TRUE(w.documentMarkerBox()->isChecked());
    EXPECT_EQ(state.modified, 2);
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readPage(page(3)).description, QStringLiteral("BOD"));
    EXPECT_EQ(fileText(pageDir + QStringLiteral("/00000002ZZZ.EOD")), QByteArray("EOD\r\n"));
    EXPECT_TRUE(p.agrees(2));
    EXPECT_TRUE(status().contains(QStringLiteral("start agrees with the separator sheet")));

    // Page 5 is ticked already: P must not clear it, and Save and Next writes the missing file.
    key(Qt::Key_N);
    ASSERT_EQ(shown(), 4);
    ASSERT_TRUE(w.documentMarkerBox()->isChecked());
    key(Qt::Key_P);
    EXPECT_TRUE(w.documentMarkerBox()->isChecked());
    EXPECT_EQ(state.modified, 2);
    key(Qt::Key_Return);
    EXPECT_EQ(shown(), 5);
    EXPECT_EQ(readPage(page(5)).description, QStringLiteral("BOD"));
    EXPECT_EQ(fileText(pageDir + QStringLiteral("/00000004ZZZ.EOD")), QByteArray("EOD\r\n"));
    EXPECT_EQ(p.proposedCount(), 0);

    // Nothing is left to go to.
    key(Qt::Key_N);
    EXPECT_EQ(shown(), 5);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SeparatorProposalsTest, BlankSeparatorsChosenInTheDialogAndUnusableSettingsSaidSo) {
    // 1 text | 2 blank sheet | 3 text; the stored settings cannot be used.
    textOrBlank(1, false);
    textOrBlank(2, true);
    textOrBlank(3, false);
    writeSettings({QStringLiteral("[Setup]"), QStringLiteral("Window=1"),
                   QStringLiteral("[Separators]"), QStringLiteral("Pattern=(SEP"),
                   QStringLiteral("Symbologies=Code128,Nonsense")});
    const QString ini = appDir + QStringLiteral("leafmark.ini");
    app::MainWindow& w = makeWindow();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    openThroughMenu(1);
    FolderProposals& p = w.proposals();
    ASSERT_TRUE(waitFor([&] { return p.finished(); }, 60000));

    // The default rule: a blank sheet is no separator. The strip says what is not used.
    EXPECT_FALSE(p.separator(1));
    EXPECT_EQ(p.proposedCount(), 0);
    EXPECT_EQ(p.scanner().symbologies(), imaging::defaultSymbologies());
    EXPECT_TRUE(status().contains(
        QStringLiteral("The separator pattern \"(SEP\" is not a valid regular expression")))
        << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("Separators are found without a pattern.")));
    EXPECT_TRUE(status().contains(QStringLiteral("unknown barcode symbology \"Nonsense\"")));
    const int decoded = p.scanner().pagesRead();
    EXPECT_EQ(decoded, 3);

    // S shows the stored settings; blank sheets chosen there propose the page after the
    // blank sheet, from the readings already made, and are stored for the next run.
    dialogs.separatorAnswers.push_back(
        SeparatorSettings{QStringLiteral("blank"), QString(), QString()});
    key(Qt::Key_S);
    ASSERT_EQ(dialogs.separatorShown.size(), 1u);
    EXPECT_EQ(dialogs.separatorShown[0].pattern, QStringLiteral("(SEP"));
    ASSERT_TRUE(waitFor([&] { return p.finished() && p.proposed(2); }, 60000))
        << status().toStdString();
    EXPECT_EQ(p.why(1), QStringLiteral("blank page"));
    EXPECT_EQ(p.scanner().pagesRead(), decoded);
    EXPECT_FALSE(status().contains(QStringLiteral("separator pattern"))) << status().toStdString();
    const SeparatorSettings blank{QStringLiteral("blank"), QString(), QString()};
    EXPECT_EQ(readSeparatorSettings(ini), blank);
    EXPECT_TRUE(settingsText().startsWith(QStringLiteral("[Setup]\nWindow=1\n")));

    // A pattern that is not an expression is refused and shown again as typed;
    // cancelling then keeps the rule and the file as they were.
    dialogs.separatorAnswers = {
        SeparatorSettings{QStringLiteral("both"), QStringLiteral("SEP-("), QString()},
        std::nullopt};
    dialogs.messageAnswers.push_back(MsgAnswer::Ok);
    key(Qt::Key_S);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        dialogs.messages[0].text.contains(QStringLiteral("not a valid regular expression")));
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(QStringLiteral("stay as they were.")));
    ASSERT_EQ(dialogs.separatorShown.size(), 3u);
    EXPECT_EQ(dialogs.separatorShown[2].pattern, QStringLiteral("SEP-("));
    EXPECT_EQ(readSeparatorSettings(ini), blank);
    EXPECT_TRUE(p.proposed(2));

    // The next run reads the choice from the file.
    window.reset();
    app::MainWindow& again = makeWindow();
    openThroughMenu(1);
    ASSERT_TRUE(waitFor([&] { return again.proposals().proposed(2); }, 60000))
        << status().toStdString();
    EXPECT_TRUE(again.separatorProblems().isEmpty());
}

}  // namespace leafmark::testing
