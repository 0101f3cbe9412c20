#include "DotSample.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "PageText.h"
#include "SeededRandom.h"

namespace leafmark::pagemaker {

namespace {

// Lines rich in small marks; the last two are table-of-contents lines with leaders.
const char* const kLines[] = {
    "It is a tiny jig: i.j; did it fit? Indeed, it did. Fix it in time...",
    "Minimal kit, list of items: 1.5 mm pins, 2.25 in. jigs, six i-bolts.",
    "Quiz: Is it legitimate? Yes; it is. Wait... i.e. in this initial draft.",
    "Visit: Jim, Jill, Tim & Lili; 3.14159 is pi. Finish it, submit it.",
    "Introduction ........................................ 1",
    "Limits of jurisdiction ..................... 17",
};

bool inkAt(const QImage& page, int x, int y) { return page.constScanLine(y)[x] < 128; }

// Chebyshev distance from the box to the nearest ink within `reach`; reach + 1 when none.
int gapToInk(const QImage& page, const QRect& box, int reach) {
    int best = reach + 1;
    const int x0 = std::max(0, box.left() - reach),
              x1 = std::min(page.width() - 1, box.right() + reach);
    const int y0 = std::max(0, box.top() - reach),
              y1 = std::min(page.height() - 1, box.bottom() + reach);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (!inkAt(page, x, y)) continue;
            const int dx =
                x < box.left() ? box.left() - x : (x > box.right() ? x - box.right() : 0);
            const int dy =
                y < box.top() ? box.top() - y : (y > box.bottom() ? y - box.bottom() : 0);
            best = std::min(best, std::max(dx, dy));
        }
    return best;
}

}  // namespace

QImage speckSampleText(int width, int height, int xDpi, int yDpi, double points,
                       std::uint64_t seed) {
    loadPageFonts();
    QImage page(width, height, QImage::Format_Grayscale8);
    page.fill(255);
    SeededRandom random(SeededRandom::mix(seed, 0x5BEC4u));
    QPainter p(&page);
    // Drawn smooth, then cut at a light gray: thin strokes stay whole, as on a
    // bilevel scan of print (drawn without smoothing they fall apart in pieces).
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // Units of 1/yDpi inch, stretched across to the page's own horizontal pixels.
    const double sx = static_cast<double>(xDpi) / yDpi;
    p.scale(sx, 1.0);
    QFont font(random.chance(0.5) ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(4, static_cast<int>(std::lround(points * yDpi / 72.0))));
    font.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetricsF m(font);
    const double left = yDpi * 0.1, step = m.height() * 1.3;
    const int lineCount = static_cast<int>(std::size(kLines));
    int line = random.between(0, lineCount - 1);
    for (double y = yDpi * 0.1 + m.ascent(); y + m.descent() < height - yDpi * 0.1; y += step) {
        QString text = QString::fromLatin1(kLines[line % lineCount]);
        if (random.chance(0.4))
            text = makeSentence(random, random.between(6, 14)) + QLatin1Char(' ') + text;
        // Whole words only: a line cut by the page edge would leave broken letters.
        const double room = width / sx - 2 * left;
        while (m.horizontalAdvance(text) > room && text.contains(QLatin1Char(' ')))
            text.truncate(text.lastIndexOf(QLatin1Char(' ')));
        p.drawText(QPointF(left, y), text);
        ++line;
    }
    p.end();
    for (int y = 0; y < height; ++y) {
        uchar* row = page.scanLine(y);
        for (int x = 0; x < width; ++x) row[x] = row[x] < 192 ? 0 : 255;
    }
    return page;
}

std::vector<QRect> addSpecksNearText(QImage& page, std::uint64_t seed, int count, int minGap,
                                     int maxGap) {
    SeededRandom random(SeededRandom::mix(seed, 0x59EC5u));
    const QImage text = page.copy();
    std::vector<QRect> specks;
    for (int attempt = 0; attempt < count * 400 && static_cast<int>(specks.size()) < count;
         ++attempt) {
        const QRect box(random.between(maxGap, page.width() - maxGap - 4),
                        random.between(maxGap, page.height() - maxGap - 4), random.between(1, 3),
                        random.between(1, 3));
        const int gap = gapToInk(text, box, maxGap + 1) - 1;  // white pixels between
        if (gap < minGap || gap > maxGap) continue;
        if (std::any_of(specks.begin(), specks.end(), [&](const QRect& s) {
                return s.adjusted(-maxGap, -maxGap, maxGap, maxGap).intersects(box);
            }))
            continue;
        // A random 8-connected shape filling the box: a diagonal through it plus some.
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const bool diagonal =
                    (x - box.left()) * box.height() / box.width() == y - box.top() ||
                    (y - box.top()) * box.width() / box.height() == x - box.left();
                if (diagonal || random.chance(0.6)) page.scanLine(y)[x] = 0;
            }
        specks.push_back(box);
    }
    return specks;
}

}  // namespace leafmark::pagemaker
