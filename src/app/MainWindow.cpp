#include "app/MainWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>

#include "app/ButtonPictures.h"
#include "app/DocumentMarkerButton.h"
#include "app/ToolbarLayout.h"
#include "imaging/widget/PageView.h"
#include "pages/PageRecords.h"
#include "shared/SeparatorSettings.h"
#include "shared/Settings.h"
#include "view/ViewCommands.h"

namespace leafmark::app {

MainWindow::MainWindow(SharedState& state, Dialogs& dialogs, const AppLocation& location,
                       QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs), location_(location) {
    setObjectName(QStringLiteral("frmMain"));
    setAcceptDrops(true);
    setWindowIcon(applicationIcon());
    auto* central = new QWidget(this);
    setCentralWidget(central);
    view_ = new imaging::PageView(central);
    view_->setObjectName(QStringLiteral("Imager1"));
    buildToolbar();
    buildMenus();
    viewCommands_ = std::make_unique<ViewCommands>(state_, dialogs_, *view_, this,
                                                   menuAction(MenuItem::WhiteOut));
    pages_ = std::make_unique<PageRecords>(state_, dialogs_, *this);
    buildStatusStrip();
    buildKeys();

    connect(view_, &imaging::PageView::BandDone, this, [this] {
        viewCommands_->bandDone();
        refreshStatus();
    });
    connect(view_, &imaging::PageView::PageMouseButton, this,
            [this](imaging::MouseButton button, int, float, float) {
                pages_->pageMouseButton(button);
                refreshStatus();
            });
    connect(checkBod_, &DocumentMarkerButton::mouseUp, this, [this] {
        pages_->documentMarkerMouseUp();
        refreshStatus();
    });
    // Toggled from the keyboard (Space on the focused box) it is the same change.
    connect(checkBod_, &QAbstractButton::clicked, this, [this] {
        pages_->documentMarkerMouseUp();
        refreshStatus();
    });

    // D: the documents of the page folder (no menu item, so no caption changes).
    auto* documents = new QShortcut(QKeySequence(Qt::Key_D), this);
    documents->setContext(Qt::WindowShortcut);
    connect(documents, &QShortcut::activated, this, [this] { showDocumentsWindow(); });

    urlOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolbar() {
    for (const ToolbarEntry& e : toolbarTable()) {
        auto* b = new QToolButton(centralWidget());
        b->setObjectName(QStringLiteral("Toolbar%1").arg(e.index));
        b->setToolTip(QString::fromLatin1(e.tooltip));
        b->setIcon(toolbarIcon(e));
        b->setIconSize(QSize(kPictureSize, kPictureSize));
        b->setFocusPolicy(Qt::NoFocus);
        const int index = e.index;
        connect(b, &QToolButton::clicked, this, [this, index] { toolbarClick(index); });
        toolbar_[e.index] = b;
    }
    checkBod_ = new DocumentMarkerButton(centralWidget());
    checkBod_->setObjectName(QStringLiteral("CheckBOD"));
    checkBod_->setToolTip(kDocumentMarkerTooltip);
}

void MainWindow::buildMenus() {
    // The table puts every parent before its children (checked where it is written).
    for (const MenuEntry& e : menuTable()) {
        const int i = static_cast<int>(e.item);
        const QString name = QString::fromLatin1(e.name);
        const QString caption = QString::fromLatin1(e.caption);
        QMenu* parentMenu = e.parent ? menu(*e.parent) : nullptr;
        QAction* a = nullptr;
        if (caption == QLatin1String("-")) {
            a = parentMenu->addSeparator();
        } else if (e.command == Command::None) {
            // A title or an entry that opens a submenu holds no command of its own.
            QMenu* m = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
            m->setObjectName(name);
            menus_[i] = m;
            a = m->menuAction();
        } else {
            a = parentMenu->addAction(caption);
            a->setCheckable(e.checkable);
            a->setChecked(e.checked);
            const Command command = e.command;
            connect(a, &QAction::triggered, this, [this, a, command] {
                // The check mark of a checkable item is the program's state, not the
                // toolkit's: undo the automatic flip before the routine runs.
                if (a->isCheckable()) a->setChecked(!a->isChecked());
                runCommand(command);
            });
        }
        a->setObjectName(name);
        actions_[i] = a;
    }
    connect(menu(MenuItem::View), &QMenu::aboutToShow, this, [this] {
        ViewMenuItems items;
        items.magFactor = menuAction(MenuItem::MagFactor);
        items.actualSize = menuAction(MenuItem::ActualSize);
        items.fit = menuAction(MenuItem::Fit);
        items.fitWidth = menuAction(MenuItem::FitWidth);
        items.scaleToGray = menuAction(MenuItem::ScaletoGray);
        items.normal = menuAction(MenuItem::Normal);
        items.favorBlack = menuAction(MenuItem::FavorBlack);
        viewCommands_->viewMenuOpening(items);
    });
}

void MainWindow::startUp() {
    state_.captionprefix = kCaptionPrefix;
    view_->setBackColor(QColor(220, 219, 197));
    setWindowTitle(state_.captionprefix);
    state_.apppath = withSeparator(location_.apppath);

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double pixelsPerTwip = dpi / kTwipsPerInch;
    const WindowGeometry g =
        startupGeometry(screenRect.width(), screenRect.height(), pixelsPerTwip);
    resize(g.window.size());
    view_->setGeometry(g.view.left(), g.view.top(), std::max(0, g.view.width()),
                       std::max(0, g.view.height()));
    move(screenRect.topLeft());

    // Every item is usable when the window is built; the page commands wait for a page.
    for (const MenuEntry& e : menuTable())
        if (!e.enabled) menuAction(e.item)->setEnabled(false);

    state_.inifile = location_.settingsFile();
    readSettings();
    layoutToolbar(pixelsToTwips(screenRect.width(), pixelsPerTwip), pixelsPerTwip);
}

void MainWindow::readSettings() {
    // A value too large for its variable is not stored: the variable keeps the
    // value it has before the settings are read, 0.
    const QString& ini = state_.inifile;
    state_.magfactor =
        readInt32Setting(ini, QStringLiteral("Magnification"), QStringLiteral("100")).value_or(0);
    state_.windowmode =
        readInt16Setting(ini, QStringLiteral("Window"), QStringLiteral("1")).value_or(0);
    state_.bitonalmode =
        readInt16Setting(ini, QStringLiteral("Bitonal"), QStringLiteral("0")).value_or(0);
    pages_->setOpenDialogFolder(readFolderSetting(ini, QStringLiteral("Dir1")));
    pages_->setSaveDialogFolder(readFolderSetting(ini, QStringLiteral("Dir2")));
    useSeparatorSettings(readSeparatorSettings(ini));
}

void MainWindow::layoutToolbar(int screenWidthTwips, double pixelsPerTwip) {
    const int size = twipsToPixels(kButtonPitchTwips, pixelsPerTwip);
    const int top = twipsToPixels(kButtonTopTwips, pixelsPerTwip);
    for (const ToolbarPlace& p : app::layoutToolbar(screenWidthTwips, pixelsPerTwip)) {
        QWidget* w = p.slot == kDocumentMarkerSlot ? static_cast<QWidget*>(checkBod_)
                                                   : toolbarButton(p.slot);
        if (!w) continue;
        w->setGeometry(p.leftPixels, top, size, size);
    }
    for (const ToolbarEntry& e : toolbarTable()) toolbarButton(e.index)->setEnabled(e.enabled);
    checkBod_->setEnabled(false);
}

// ---- MainWindowControls ----

void MainWindow::setCaption(const QString& text) { setWindowTitle(text); }

bool MainWindow::documentMarkerTicked() const { return checkBod_->isChecked(); }

void MainWindow::setDocumentMarkerTicked(bool ticked) { checkBod_->setChecked(ticked); }

bool MainWindow::whiteFillChecked() const { return menuAction(MenuItem::WhiteOut)->isChecked(); }

// A table from the pages' items to the menu table's, one case an item: alike on purpose.
MenuItem MainWindow::menuItemOf(PageMenuItem item) {
    switch (item) {
        case PageMenuItem::First:
            return MenuItem::First;
        case PageMenuItem::Prior:
            return MenuItem::Prior;
        case PageMenuItem::Next:
            return MenuItem::Next;
        case PageMenuItem::Last:
            return MenuItem::Last;
        case PageMenuItem::Save:
            return MenuItem::Save;
        case PageMenuItem::SaveAs:
            return MenuItem::SaveAs;
        case PageMenuItem::Revert:
            return MenuItem::Revert;
    }
    return MenuItem::Revert;  // not reached: every PageMenuItem is listed
}

void MainWindow::setMenuEnabled(PageMenuItem item, bool enabled) {
    menuAction(menuItemOf(item))->setEnabled(enabled);
}

bool MainWindow::menuEnabled(PageMenuItem item) const {
    return menuAction(menuItemOf(item))->isEnabled();
}

bool MainWindow::toolbarEnabled(int index) const {
    QToolButton* b = toolbarButton(index);
    return b && b->isEnabled();
}

void MainWindow::enablePageButtons() {
    for (auto& [index, button] : toolbar_)
        if (index <= 19) button->setEnabled(true);
    checkBod_->setEnabled(true);
}

QToolButton* MainWindow::toolbarButton(int index) const {
    auto it = toolbar_.find(index);
    return it == toolbar_.end() ? nullptr : it->second;
}

}  // namespace leafmark::app
