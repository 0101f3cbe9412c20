#pragma once
// The separator settings dialog: which pages count as separator sheets (barcode
// sheets, blank sheets or both), the barcode text pattern and the barcodes looked
// for. It only edits the settings; the main window checks, stores and applies them.

#include <QDialog>

#include "shared/SeparatorSettings.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace leafmark::app {

class SeparatorDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SeparatorDialog(const SeparatorSettings& current, QWidget* parent = nullptr);

    // The settings as the dialog shows them now.
    SeparatorSettings settings() const;

    QComboBox* kindsBox() const { return kinds_; }
    QLineEdit* patternEdit() const { return pattern_; }
    QListWidget* symbologyList() const { return symbologies_; }
    QLabel* patternNote() const { return note_; }
    QDialogButtonBox* buttons() const { return buttons_; }

  private:
    void checkPattern();

    QComboBox* kinds_ = nullptr;
    QLineEdit* pattern_ = nullptr;
    QLabel* note_ = nullptr;
    QListWidget* symbologies_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace leafmark::app
