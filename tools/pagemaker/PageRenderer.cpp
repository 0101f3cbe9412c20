// Draws a sample page: text laid out on the page and turned by the skew angle
// (the painter's transform, so glyphs are drawn once, already turned), then a
// scanner-edge strip and a few specks in the frame of the scan itself.

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>

#include "PageMaker.h"
#include "PageText.h"
#include "SeededRandom.h"

namespace leafmark::pagemaker {
namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

QFont fontOf(const char* family, double points, int dpi, bool bold) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(std::max(6, static_cast<int>(std::lround(points * dpi / 72.0))));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    return f;
}

struct Palette {
    QColor paper;
    QColor ink;
    QColor headingInk;
};

Palette paletteOf(PageKind kind) {
    switch (kind) {
        case PageKind::Gray:
            return {QColor(236, 236, 236), QColor(28, 28, 28), QColor(28, 28, 28)};
        case PageKind::Colour:
            return {QColor(247, 243, 232), QColor(24, 26, 38), QColor(22, 44, 120)};
        case PageKind::Group4:
        case PageKind::Fax:
            break;
    }
    return {Qt::white, Qt::black, Qt::black};
}

// Splits `text` into lines no wider than `width` in `metrics`.
QStringList wrap(const QString& text, const QFontMetricsF& metrics, double width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
            lines << line;
            line = word;
        } else {
            line = candidate;
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

// Lays the text out in page units of 1/dpi inch (dpi = the vertical resolution).
void drawText(QPainter& p, SeededRandom& random, double pageWidth, double pageHeight, int dpi,
              const Palette& palette, bool colourExtras, int maxLines) {
    const QFont body = fontOf("DejaVu Serif", 11, dpi, false);
    const QFont small = fontOf("DejaVu Sans", 10, dpi, false);
    const QFont head = fontOf("DejaVu Sans", 15, dpi, true);
    const double margin = dpi * 1.0;
    const double textWidth = pageWidth - 2 * margin;
    const double bottom = pageHeight - margin;
    double y = margin;
    int linesLeft = maxLines < 0 ? INT_MAX : maxLines;

    auto drawLine = [&](const QFont& font, const QColor& colour, const QString& text, double x) {
        const QFontMetricsF m(font);
        const double lineHeight = m.height() * 1.25;
        if (y + lineHeight > bottom || linesLeft-- <= 0) return false;
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QPointF(x, y + m.ascent()), text);
        y += lineHeight;
        return true;
    };

    const double bodyLine = QFontMetricsF(body).height() * 1.25;
    bool room = true;
    for (const TextBlock& block : makePageText(random)) {
        switch (block.kind) {
            case TextBlock::Gap:
                y += bodyLine * 0.8;
                break;
            case TextBlock::ShortLine:
                room = drawLine(small, palette.ink, block.text, margin);
                break;
            case TextBlock::Heading:
                // A heading needs room for itself and the start of what follows.
                if (y + bodyLine * 4 > bottom) {
                    room = false;
                    break;
                }
                y += bodyLine * 0.5;
                room = drawLine(head, palette.headingInk, block.text, margin);
                y += bodyLine * 0.2;
                break;
            case TextBlock::Paragraph: {
                const QStringList lines =
                    wrap(block.text, QFontMetricsF(body), textWidth - dpi * 0.4);
                for (int i = 0; room && i < lines.size(); ++i)
                    room =
                        drawLine(body, palette.ink, lines[i], margin + (i == 0 ? dpi * 0.4 : 0.0));
                y += bodyLine * 0.4;
                break;
            }
        }
        if (!room) break;
    }

    if (maxLines >= 0) return;  // a few lines only: no footer, no stamp

    // Footer with a page number, centred below the text.
    const QFontMetricsF fm(small);
    const QString footer = QStringLiteral("Page %1").arg(random.between(1, 40));
    p.setFont(small);
    p.setPen(palette.ink);
    p.drawText(QPointF((pageWidth - fm.horizontalAdvance(footer)) / 2, pageHeight - margin * 0.55),
               footer);

    if (colourExtras && random.chance(0.8)) {
        // A red "received" stamp in the top right corner, set a little askew.
        const QColor red(190, 32, 36);
        p.save();
        p.translate(pageWidth - margin - dpi * 1.2, margin + dpi * 0.5);
        p.rotate(random.between(-80, 80) / 10.0);
        p.setPen(QPen(red, dpi * 0.02));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(-dpi * 1.1, -dpi * 0.4, dpi * 2.2, dpi * 0.8));
        p.setFont(fontOf("DejaVu Sans", 16, dpi, true));
        p.drawText(QRectF(-dpi * 1.1, -dpi * 0.4, dpi * 2.2, dpi * 0.5), Qt::AlignCenter,
                   QStringLiteral("RECEIVED"));
        p.setFont(small);
        p.drawText(
            QRectF(-dpi * 1.1, dpi * 0.05, dpi * 2.2, dpi * 0.3), Qt::AlignCenter,
            QStringLiteral("%1 %2").arg(random.between(1, 28)).arg(random.between(1990, 2009)));
        p.restore();
    }
}

// True when every pixel of `box` (clipped to the image) has the paper colour.
bool allPaper(const QImage& img, QRect box, QRgb paper) {
    box &= img.rect();
    const auto gray = static_cast<uchar>(qGray(paper));
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uchar* line = img.constScanLine(y);
        for (int x = box.left(); x <= box.right(); ++x) {
            if (img.format() == QImage::Format_Grayscale8) {
                if (line[x] != gray) return false;
            } else if ((reinterpret_cast<const QRgb*>(line)[x] | 0xFF000000u) !=
                       (paper | 0xFF000000u)) {
                return false;
            }
        }
    }
    return true;
}

