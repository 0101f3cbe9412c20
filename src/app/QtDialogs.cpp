#include "app/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

#include "app/SeparatorDialog.h"

namespace leafmark::app {

QString qtFileFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that already shows its patterns in brackets is kept as it is.
        if (desc.endsWith(QLatin1Char(')')) && desc.contains(QLatin1Char('(')))
            out << desc;
        else
            out << desc + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    if (out.isEmpty()) return parts.value(0);
    return out.join(QStringLiteral(";;"));
}

MsgAnswer QtDialogs::message(QWidget* owner, const QString& text, MsgButtons buttons, MsgIcon icon,
                             const QString& title) {
    QMessageBox box(owner);
    box.setWindowTitle(title);
    // Texts hold file names and paths: shown as written, never read as markup
    // (which would swallow "<...>" and fold the two spaces after a full stop).
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    // A table from our icons to Qt's, one case an icon: the cases are alike on purpose.
    switch (icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    if (buttons == MsgButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == box.button(QMessageBox::Yes)) return MsgAnswer::Yes;
    if (clicked == box.button(QMessageBox::No)) return MsgAnswer::No;
    return MsgAnswer::Cancel;
}

std::optional<QString> QtDialogs::input(QWidget* owner, const QString& prompt, const QString& title,
                                        const QString& defaultText) {
    bool ok = false;
    QString text = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> QtDialogs::openFile(QWidget* owner, const QString& filter,
                                           const QString& startFolder) {
    QFileDialog dialog(owner, QString(), startFolder, qtFileFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!recent_.isEmpty()) {
        // The page folders opened lately sit under the dialog's usual places.
        QList<QUrl> places = dialog.sidebarUrls();
        for (const QString& folder : recent_) {
            const QUrl url = QUrl::fromLocalFile(folder);
            if (!places.contains(url)) places << url;
        }
        dialog.setSidebarUrls(places);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::saveFile(QWidget* owner, const QString& filter,
                                           const QString& startFolder, const QString& initialName) {
    QString start = startFolder;
    if (!initialName.isEmpty())
        start = startFolder.isEmpty() ? initialName : QDir(startFolder).filePath(initialName);
    // The program asks its own overwrite question once a name is chosen; the
    // dialog must not ask one of its own first.
    QString path = QFileDialog::getSaveFileName(owner, QString(), start, qtFileFilter(filter),
                                                nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

void QtDialogs::beep() { QApplication::beep(); }

std::optional<SeparatorSettings> QtDialogs::separatorSettings(QWidget* owner,
                                                              const SeparatorSettings& current) {
    SeparatorDialog dialog(current, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.settings();
}

}  // namespace leafmark::app
