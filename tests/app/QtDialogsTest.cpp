// The Qt dialogs: filter forms and the answers of real message boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "app/QtDialogs.h"
#include "app/SeparatorDialog.h"
#include "pages/SeparatorRuleChoice.h"

using namespace leafmark;

namespace {

// Acts on the next modal message box once it is shown.
void whenBoxShows(std::function<void(QMessageBox*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start(10);
}

}  // namespace

TEST(QtDialogs, FilterForms) {
    EXPECT_EQ(app::qtFileFilter(QStringLiteral("TIFF Files (*.tif*)|*.tif*")),
              QStringLiteral("TIFF Files (*.tif*)"));
    EXPECT_EQ(app::qtFileFilter(QStringLiteral("Pages|*.tif;*.tiff|All|*")),
              QStringLiteral("Pages (*.tif *.tiff);;All (*)"));
    // Already in Qt's form: kept.
    EXPECT_EQ(app::qtFileFilter(QStringLiteral("TIFF Files (*.tif);;All Files (*)")),
              QStringLiteral("TIFF Files (*.tif);;All Files (*)"));
}

TEST(QtDialogs, MessageBoxAnswersButtonsAndClosing) {
    app::QtDialogs d;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenBoxShows([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(d.message(nullptr, QStringLiteral("Save?"), MsgButtons::YesNoCancel,
                        MsgIcon::Question, QStringLiteral("Leafmark")),
              MsgAnswer::No);
    EXPECT_EQ(title, QStringLiteral("Leafmark"));
    EXPECT_EQ(text, QStringLiteral("Save?"));
    EXPECT_EQ(icon, QMessageBox::Question);

    whenBoxShows([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(d.message(nullptr, QStringLiteral("Save?"), MsgButtons::YesNoCancel,
                        MsgIcon::Question, QStringLiteral("Leafmark")),
              MsgAnswer::Yes);
    // Closing the box by its frame answers Cancel.
    whenBoxShows([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(d.message(nullptr, QStringLiteral("Save?"), MsgButtons::YesNoCancel,
                        MsgIcon::Question, QStringLiteral("Leafmark")),
              MsgAnswer::Cancel);

    QList<QAbstractButton*> buttons;
    whenBoxShows([&](QMessageBox* box) {
        buttons = box->buttons();
        icon = box->icon();
        box->close();
    });
    EXPECT_EQ(d.message(nullptr, QStringLiteral("About"), MsgButtons::Ok, MsgIcon::None,
                        QStringLiteral("Leafmark")),
              MsgAnswer::Ok);
    EXPECT_EQ(buttons.size(), 1);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(QtDialogs, MessageTextIsShownAsWrittenNotAsMarkup) {
    app::QtDialogs d;
    // A file name that looks like markup, and the two spaces after a full stop.
    const QString text = QStringLiteral("<B>PAGE7.TIF file already exists.  OK to overwrite?");
    Qt::TextFormat format = Qt::RichText;
    QString shown;
    whenBoxShows([&](QMessageBox* box) {
        format = box->textFormat();
        shown = box->text();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(d.message(nullptr, text, MsgButtons::YesNoCancel, MsgIcon::Question,
                        QStringLiteral("Leafmark")),
              MsgAnswer::Cancel);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, text);
}

TEST(QtDialogs, SaveDialogAsksNoOverwriteQuestionOfItsOwn) {
    // The program asks "... file already exists.  OK to overwrite?" itself once a
    // name is chosen; a dialog that asked as well would put the question twice.
    app::QtDialogs d;
    bool seen = false;
    bool confirms = true;
    QTimer timer;  // lives only as long as the locals it uses
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!fd || seen) return;
        seen = true;
        confirms = !fd->testOption(QFileDialog::DontConfirmOverwrite);
        QTimer::singleShot(0, fd, [fd] { static_cast<QDialog*>(fd)->reject(); });
    });
    timer.start(10);
    EXPECT_FALSE(d.saveFile(nullptr, QStringLiteral("TIFF Files (*.tif);;All Files (*)"), QString(),
                            QString())
                     .has_value());
    EXPECT_TRUE(seen);
    EXPECT_FALSE(confirms);
}

TEST(QtDialogs, SeparatorDialogShowsAndReturnsTheSettings) {
    app::SeparatorDialog dialog(SeparatorSettings{QStringLiteral("Both"), QStringLiteral("SEP-.*"),
                                                  QStringLiteral("qrcode")});
    EXPECT_EQ(dialog.kindsBox()->currentData().toString(), QStringLiteral("both"));
    EXPECT_EQ(dialog.patternEdit()->text(), QStringLiteral("SEP-.*"));
    QStringList ticked;
    QListWidget* list = dialog.symbologyList();
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) ticked << list->item(i)->text();
    EXPECT_EQ(ticked, QStringList{QStringLiteral("QRCode")});

    // No name ticked would read as the default set: OK waits for one.
    QPushButton* ok = dialog.buttons()->button(QDialogButtonBox::Ok);
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(ok->isEnabled());

    // Every name the list offers reads back as a symbology, and a broken pattern is
    // said at once.
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
    EXPECT_TRUE(ok->isEnabled());
    dialog.kindsBox()->setCurrentIndex(1);
    dialog.patternEdit()->setText(QStringLiteral(" (SEP "));
    EXPECT_TRUE(dialog.patternNote()->text().startsWith(QStringLiteral("Not a valid")));
    const SeparatorSettings edited = dialog.settings();
    EXPECT_EQ(edited.kinds, QStringLiteral("blank"));
    EXPECT_EQ(edited.pattern, QStringLiteral("(SEP"));
    const SeparatorRuleChoice choice =
        separatorRuleChoice({edited.kinds, QString(), edited.symbologies});
    EXPECT_TRUE(choice.problems.isEmpty());
    EXPECT_EQ(list->count(),
              static_cast<int>(QString::fromStdString(imaging::symbologyNames(choice.symbologies))
                                   .split(QLatin1Char(','))
                                   .size()));
}
