// The main window's keys, undo and redo of edits, and the status strip.
#include <leptonica/allheaders.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QtEndian>

#include "AppTestSupport.h"
#include "app/DocumentMarkerButton.h"
#include "app/StatusStrip.h"
#include "imaging/widget/PageView.h"
#include "pages/PageRecords.h"
#include "view/ViewCommands.h"

namespace leafmark::testing {

namespace {

QSize shownSize(app::MainWindow& w) {
    const auto& e = w.pageView().engine();
    return QSize(static_cast<int>(e.PageWidth()), static_cast<int>(e.PageHeight()));
}

QString shownName(const SharedState& s) { return QFileInfo(s.currentfile).fileName(); }

bool samePixels(PIX* a, PIX* b) {
    l_int32 same = 0;
    return a && b && pixEqual(a, b, &same) == 0 && same;
}

// Claims more strip bytes than page `path` holds, so it can only be read in part.
void damage(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    const qsizetype ifd = u32(4);
    const int entries = qFromLittleEndian<quint16>(bytes.constData() + ifd);
    for (int e = 0; e < entries; ++e) {
        const qsizetype entry = ifd + 2 + 12 * e;
        if (qFromLittleEndian<quint16>(bytes.constData() + entry) == 279)  // StripByteCounts
            qToLittleEndian<quint32>(u32(entry + 8) + 4000, bytes.data() + entry + 8);
    }
    f.seek(0);
    f.write(bytes);
}

}  // namespace

class OperatorFlowTest : public AppTest {
  protected:
    void SetUp() override {
        makePages(3);
        makeWindow();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(window.get(), static_cast<Qt::Key>(k), m);
    }
    QString status() const { return window->statusStrip()->text(); }
};

TEST_F(OperatorFlowTest, KeysRunTheirCommandsAndDoNothingWhileTheCommandIsDisabled) {
    app::MainWindow& w = *window;
    // No page yet: the page commands are disabled, so are their keys.
    for (int k : {int(Qt::Key_PageDown), int(Qt::Key_Return), int(Qt::Key_B), int(Qt::Key_R),
                  int(Qt::Key_End)})
        key(k);
    key(Qt::Key_S, Qt::ControlModifier);
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(state.currentfile.isEmpty());
    EXPECT_FALSE(w.documentMarkerBox()->isChecked());
    EXPECT_EQ(state.modified, 0);

    openThroughMenu(2);
    // A command whose only item is disabled: its key leaves the page alone.
    w.menuAction(app::MenuItem::Invert)->setEnabled(false);
    key(Qt::Key_I);
    EXPECT_EQ(shownPixel(w, 0, 0), 0);
    w.menuAction(app::MenuItem::Invert)->setEnabled(true);
    key(Qt::Key_I);
    EXPECT_EQ(shownPixel(w, 0, 0), 1);
    key(Qt::Key_I);

    key(Qt::Key_R);  // clockwise
    EXPECT_EQ(shownSize(w), QSize(48, 64));
    EXPECT_EQ(state.modified, 1);
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readPage(page(2)).size(), QSize(48, 64));
    EXPECT_EQ(state.modified, 0);

