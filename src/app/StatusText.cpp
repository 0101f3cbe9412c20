#include "app/StatusText.h"

#include <QStringList>
#include <cmath>

namespace leafmark::app {

// A table, one case a compression code: the cases are alike on purpose.
QString formatName(int code) {
    switch (code) {
        case 1:
            return QStringLiteral("uncompressed");
        case 2:
            return QStringLiteral("CCITT RLE");
        case 3:
            return QStringLiteral("Group 3");
        case 4:
            return QStringLiteral("Group 4");
        case 5:
            return QStringLiteral("LZW");
        case 7:
            return QStringLiteral("JPEG");
        case 8:
            return QStringLiteral("Deflate");
        case 32773:
            return QStringLiteral("PackBits");
        default:
            return QStringLiteral("format %1").arg(code);
    }
}

QString statusText(const StatusFacts& f) {
    if (!f.pageShown) return QString();
    QStringList parts;
    if (f.index >= 0)
        parts << QStringLiteral("Page %1 of %2").arg(f.index + 1).arg(f.count);
    else
        parts << QStringLiteral("Page not in the folder list");
    if (f.document.document > 0)
        parts << QStringLiteral("Document %1, page %2 of %3")
                     .arg(f.document.document)
                     .arg(f.document.page)
                     .arg(f.document.pages);
    if (f.loaded) {
        QString mode;
        switch (f.sizeMode) {
            case imaging::kSizeFitWidth:
                mode = QStringLiteral("Fit-to-Width");
                break;
            case imaging::kSizeFitPage:
                mode = QStringLiteral("Fit");
                break;
            default:
                mode = f.windowmode == 0 ? QStringLiteral("Actual Size") : QStringLiteral("Zoom");
                break;
        }
        parts << QStringLiteral("%1 %2%").arg(mode).arg(std::lround(f.zoomPercent));
        if (f.xResolution == f.yResolution)
            parts << QStringLiteral("%1 dpi").arg(f.xResolution);
        else
            parts << QStringLiteral("%1 x %2 dpi").arg(f.xResolution).arg(f.yResolution);
        parts << QStringLiteral("%1, %2 bit").arg(formatName(f.format)).arg(f.bitDepth);
    } else {
        parts << QStringLiteral("not loaded");
    }
    if (f.documentMarker) parts << QStringLiteral("BOD");
    if (f.changeMarker) parts << QStringLiteral("Changed");
    if (f.modified != kUnmodified) parts << QStringLiteral("unsaved changes");
    if (f.damaged) parts << QStringLiteral("damaged");
    if (!f.findings.isEmpty())
        parts << QStringLiteral("check: ") + f.findings.join(QStringLiteral("; "));
    if (!f.proposal.isEmpty()) parts << f.proposal;
    return parts.join(QStringLiteral("  |  "));
}

}  // namespace leafmark::app