QRect borderStrip(SeededRandom& random, const PageGeometry& g) {
    const int thick = random.between(g.xDpi * 12 / 100, g.xDpi * 30 / 100);
    switch (random.between(0, 3)) {
        case 0:
            return QRect(0, 0, thick, g.height);
        case 1:
            return QRect(g.width - thick, 0, thick, g.height);
        case 2:
            return QRect(0, 0, g.width, thick);
        default:
            return QRect(0, g.height - thick, g.width, thick);
    }
}

std::vector<QRect> placeSpecks(QImage& canvas, SeededRandom& random, int count, int dpi,
                               const Palette& palette) {
    std::vector<QRect> specks;
    const int clearance = std::max(8, dpi * 16 / 300);
    const int edge = clearance + 4;
    for (int attempt = 0; attempt < count * 200 && static_cast<int>(specks.size()) < count;
         ++attempt) {
        const int size = random.between(1, 3);
        const QRect speck(random.between(edge, canvas.width() - edge - size),
                          random.between(edge, canvas.height() - edge - size), size, size);
        if (!allPaper(canvas, speck.adjusted(-clearance, -clearance, clearance, clearance),
                      palette.paper.rgb()))
            continue;
        QPainter p(&canvas);
        p.fillRect(speck, palette.ink);
        specks.push_back(speck);
    }
    return specks;
}

// Thresholds a gray drawing into a 1-bit page: bit 1 = black, as in min-is-white rows.
QImage toBilevel(const QImage& gray) {
    QImage mono(gray.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* src = gray.constScanLine(y);
        uchar* dst = mono.scanLine(y);
        std::memset(dst, 0, static_cast<std::size_t>(mono.bytesPerLine()));
        for (int x = 0; x < gray.width(); ++x)
            if (src[x] < 128) dst[x >> 3] |= static_cast<uchar>(0x80u >> (x & 7));
    }
    return mono;
}

}  // namespace

void loadPageFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* file :
             {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(kFontDir) + QLatin1String(file));
    });
}

const char* kindName(PageKind kind) {
    switch (kind) {
        case PageKind::Group4:
            return "g4";
        case PageKind::Gray:
            return "gray";
        case PageKind::Colour:
            return "colour";
        case PageKind::Fax:
            return "fax";
    }
    return "g4";
}

std::optional<PageKind> kindFromName(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("g4")) return PageKind::Group4;
    if (n == QLatin1String("gray") || n == QLatin1String("grey")) return PageKind::Gray;
    if (n == QLatin1String("colour") || n == QLatin1String("color")) return PageKind::Colour;
    if (n == QLatin1String("fax")) return PageKind::Fax;
    return std::nullopt;
}

PageGeometry geometryOf(PageKind kind) {
    if (kind == PageKind::Fax) return {1728, 2200, 204, 196};
    return {2550, 3300, 300, 300};
}

Page renderPage(const PageSpec& spec) {
    loadPageFonts();
    const PageGeometry g = geometryOf(spec.kind);
    const Palette palette = paletteOf(spec.kind);
    const bool bilevel = spec.kind == PageKind::Group4 || spec.kind == PageKind::Fax;
    const double angle = std::clamp(spec.angle, -45.0, 45.0);

    QImage canvas(g.width, g.height,
                  spec.kind == PageKind::Colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    canvas.fill(palette.paper);

    SeededRandom random(SeededRandom::mix(spec.seed, 0x5EEDu));
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, !bilevel);
        p.setRenderHint(QPainter::TextAntialiasing, !bilevel);
        // Lay out in square units of 1/yDpi inch and turn the page about its centre
        // in those units, as paper lies turned on the scanner; then the x scale maps
        // them onto the (possibly wider) pixels of the kind.
        const double sx = static_cast<double>(g.xDpi) / g.yDpi;
        const double logicalWidth = g.width / sx;
        p.translate(g.width / 2.0, g.height / 2.0);
        p.scale(sx, 1.0);
        p.rotate(angle);
        p.translate(-logicalWidth / 2.0, -g.height / 2.0);
        drawText(p, random, logicalWidth, g.height, g.yDpi, palette, spec.kind == PageKind::Colour,
                 spec.textLines);
    }

    Page page;
    page.info.kind = spec.kind;
    page.info.width = g.width;
    page.info.height = g.height;
    page.info.xDpi = g.xDpi;
    page.info.yDpi = g.yDpi;
    page.info.angle = angle;
    page.info.description = spec.description;

    if (spec.border) {
        page.info.border = borderStrip(random, g);
        QPainter(&canvas).fillRect(page.info.border, palette.ink);
    }
    page.info.specks =
        placeSpecks(canvas, random, std::clamp(spec.specks, 0, 200), g.xDpi, palette);

    if (bilevel)
        page.image = toBilevel(canvas);
    else if (spec.kind == PageKind::Colour)
        page.image = canvas.convertToFormat(QImage::Format_RGB888);
    else
        page.image = std::move(canvas);
    page.image.setDotsPerMeterX(static_cast<int>(std::lround(g.xDpi / 0.0254)));
    page.image.setDotsPerMeterY(static_cast<int>(std::lround(g.yDpi / 0.0254)));
    return page;
}

}  // namespace leafmark::pagemaker
