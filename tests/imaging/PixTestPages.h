#pragma once
// Test pages for the page-operation tests: small patterned bitmaps built pixel by
// pixel, and text pages rendered with Qt at a given resolution and tilt.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdint>

#include "imaging/engine/Handles.h"

namespace leafmark::imaging::testpages {

// A w x h page of `depth` (1, 8 or 32) whose every pixel differs from its
// neighbours in a fixed pattern, so any misplaced pixel shows.
inline PixPtr patterned(int w, int h, int depth) {
    PixPtr pix(pixCreate(w, h, depth));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t seed = static_cast<std::uint32_t>(x * 7919 + y * 104729 + x * y);
            std::uint32_t v = seed;
            if (depth == 1) v = (seed >> 3) & 1u;
            if (depth == 8) v = seed & 0xFFu;
            if (depth == 32) v = (seed * 2654435761u) & 0xFFFFFF00u;
            pixSetPixel(pix.get(), x, y, v);
        }
    return pix;
}

inline bool samePixels(PIX* a, PIX* b) {
    l_int32 same = 0;
    return a && b && pixEqual(a, b, &same) == 0 && same == 1;
}

inline PixPtr copyOf(PIX* p) { return PixPtr(pixCopy(nullptr, p)); }

// A grayscale page of `w` x `h` at `dpi`, white, with lines of text of `points`
// size drawn leaning clockwise by `tiltDegrees` around the page centre.
inline QImage textPage(int w, int h, int dpi, double points, double tiltDegrees,
                       QRectF block = {}) {
    QImage img(w, h, QImage::Format_Grayscale8);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(static_cast<int>(points * dpi / 72.0 + 0.5));
    p.setFont(font);
    p.setPen(Qt::black);
    p.translate(w / 2.0, h / 2.0);
    p.rotate(tiltDegrees);
    p.translate(-w / 2.0, -h / 2.0);
    if (block.isNull()) block = QRectF(w * 0.15, h * 0.15, w * 0.7, h * 0.7);
    const QString line =
        QStringLiteral("Minimal jigs fix it: i.j; quiz... (a, b, c) 1.5: jiffy! did I? ij ii jj.");
    const double step = font.pixelSize() * 1.5;
    for (double y = block.top() + step; y < block.bottom(); y += step)
        p.drawText(QPointF(block.left(), y), line);
    return img;
}

// Dark (< 128) pixels of a grayscale image as a 1 bpp page.
inline PixPtr binaryOf(const QImage& gray) {
    PixPtr pix(pixCreate(gray.width(), gray.height(), 1));
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            if (row[x] < 128) pixSetPixel(pix.get(), x, y, 1);
    }
    return pix;
}

// The grayscale image as an 8 bpp page.
inline PixPtr grayOf(const QImage& gray) {
    PixPtr pix(pixCreate(gray.width(), gray.height(), 8));
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x) pixSetPixel(pix.get(), x, y, row[x]);
    }
    return pix;
}

}  // namespace leafmark::imaging::testpages
