#pragma once
// CheckBOD: the two-state picture box of the document marker. Its value change
// recolours it (button face when clear, yellow when ticked); a mouse button
// released over it is reported separately from keyboard toggling.

#include <QColor>
#include <QToolButton>

namespace leafmark::app {

class DocumentMarkerButton : public QToolButton {
    Q_OBJECT
  public:
    explicit DocumentMarkerButton(QWidget* parent = nullptr);

    // The background the value gave the box: the button face, or RGB(255, 255, 0).
    QColor markerColor() const { return color_; }

  signals:
    // A mouse button (any) pressed on the box was released, wherever the pointer is.
    void mouseUp();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void recolour(bool ticked);
    QColor color_;
};

}  // namespace leafmark::app
