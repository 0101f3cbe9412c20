#pragma once
// Separator sheets as scanning operators print them: a barcode written with the
// barcode library's own writer, its text under it and a label line, on an
// otherwise white letter page, optionally turned and specked. For tests and
// benchmarks of separator detection.

#include <QImage>
#include <QPainter>
#include <QString>
#include <string>

namespace leafmark::pagemaker {

// Paints `text` as a barcode of `symbology` ("Code128", "QRCode", "DataMatrix",
// ... as the barcode library names them) with its top-left corner at `topLeft`:
// modules 13 thousandths of an inch wide (matrix codes 20), linear codes 0.6
// inch tall, for a page of `dpi`. False when the symbology is unknown or the
// text cannot be encoded in it; nothing is painted then.
bool paintBarcode(QPainter& painter, const std::string& symbology, const std::string& text, int dpi,
                  QPointF topLeft);

// A white US Letter page at `dpi` (8-bit gray) carrying a label line, the barcode
// and its text, all turned by `angle` degrees clockwise about the page centre,
// with `specks` dots of 1 to 3 pixels placed from `seed`. Null image when the
// barcode cannot be made.
QImage separatorSheet(int dpi, const std::string& symbology, const std::string& text,
                      double angle = 0.0, int specks = 0, quint32 seed = 1);

// The sheet of separatorSheet() written as a 1-bit Group 4 TIFF file at `dpi`
// (see writeTiff). False with a reason on failure.
bool writeSeparatorSheet(const QString& path, int dpi, const std::string& symbology,
                         const std::string& text, double angle = 0.0, int specks = 0,
                         quint32 seed = 1, QString* error = nullptr);

// Adds `count` dots of 1 to 3 pixels at places drawn from `seed`.
void sprinkleSpecks(QImage& image, int count, quint32 seed);

}  // namespace leafmark::pagemaker