    key(Qt::Key_PageDown);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    // B is a click on the marker box: ticked, yellow, and a marker-only change.
    key(Qt::Key_B);
    EXPECT_TRUE(w.documentMarkerBox()->isChecked());
    EXPECT_EQ(w.documentMarkerBox()->markerColor(), QColor(255, 255, 0));
    EXPECT_EQ(state.modified, 2);
    // Return is save and next: the marker is written, then the last page says so.
    dialogs.messageAnswers = {MsgAnswer::Ok};
    key(Qt::Key_Return);
    EXPECT_EQ(readPage(page(3)).description.value_or(QString()), QStringLiteral("BOD"));
    EXPECT_TRUE(QFileInfo::exists(pageDir + QStringLiteral("/00000002ZZZ.EOD")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("End of Folder."));

    key(Qt::Key_Home);
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    dialogs.messageAnswers = {MsgAnswer::Ok};
    key(Qt::Key_Left);  // Prior on the first page: its boundary message
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Beginning of Folder."));

    // Go to a page by number: the prompt comes first for unsaved work.
    key(Qt::Key_U);
    dialogs.messageAnswers = {MsgAnswer::No};
    dialogs.inputAnswers = {QStringLiteral("3")};
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    EXPECT_EQ(state.modified, 0);
    EXPECT_EQ(readPage(page(1)).size(), QSize(64, 48));  // the half turn was dropped
}

// Invert (leaves modified alone), a white band, a quarter turn: undoing all three
// gives back the loaded page pixel for pixel and modified 0; redoing gives the edits.
TEST_F(OperatorFlowTest, UndoAndRedoReturnPixelsAndModified) {
    app::MainWindow& w = *window;
    openThroughMenu(1);
    imaging::PageEngine& e = w.pageView().engine();
    imaging::PixPtr loaded(pixCopy(nullptr, e.pix()));

    key(Qt::Key_I);
    EXPECT_EQ(state.modified, 0);
    QWidget* vp = w.pageView().viewport();
    const QPoint centre = vp->rect().center();
    QTest::mousePress(vp, Qt::LeftButton, {}, centre - QPoint(40, 30));
    QTest::mouseMove(vp, centre + QPoint(40, 30));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, centre + QPoint(40, 30));
    ASSERT_EQ(state.modified, 1);
    imaging::PixPtr filled(pixCopy(nullptr, e.pix()));
    key(Qt::Key_R, Qt::ShiftModifier);  // anticlockwise
    imaging::PixPtr edited(pixCopy(nullptr, e.pix()));
    EXPECT_EQ(shownSize(w), QSize(48, 64));
    EXPECT_TRUE(status().contains(QStringLiteral("unsaved changes")));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(samePixels(e.pix(), filled.get()));
    EXPECT_EQ(state.modified, 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(state.modified, 0);  // the band set it; invert did not
    EXPECT_FALSE(samePixels(e.pix(), filled.get()));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(samePixels(e.pix(), loaded.get()));
    EXPECT_EQ(state.modified, 0);
    EXPECT_FALSE(status().contains(QStringLiteral("unsaved changes")));
    key(Qt::Key_Z, Qt::ControlModifier);  // nothing left: no change
    EXPECT_TRUE(samePixels(e.pix(), loaded.get()));

    for (int i = 0; i < 3; ++i) key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(samePixels(e.pix(), edited.get()));
    EXPECT_EQ(state.modified, 1);

    // A marker-only change comes back as such; another page forgets the steps.
    dialogs.messageAnswers = {MsgAnswer::No};
    key(Qt::Key_PageDown);
    EXPECT_EQ(shownName(state), QStringLiteral("00000002.tif"));
    key(Qt::Key_B);
    key(Qt::Key_R);
    EXPECT_EQ(state.modified, 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(state.modified, 2);
    dialogs.messageAnswers = {MsgAnswer::No};
    key(Qt::Key_PageDown);
    key(Qt::Key_R);
    EXPECT_EQ(w.viewCommands().history().undoDepth(), 1u);
}

TEST_F(OperatorFlowTest, StatusStripNamesThePlaceInFolderAndDocumentAndDamage) {
    makePages(5);
    QFile eod(pageDir + QStringLiteral("/00000002ZZZ.EOD"));
    ASSERT_TRUE(eod.open(QIODevice::WriteOnly));
    eod.write("EOD\r\n");
    eod.close();
    damage(page(5));
    openThroughMenu(4);
    EXPECT_EQ(status(), QStringLiteral("Page 4 of 5  |  Document 2, page 2 of 3  |  Fit %1%  |  "
                                       "300 dpi  |  Group 4, 1 bit")
                            .arg(std::lround(window->pageView().zoomPercent())));
    key(Qt::Key_B);
    EXPECT_TRUE(status().endsWith(QStringLiteral("Group 4, 1 bit  |  BOD  |  unsaved changes")));
    dialogs.messageAnswers = {MsgAnswer::Yes};
    key(Qt::Key_PageDown);
    EXPECT_TRUE(status().startsWith(QStringLiteral("Page 5 of 5  |  Document 3, page 2 of 2")))
        << status().toStdString();
    EXPECT_TRUE(status().endsWith(QStringLiteral("  |  damaged")));
    EXPECT_TRUE(window->folderMarks().damaged(4));
    EXPECT_TRUE(window->folderMarks().startsDocument(3));
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Leafmark    ") + page(5) + QStringLiteral(" (5 of 5)"));

    // Once the markers are read, the check names pages 2 and 3 (page 3 follows an
    // end-of-document file but is not marked); a ruler click on page 3 shows the
    // finding in the strip, and its document place is the documents model's.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->folderMarks().markersKnownCount() == 5; }, 10000));
    const FolderMarks& marks = window->folderMarks();
    EXPECT_TRUE(marks.hasFinding(1) && marks.hasFinding(2));
    EXPECT_FALSE(marks.hasFinding(3));  // marked by the save, whatever the scan read before it
    app::FolderRuler& ruler = window->statusStrip()->ruler();
    QTest::mouseClick(&ruler, Qt::LeftButton, Qt::NoModifier,
                      QPoint(ruler.width() * 5 / 10, ruler.height() / 2));  // the middle of page 3
    ASSERT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    const PagePosition where = FolderDocuments::read(pageDir).positionOf(2);
    EXPECT_TRUE(status().startsWith(QStringLiteral("Page 3 of 5  |  Document %1, page %2 of %3  |")
                                        .arg(where.document + 1)
                                        .arg(where.page + 1)
                                        .arg(where.pages)))
        << status().toStdString();
    EXPECT_TRUE(
        status().endsWith(QStringLiteral("  |  check: end-of-document file, next page not BOD")))
        << status().toStdString();
}

TEST_F(OperatorFlowTest, DroppingAPageOrAFolderOpensItAsOpenFileDoes) {
    const auto drop = [&](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        window->openDropped(&data);
    };
    drop(page(3));
    EXPECT_EQ(shownName(state), QStringLiteral("00000003.tif"));
    EXPECT_TRUE(window->menuEnabled(PageMenuItem::Save));
    EXPECT_TRUE(window->toolbarEnabled(1));
    EXPECT_TRUE(status().startsWith(QStringLiteral("Page 3 of 3")));
    drop(pageDir);  // a folder: its first page
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
    drop(QDir(tmp.path()).filePath(QStringLiteral("nothing-here")));
    EXPECT_EQ(shownName(state), QStringLiteral("00000001.tif"));
}

}  // namespace leafmark::testing
