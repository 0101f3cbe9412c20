#include "app/DocumentMarkerButton.h"

#include <QApplication>
#include <QMouseEvent>

#include "app/ButtonPictures.h"

namespace leafmark::app {

DocumentMarkerButton::DocumentMarkerButton(QWidget* parent) : QToolButton(parent) {
    setCheckable(true);
    setIcon(documentMarkerIcon());
    setIconSize(QSize(kPictureSize, kPictureSize));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::toggled, this, &DocumentMarkerButton::recolour);
    recolour(false);
}

void DocumentMarkerButton::recolour(bool ticked) {
    if (ticked) {
        color_ = QColor(255, 255, 0);
        setStyleSheet(
            QStringLiteral("QToolButton { background-color: rgb(255, 255, 0); "
                           "border: 2px inset rgb(128, 128, 0); }"));
    } else {
        color_ = QApplication::palette(this).color(QPalette::Button);
        setStyleSheet(QString());
    }
}

void DocumentMarkerButton::mousePressEvent(QMouseEvent* e) {
    QToolButton::mousePressEvent(e);
    // Keep every button's release for this box, not only the left one's.
    e->accept();
}

void DocumentMarkerButton::mouseReleaseEvent(QMouseEvent* e) {
    QToolButton::mouseReleaseEvent(e);
    e->accept();
    emit mouseUp();
}

}  // namespace leafmark::app
