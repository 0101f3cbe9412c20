// The batch window's controls, placed in twips converted at the screen's logical dpi.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeView>

#include "batch/core/RunText.h"
#include "batch/ui/FolderTreeModel.h"
#include "batch/ui/ProcessWindow.h"
#include "batch/ui/ProcessWindowPrivate.h"

namespace leafmark::batch {

namespace {

// The 18 by 19 pixel picture of a ticked check box beside "Deskew Changes".
QPixmap tickedBoxPicture(QWidget* owner) {
    QPixmap picture(18, 19);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QStyleOptionButton option;
    option.initFrom(owner);
    option.rect = QRect(1, 2, 16, 16);
    option.state = QStyle::State_Enabled | QStyle::State_On;
    owner->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, owner);
    return picture;
}

}  // namespace

ProcessWindowPrivate::ProcessWindowPrivate(ProcessWindow& window, SharedState& s, Dialogs& dl)
    : w(window), state(s), dialogs(dl) {}

int ProcessWindowPrivate::twips(int t) const { return qRound(t * w.logicalDpiX() / 1440.0); }

void ProcessWindowPrivate::buildControls() {
    w.setWindowTitle(kProcessCaption);
    // The layout is measured for a small dialog font (8 points).
    QFont small = w.font();
    small.setPointSize(8);
    w.setFont(small);
    w.setFixedSize(twips(7230), twips(4170));

    auto place = [this](QWidget* c, int left, int top, int width, int height) {
        c->setGeometry(twips(left), twips(top), twips(width), twips(height));
    };
    auto label = [&](QWidget* parent, const QString& text, int l, int t, int wd, int h) {
        auto* lb = new QLabel(text, parent);
        place(lb, l, t, wd, h);
        return lb;
    };
    // SOURCE and OUTPUT: a volume box over a folder tree each, at slightly
    // different places inside their frames.
    auto folders = [&](const QString& caption, int left, int width, int inner, int driveLeft,
                       QComboBox*& drive, QTreeView*& tree, FolderTreeModel*& model) {
        auto* frame = new QGroupBox(caption, &w);
        place(frame, left, 180, width, 3135);
        label(frame, QStringLiteral("Drive:"), inner, 270, 915, 285);
        drive = new QComboBox(frame);
        place(drive, driveLeft, 480, 1935, 315);
        label(frame, QStringLiteral("Directories:"), inner, 870, 1095, 285);
        model = new FolderTreeModel(&w);
        tree = new QTreeView(frame);
        tree->setModel(model);
        for (int c = 1; c < model->columnCount(); ++c) tree->hideColumn(c);
        tree->header()->hide();
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        place(tree, inner, 1080, 1965, 1890);
        return frame;
    };
    frame3 = folders(QStringLiteral("SOURCE"), 180, 2325, 180, 180, drive1, dir1, model1);
    frame4 = folders(QStringLiteral("OUTPUT"), 2700, 2385, 210, 240, drive2, dir2, model2);

    frame1 = new QGroupBox(QStringLiteral("Pre-Process"), &w);
    place(frame1, 5280, 180, 1845, 1935);
    chkProcess[0] = new QCheckBox(QStringLiteral("Despeckle"), frame1);
    place(chkProcess[0], 150, 300, 1335, 255);
    chkProcess[1] = new QCheckBox(QStringLiteral("Deskew"), frame1);
    place(chkProcess[1], 150, 540, 1335, 255);
    chkProcess[4] = new QCheckBox(QStringLiteral("Margin Cleanup"), frame1);
    place(chkProcess[4], 150, 780, 1665, 255);  // to the frame edge: room for wider fonts
    txtMargin = new QLineEdit(QStringLiteral("0"), frame1);
    place(txtMargin, 150, 1050, 495, 315);
    label(frame1, QStringLiteral("Inches"), 720, 1080, 765, 285);
    command1[0] = new QPushButton(QStringLiteral("&Run"), frame1);
    place(command1[0], 540, 1500, 765, 315);

    frame2 = new QGroupBox(QStringLiteral("Post-Process"), &w);
    place(frame2, 5280, 2190, 1845, 1125);
    image1 = new QLabel(frame2);
    image1->setPixmap(tickedBoxPicture(&w));
    place(image1, 120, 270, 270, 285);
    label(frame2, QStringLiteral("Deskew Changes"), 420, 300, 1410, 285);
    command1[1] = new QPushButton(QStringLiteral("&Run"), frame2);
    place(command1[1], 540, 690, 765, 315);

    progressbox = new QLabel(&w);
    progressbox->setFrameStyle(QFrame::Box | QFrame::Plain);
    place(progressbox, 180, 3510, 4905, 345);
    progressbox->hide();
    progressbar = new QLabel(&w);
    progressbar->setAlignment(Qt::AlignCenter);
    progressbar->setAutoFillBackground(true);
    progressbar->setStyleSheet(
        QStringLiteral("QLabel { background-color: rgb(0, 0, 255); color: white; }"));
    place(progressbar, 240, 3570, 1005, 225);
    progressbar->hide();
    label5 = new QLabel(&w);
    label5->setStyleSheet(QStringLiteral("QLabel { color: rgb(192, 0, 0); }"));
    place(label5, 180, 3870, 3075, 225);
    label5->setText(kStopHint);
    label5->hide();
    command2 = new QPushButton(QStringLiteral("Close"), &w);
    place(command2, 6420, 3600, 705, 315);

    fillDrives(drive1);
    fillDrives(drive2);

    QObject::connect(command1[0], &QPushButton::clicked, &w, [this] { w.Run(0); });
    QObject::connect(command1[1], &QPushButton::clicked, &w, [this] { w.Run(1); });
    QObject::connect(command2, &QPushButton::clicked, &w, [this] { w.close(); });
    QObject::connect(drive1, &QComboBox::currentIndexChanged, &w, [this] { sourceDriveChanged(); });
    QObject::connect(drive2, &QComboBox::currentIndexChanged, &w, [this] { outputDriveChanged(); });
    // Double-click or Enter opens a folder, as in a classic directory list.
    QObject::connect(dir1, &QTreeView::activated, &w,
                     [this](const QModelIndex& i) { openFolder(0, model1->filePath(i)); });
    QObject::connect(model1, &QFileSystemModel::directoryLoaded, &w,
                     [this] { revealOpenFolder(0); });
    QObject::connect(model2, &QFileSystemModel::directoryLoaded, &w,
                     [this] { revealOpenFolder(1); });
    QObject::connect(dir2, &QTreeView::activated, &w,
                     [this](const QModelIndex& i) { openFolder(1, model2->filePath(i)); });
}

void ProcessWindowPrivate::setFocusOrder() {
    QWidget* order[] = {chkProcess[0], chkProcess[1], command1[0], command1[1],   dir1,     drive1,
                        dir2,          drive2,        command2,    chkProcess[4], txtMargin};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void ProcessWindowPrivate::centre() {
    const QScreen* screen = w.screen();
    if (!screen) return;
    const QRect area = screen->geometry();
    w.move(area.left() + (area.width() - w.width()) / 2,
           area.top() + (area.height() - w.height()) / 2);
}

}  // namespace leafmark::batch
