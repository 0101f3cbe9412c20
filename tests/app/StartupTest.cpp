// Start-up of the main window: caption, controls' states, settings, geometry.
#include <QAction>
#include <QGuiApplication>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

#include "AppTestSupport.h"
#include "app/ButtonPictures.h"
#include "app/DocumentMarkerButton.h"
#include "app/MenuTable.h"
#include "app/ToolbarLayout.h"
#include "imaging/widget/PageView.h"

namespace leafmark::testing {

namespace {
const QStringList kPageItems = {"mnuFirst", "mnuPrior",  "mnuNext",  "mnuLast",
                                "mnuSave",  "mnuSaveAs", "mnuRevert"};

QStringList captions(QMenu* m) {
    QStringList out;
    for (QAction* a : m->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// The share of the picture's pixels that are not transparent, drawn at button size.
double inkOf(const QIcon& icon, QIcon::State state = QIcon::Off) {
    const QImage img = icon.pixmap(app::kPictureSize, QIcon::Normal, state).toImage();
    int drawn = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) drawn += qAlpha(img.pixel(x, y)) > 0;
    return img.isNull() ? 0.0 : double(drawn) / (img.width() * img.height());
}
}  // namespace

// The pictures are SVG files drawn when shown: without the SVG plugin, or with a
// file missing from the resources, a button would stay blank.
TEST(ButtonPictures, EachOfOurPicturesDraws) {
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("svg"));
    for (const app::ToolbarEntry& e : app::toolbarTable())
        EXPECT_GT(inkOf(app::ownPicture(e.picture)), 0.05) << e.picture;
    const QIcon box = app::documentMarkerIcon();
    EXPECT_GT(inkOf(box, QIcon::Off), 0.05);
    EXPECT_GT(inkOf(box, QIcon::On), inkOf(box, QIcon::Off));  // the ribbon is filled in
    EXPECT_GT(inkOf(app::applicationIcon()), 0.05);
}

TEST_F(AppTest, StartupSetsCaptionStateAndControls) {
    app::MainWindow& w = makeWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Leafmark  "));
    EXPECT_EQ(state.captionprefix, QStringLiteral("Leafmark  "));
    EXPECT_EQ(state.apppath, appDir);
    EXPECT_EQ(state.inifile, appDir + QStringLiteral("leafmark.ini"));
    EXPECT_EQ(state.modified, 0);
    EXPECT_TRUE(state.currentfile.isEmpty());
    EXPECT_EQ(w.pageView().backColor(), QColor(220, 219, 197));

    for (int i = 0; i <= 25; ++i) {
        QToolButton* b = w.toolbarButton(i);
        const app::ToolbarEntry* e = app::toolbarEntry(i);
        ASSERT_EQ(b != nullptr, e != nullptr) << i;
        if (!b) continue;
        EXPECT_EQ(b->isEnabled(), i == 21 || i == 22) << i;
        EXPECT_EQ(w.toolbarEnabled(i), i == 21 || i == 22) << i;
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(e->tooltip));
        EXPECT_FALSE(b->icon().isNull()) << i;
    }
    EXPECT_FALSE(w.toolbarEnabled(2));
    auto* bod = w.documentMarkerBox();
    EXPECT_FALSE(bod->isEnabled());
    EXPECT_FALSE(bod->isChecked());
    EXPECT_EQ(bod->toolTip(), QStringLiteral("Beginning of Document"));

    for (const app::MenuEntry& e : app::menuTable()) {
        const QString name = QString::fromLatin1(e.name);
        QAction* a = w.menuAction(e.item);
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->isEnabled(), !kPageItems.contains(name)) << e.name;
    }
    EXPECT_TRUE(w.menuAction(app::MenuItem::WhiteOut)->isChecked());
    EXPECT_TRUE(w.whiteFillChecked());
    EXPECT_FALSE(w.menuEnabled(PageMenuItem::Revert));
}

