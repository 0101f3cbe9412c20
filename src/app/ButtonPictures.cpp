#include "app/ButtonPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace leafmark::app {

namespace {

const QColor kInk(30, 30, 30);
const QColor kArrow(0, 90, 200);
const QColor kPaper(255, 255, 255);

QPixmap blank() {
    QPixmap pm(kPictureSize, kPictureSize);
    pm.fill(Qt::transparent);
    return pm;
}

// A sheet of paper with a folded corner.
void drawPage(QPainter& p, const QRectF& r, const QColor& fill = kPaper) {
    const qreal fold = r.width() * 0.3;
    QPolygonF sheet;
    sheet << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
          << r.bottomRight() << r.bottomLeft();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(fill);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF() << QPointF(r.right() - fold, r.top())
                               << QPointF(r.right() - fold, r.top() + fold)
                               << QPointF(r.right(), r.top() + fold));
}

// A filled arrowhead whose tip is at `tip`, pointing along `angleDeg` (0 = right,
// counted anticlockwise on screen).
void drawHead(QPainter& p, QPointF tip, qreal angleDeg, qreal size, const QColor& c) {
    const qreal a = qDegreesToRadians(angleDeg);
    const QPointF dir(std::cos(a), -std::sin(a));
    const QPointF normal(-dir.y(), dir.x());
    QPolygonF head;
    head << tip << tip - dir * size + normal * size * 0.6 << tip - dir * size - normal * size * 0.6;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
}

// An arc around `centre` from `startDeg` sweeping `spanDeg` (positive = anticlockwise),
// with an arrowhead at its end.
void drawTurnArrow(QPainter& p, QPointF centre, qreal radius, qreal startDeg, qreal spanDeg) {
    QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg);
    p.setPen(QPen(kArrow, 3.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    const qreal end = startDeg + spanDeg;
    const qreal e = qDegreesToRadians(end);
    QPointF tip(centre.x() + radius * std::cos(e), centre.y() - radius * std::sin(e));
    // The tangent at the end of the arc, in the direction of travel.
    const qreal tangent = end + (spanDeg > 0 ? 90.0 : -90.0);
    const qreal t = qDegreesToRadians(tangent);
    tip += QPointF(std::cos(t), -std::sin(t)) * 3.0;
    drawHead(p, tip, tangent, 7.0, kArrow);
}

// A navigation glyph: triangles pointing left or right, with an optional end bar.
void drawNavigation(QPainter& p, bool right, int triangles, bool bar) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const qreal w = 10, h = 16, top = 8;
    qreal total = triangles * w + (bar ? 4 : 0);
    qreal x = (kPictureSize - total) / 2;
    auto triangle = [&](qreal left) {
        QPolygonF t;
        if (right)
            t << QPointF(left, top) << QPointF(left + w, top + h / 2) << QPointF(left, top + h);
        else
            t << QPointF(left + w, top) << QPointF(left, top + h / 2) << QPointF(left + w, top + h);
        p.drawPolygon(t);
    };
    if (bar && !right) {
        p.drawRect(QRectF(x, top, 3, h));
        x += 4;
    }
    for (int i = 0; i < triangles; ++i, x += w) triangle(x);
    if (bar && right) p.drawRect(QRectF(x + 1, top, 3, h));
}

void drawFloppy(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(40, 60, 120));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(QColor(210, 210, 210));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top(), r.width() * 0.5, r.height() * 0.35));
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.55, r.width() * 0.7,
                      r.height() * 0.45));
}

void drawGear(QPainter& p, QPointF c, qreal outer, qreal inner, int teeth) {
    QPolygonF gear;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal a = 2 * M_PI * i / (teeth * 4);
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        gear << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(120, 130, 145));
    p.drawPolygon(gear);
    p.setBrush(QColor(235, 235, 235));
    p.drawEllipse(c, inner * 0.45, inner * 0.45);
}

void drawOpenFolder(QPainter& p) {
    p.setPen(QPen(QColor(120, 85, 10), 1));
    p.setBrush(QColor(230, 180, 60));
    QPolygonF back;
    back << QPointF(3, 8) << QPointF(12, 8) << QPointF(14, 11) << QPointF(26, 11) << QPointF(26, 26)
         << QPointF(3, 26);
    p.drawPolygon(back);
    p.setBrush(QColor(250, 210, 90));
    QPolygonF front;
    front << QPointF(7, 15) << QPointF(30, 15) << QPointF(26, 26) << QPointF(3, 26);
    p.drawPolygon(front);
}

}  // namespace

