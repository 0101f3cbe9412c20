#include "app/SeparatorDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "imaging/separators/BarcodeRead.h"

namespace leafmark::app {

namespace {

// The combo box's entries and the setting each one stands for.
struct KindEntry {
    const char* caption;
    const char* setting;
};
constexpr KindEntry kKinds[] = {{"Barcode sheets", "barcode"},
                                {"Blank sheets", "blank"},
                                {"Barcode sheets and blank sheets", "both"}};

const char* const kPatternHelp =
    "The whole text of a barcode must match this regular expression. Empty: any "
    "barcode on a page that is otherwise nearly blank.";

QStringList namesOf(imaging::Symbologies set) {
    return QString::fromStdString(imaging::symbologyNames(set))
        .split(QLatin1Char(','), Qt::SkipEmptyParts);
}

}  // namespace

SeparatorDialog::SeparatorDialog(const SeparatorSettings& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSeparators"));
    setWindowTitle(QStringLiteral("Separator sheets"));

    kinds_ = new QComboBox(this);
    for (const KindEntry& k : kKinds) {
        kinds_->addItem(QString::fromLatin1(k.caption), QString::fromLatin1(k.setting));
        if (current.kinds.trimmed().compare(QLatin1String(k.setting), Qt::CaseInsensitive) == 0)
            kinds_->setCurrentIndex(kinds_->count() - 1);
    }

    pattern_ = new QLineEdit(current.pattern, this);
    pattern_->setMaxLength(kPatternBuffer - 2);
    pattern_->setPlaceholderText(QStringLiteral("any barcode on an otherwise nearly blank page"));
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);

    // Every symbology the reader knows; those of the setting ticked (the default set
    // when the setting is empty or names one the reader does not know).
    imaging::Symbologies chosen = imaging::defaultSymbologies();
    if (!current.symbologies.trimmed().isEmpty())
        if (const auto stored = imaging::parseSymbologies(current.symbologies.toStdString());
            stored.status)
            chosen = stored.set;
    const QStringList ticked = namesOf(chosen);
    symbologies_ = new QListWidget(this);
    for (const QString& name : namesOf(~imaging::Symbologies(0))) {
        auto* item = new QListWidgetItem(name, symbologies_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(ticked.contains(name) ? Qt::Checked : Qt::Unchecked);
    }

    // Tall enough to show every name without scrolling.
    symbologies_->setMinimumHeight(symbologies_->sizeHintForRow(0) * symbologies_->count() +
                                   2 * symbologies_->frameWidth());

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(pattern_, &QLineEdit::textChanged, this, [this] { checkPattern(); });
    // An empty list would read as the default set, so OK waits for one ticked name.
    connect(symbologies_, &QListWidget::itemChanged, this, [this] {
        buttons_->button(QDialogButtonBox::Ok)->setEnabled(!settings().symbologies.isEmpty());
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Separators are:"), kinds_);
    form->addRow(QStringLiteral("Barcode text pattern:"), pattern_);
    form->addRow(QString(), note_);
    form->addRow(QStringLiteral("Barcodes looked for:"), symbologies_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons_);
    checkPattern();
}

void SeparatorDialog::checkPattern() {
    // Said at once while typing; the window refuses the settings on OK all the same.
    const QRegularExpression re(pattern_->text().trimmed());
    note_->setText(re.isValid()
                       ? QString::fromLatin1(kPatternHelp)
                       : QStringLiteral("Not a valid regular expression: ") + re.errorString());
}

SeparatorSettings SeparatorDialog::settings() const {
    SeparatorSettings s;
    s.kinds = kinds_->currentData().toString();
    s.pattern = pattern_->text().trimmed();
    QStringList names;
    for (int i = 0; i < symbologies_->count(); ++i)
        if (symbologies_->item(i)->checkState() == Qt::Checked)
            names << symbologies_->item(i)->text();
    s.symbologies = names.join(QLatin1Char(','));
    return s;
}

}  // namespace leafmark::app