TEST_F(AppTest, MenuTreeHasTheCaptionsInOrder) {
    app::MainWindow& w = makeWindow();
    QStringList titles;
    for (QAction* a : w.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Help"}));
    EXPECT_EQ(captions(w.menu(app::MenuItem::File)),
              (QStringList{"&Open File", "&First", "&Prior", "&Next", "&Last", "-", "&Save",
                           "Save &As", "-", "&Revert Image", "-", "&Process", "-", "E&xit"}));
    EXPECT_EQ(captions(w.menu(app::MenuItem::Edit)),
              (QStringList{"&Rotate", "&Invert", "&White-Fill"}));
    EXPECT_EQ(captions(w.menu(app::MenuItem::Rotate)),
              (QStringList{"Rotate &Clockwise", "Rotate &Upside", "Rotate &Anti-clock"}));
    EXPECT_EQ(captions(w.menu(app::MenuItem::View)),
              (QStringList{"&Actual Size", "&Fit", "Fit-to-&Width", "&Magnification", "-",
                           "&Zoom-in", "Zoom-&out", "-", "&Bitonal"}));
    EXPECT_EQ(captions(w.menu(app::MenuItem::Bitonal)),
              (QStringList{"Scale-to-&Gray", "&Normal", "Favor &Black"}));
    EXPECT_EQ(captions(w.menu(app::MenuItem::Help)), (QStringList{"&Help", "&About"}));
    // No item has a shortcut key.
    for (const app::MenuEntry& e : app::menuTable())
        EXPECT_TRUE(w.menuAction(e.item)->shortcut().isEmpty()) << e.name;
}

TEST_F(AppTest, DefaultsWithoutSettingsFile) {
    state.magfactor = 7;
    state.windowmode = 7;
    state.bitonalmode = 7;
    makeWindow();
    EXPECT_EQ(state.magfactor, 100);
    EXPECT_EQ(state.windowmode, 1);
    EXPECT_EQ(state.bitonalmode, 0);
    dialogs.openAnswers.push_back(std::nullopt);
    trigger(app::MenuItem::Open);
    ASSERT_EQ(dialogs.openStartFolders.size(), 1);
    EXPECT_EQ(dialogs.openStartFolders[0], QString());
    EXPECT_TRUE(state.currentfile.isEmpty());  // a cancelled dialog changes nothing
}

TEST_F(AppTest, SettingsAreReadWithTheirConversions) {
    writeSettings({"[Other]", "Window=2", "[Setup]", "magnification=12345", "Window=3.5",
                   "Bitonal=x1", "Dir1=  /scans/box1  ", "DIR2=/out"});
    makeWindow();
    EXPECT_EQ(state.magfactor, 1234);  // four characters fit the buffer
    EXPECT_EQ(state.windowmode, 4);    // halves go to the even neighbour
    EXPECT_EQ(state.bitonalmode, 0);   // no number at all
    dialogs.openAnswers.push_back(std::nullopt);
    trigger(app::MenuItem::Open);
    EXPECT_EQ(dialogs.openStartFolders.value(0), QStringLiteral("/scans/box1"));
    // The Save As dialog starts in "Dir2" (it needs a page shown first).
    makePages(1);
    openThroughMenu(1);
    dialogs.saveAnswers.push_back(std::nullopt);
    trigger(app::MenuItem::SaveAs);
    EXPECT_EQ(dialogs.saveStartFolders.value(0), QStringLiteral("/out"));
}

TEST_F(AppTest, NumberTooLargeIsNotStored) {
    writeSettings({"[Setup]", "Window=1E9", "Bitonal=2.5", "Magnification=-7"});
    makeWindow();
    EXPECT_EQ(state.windowmode, 0);  // refused: stays at its value before reading
    EXPECT_EQ(state.bitonalmode, 2);
    EXPECT_EQ(state.magfactor, -7);
}

TEST_F(AppTest, WindowIsPlacedByTheStartupFormulas) {
    app::MainWindow& w = makeWindow();
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const double f = screen->logicalDotsPerInchX() / 1440.0;
    const QRect s = screen->geometry();
    const app::WindowGeometry g = app::startupGeometry(s.width(), s.height(), f);
    EXPECT_EQ(w.size(), g.window.size());
    EXPECT_EQ(w.pageView().geometry(), g.view);
    const int size = app::twipsToPixels(540, f);
    const int top = app::twipsToPixels(30, f);
    for (const app::ToolbarPlace& p : app::layoutToolbar(app::pixelsToTwips(s.width(), f), f)) {
        QWidget* b = p.slot == app::kDocumentMarkerSlot
                         ? static_cast<QWidget*>(w.documentMarkerBox())
                         : w.toolbarButton(p.slot);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->geometry(), QRect(p.leftPixels, top, size, size)) << p.slot;
    }
    // Resizing keeps the start-up places.
    const QRect view = w.pageView().geometry();
    const QRect first = w.toolbarButton(3)->geometry();
    w.resize(w.width() / 2, w.height() / 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.pageView().geometry(), view);
    EXPECT_EQ(w.toolbarButton(3)->geometry(), first);
}

}  // namespace leafmark::testing
