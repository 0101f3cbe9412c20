#include "app/StatusStrip.h"

#include <QPainter>
#include <algorithm>

namespace leafmark::app {

namespace {
constexpr int kRulerHeight = 7;
}

StatusStrip::StatusStrip(const FolderMarks& marks, QWidget* parent)
    : QWidget(parent), ruler_(new FolderRuler(marks, this)) {
    setObjectName(QStringLiteral("StatusStrip"));
}

void StatusStrip::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void StatusStrip::resizeEvent(QResizeEvent*) {
    const int h = std::min(kRulerHeight, std::max(0, height() - 1));
    ruler_->setGeometry(0, height() - h - 1, width(), h);
}

void StatusStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect textArea(4, 0, width() - 8, std::max(0, ruler_->y() - 1));
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(font());
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(text_, Qt::ElideRight, textArea.width()));
}

}  // namespace leafmark::app
