#pragma once
// The band under the page view: one line of text about the page shown and, under
// it, the folder ruler.

#include <QWidget>

#include "app/FolderRuler.h"

namespace leafmark::app {

class StatusStrip : public QWidget {
    Q_OBJECT
  public:
    StatusStrip(const FolderMarks& marks, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    FolderRuler& ruler() { return *ruler_; }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    QString text_;
    FolderRuler* ruler_;
};

}  // namespace leafmark::app
