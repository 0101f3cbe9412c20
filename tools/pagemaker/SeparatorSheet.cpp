#include "pagemaker/SeparatorSheet.h"

#include <BitMatrix.h>
#include <MultiFormatWriter.h>

#include <QRandomGenerator>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "pagemaker/PageMaker.h"

namespace leafmark::pagemaker {

bool paintBarcode(QPainter& p, const std::string& symbology, const std::string& text, int dpi,
                  QPointF at) {
    const ZXing::BarcodeFormat format = ZXing::BarcodeFormatFromString(symbology);
    if (format == ZXing::BarcodeFormat::None) return false;
    ZXing::BitMatrix m;
    try {
        m = ZXing::MultiFormatWriter(format).setMargin(0).encode(text, 0, 0);
    } catch (const std::exception&) {  // the writer refuses text its symbology cannot hold
        return false;
    }
    const bool linear = m.height() < 5;  // linear codes come back one or a few rows high
    const double module = dpi * (linear ? 0.013 : 0.02);
    const double cell = linear ? dpi * 0.6 : module;
    const int rows = linear ? 1 : m.height();
    // Edges are rounded to whole pixels from the symbol's origin and each run of
    // dark modules is one rectangle, so neighbouring modules never leave a gap.
    auto edgeX = [&](int c) { return static_cast<int>(std::lround(at.x() + c * module)); };
    auto edgeY = [&](int r) { return static_cast<int>(std::lround(at.y() + r * cell)); };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < m.width();) {
            if (!m.get(c, r)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < m.width() && m.get(end, r)) ++end;
            p.fillRect(QRect(QPoint(edgeX(c), edgeY(r)), QPoint(edgeX(end) - 1, edgeY(r + 1) - 1)),
                       Qt::black);
            c = end;
        }
    return true;
}

void sprinkleSpecks(QImage& image, int count, quint32 seed) {
    QRandomGenerator rng(seed);
    QPainter p(&image);
    for (int i = 0; i < count; ++i) {
        const int s = 1 + static_cast<int>(rng.bounded(3u));
        p.fillRect(static_cast<int>(rng.bounded(static_cast<quint32>(image.width() - 3))),
                   static_cast<int>(rng.bounded(static_cast<quint32>(image.height() - 3))), s, s,
                   Qt::black);
    }
}

QImage separatorSheet(int dpi, const std::string& symbology, const std::string& text, double angle,
                      int specks, quint32 seed) {
    QImage img(static_cast<int>(8.5 * dpi), 11 * dpi, QImage::Format_Grayscale8);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.translate(img.width() / 2.0, img.height() / 2.0);
        p.rotate(angle);
        p.translate(-img.width() / 2.0, -img.height() / 2.0);
        if (!paintBarcode(p, symbology, text, dpi, QPointF(2.0 * dpi, 3.0 * dpi))) return {};
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(dpi / 6);
        p.setFont(font);
        p.drawText(QPointF(2.0 * dpi, 2.5 * dpi), QStringLiteral("DOCUMENT SEPARATOR"));
        p.drawText(QPointF(2.0 * dpi, 5.2 * dpi), QString::fromStdString(text));
    }
    sprinkleSpecks(img, specks, seed);
    return img;
}

bool writeSeparatorSheet(const QString& path, int dpi, const std::string& symbology,
                         const std::string& text, double angle, int specks, quint32 seed,
                         QString* error) {
    const QImage gray = separatorSheet(dpi, symbology, text, angle, specks, seed);
    if (gray.isNull()) {
        if (error)
            *error = QStringLiteral("No %1 barcode can hold \"%2\".")
                         .arg(QString::fromStdString(symbology), QString::fromStdString(text));
        return false;
    }
    Page page;
    page.image = QImage(gray.size(), QImage::Format_Mono);
    page.image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // bit 1 = black
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* src = gray.constScanLine(y);
        uchar* dst = page.image.scanLine(y);
        std::memset(dst, 0, static_cast<std::size_t>(page.image.bytesPerLine()));
        for (int x = 0; x < gray.width(); ++x)
            if (src[x] < 128) dst[x >> 3] |= static_cast<uchar>(0x80u >> (x & 7));
    }
    page.info.kind = PageKind::Group4;
    page.info.width = gray.width();
    page.info.height = gray.height();
    page.info.xDpi = page.info.yDpi = dpi;
    return writeTiff(page, path, error);
}

}  // namespace leafmark::pagemaker