QPixmap toolbarPicture(int index) {
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(16, 16.5);
    switch (index) {
    case 1:  // save and next: a diskette with an arrow to the right
        drawFloppy(p, QRectF(2, 4, 17, 17));
        p.setPen(QPen(kArrow, 3.0));
        p.drawLine(QPointF(12, 25), QPointF(24, 25));
        drawHead(p, QPointF(31, 25), 0, 8, kArrow);
        break;
    case 3:  // anticlockwise quarter turn
        drawPage(p, QRectF(10, 10, 12, 15));
        drawTurnArrow(p, centre, 12, -60, 250);
        break;
    case 4:  // half turn: two half circles chasing each other
        drawPage(p, QRectF(10, 9, 12, 15));
        drawTurnArrow(p, centre, 12, 15, 140);
        drawTurnArrow(p, centre, 12, 195, 140);
        break;
    case 5:  // clockwise quarter turn
        drawPage(p, QRectF(10, 10, 12, 15));
        drawTurnArrow(p, centre, 12, 240, -250);
        break;
    case 6: {  // fit the whole page: a page inside corner marks
        drawPage(p, QRectF(10, 6, 12, 20));
        p.setPen(QPen(kArrow, 2.5));
        const QPointF corners[] = {{3, 3}, {29, 3}, {29, 29}, {3, 29}};
        for (int i = 0; i < 4; ++i) {
            QPointF c = corners[i];
            qreal sx = c.x() < 16 ? 1 : -1, sy = c.y() < 16 ? 1 : -1;
            p.drawLine(c, c + QPointF(6 * sx, 0));
            p.drawLine(c, c + QPointF(0, 6 * sy));
        }
        break;
    }
    case 7:  // fit the width: a page with a two-headed arrow across it
        drawPage(p, QRectF(6, 3, 20, 26));
        p.setPen(QPen(kArrow, 2.5));
        p.drawLine(QPointF(7, 17), QPointF(25, 17));
        drawHead(p, QPointF(31, 17), 0, 7, kArrow);
        drawHead(p, QPointF(1, 17), 180, 7, kArrow);
        break;
    case 8: {  // scale to gray: a ramp of grays
        for (int i = 0; i < 4; ++i) {
            const int v = 40 + i * 60;
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(v, v, v));
            p.drawRect(QRectF(3 + i * 6.5, 6, 6.5, 20));
        }
        break;
    }
    case 9: {  // favor black: bold black strokes on white
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 5, 26, 22));
        QFont f = p.font();
        f.setPixelSize(18);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRectF(3, 5, 26, 22), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case 16: drawNavigation(p, false, 1, true); break;
    case 17: drawNavigation(p, false, 1, false); break;
    case 18: drawNavigation(p, true, 1, false); break;
    case 19: drawNavigation(p, true, 1, true); break;
    case 21: drawOpenFolder(p); break;
    case 22:  // process: a gear over a page
        drawPage(p, QRectF(3, 3, 16, 22));
        drawGear(p, QPointF(21, 21), 10, 7, 8);
        break;
    default:
        p.end();
        return QPixmap();
    }
    return pm;
}

QPixmap documentMarkerPicture(bool down) {
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawPage(p, QRectF(6, 3, 20, 26));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 12; y <= 24; y += 4) p.drawLine(QPointF(9, y), QPointF(23, y));
    if (down) {
        // A ribbon over the page's top edge: this page begins a document.
        QPolygonF ribbon;
        ribbon << QPointF(10, 0) << QPointF(17, 0) << QPointF(17, 15) << QPointF(13.5, 11.5)
               << QPointF(10, 15);
        p.setPen(QPen(QColor(120, 0, 0), 1));
        p.setBrush(QColor(210, 20, 20));
        p.drawPolygon(ribbon);
    } else {
        QPolygonF ribbon;
        ribbon << QPointF(10, 3) << QPointF(17, 3) << QPointF(17, 8) << QPointF(13.5, 6)
               << QPointF(10, 8);
        p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(ribbon);
    }
    return pm;
}

QIcon documentMarkerIcon() {
    QIcon icon;
    icon.addPixmap(documentMarkerPicture(false), QIcon::Normal, QIcon::Off);
    icon.addPixmap(documentMarkerPicture(true), QIcon::Normal, QIcon::On);
    return icon;
}

QPixmap applicationPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    drawPage(p, QRectF(5, 2, 20, 27));
    QPolygonF ribbon;
    ribbon << QPointF(9, 0) << QPointF(15, 0) << QPointF(15, 14) << QPointF(12, 11) << QPointF(9, 14);
    p.setPen(QPen(QColor(120, 0, 0), 0.8));
    p.setBrush(QColor(210, 20, 20));
    p.drawPolygon(ribbon);
    p.setPen(QPen(QColor(0, 140, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF() << QPointF(13, 21) << QPointF(18, 26) << QPointF(29, 13));
    return pm;
}

}  // namespace leafmark::app
