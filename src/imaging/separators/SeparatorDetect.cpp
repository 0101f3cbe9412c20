#include "imaging/separators/SeparatorDetect.h"

#include <algorithm>

#include "imaging/engine/PageEngine.h"
#include "imaging/separators/InkArea.h"

namespace leafmark::imaging {

SeparatorReading readSeparatorPix(PIX* page, int dpi, Symbologies set, int yDpi) {
    SeparatorReading out;
    if (yDpi <= 0) yDpi = dpi;
    ReducedPage reduced = reducePage(page, std::max(dpi, yDpi));
    if (!reduced.ink) {
        out.error = "Not enough memory to read the page";
        return out;
    }
    out.readable = true;
    out.barcodes = readBarcodes(page, reduced, set);
    // The documents' ink share, on the working copy at its own resolution.
    // (An unknown resolution is taken as the working copy's, which assumes a letter-wide page.)
    const int xWorking = dpi > 0 ? std::max(1, dpi / reduced.factor) : reduced.dpi;
    const int yWorking = yDpi > 0 ? std::max(1, yDpi / reduced.factor) : reduced.dpi;
    out.inkPercent = std::max(0.0, inkSharePercent(reduced.ink.get(), xWorking, yWorking));
    std::vector<InkArea> areas;
    const int pad = std::max(2, static_cast<int>(pixGetWidth(reduced.ink.get())) / 100);
    for (const BarcodeHit& b : out.barcodes) {
        const InkArea a{b.left / reduced.factor, b.top / reduced.factor, b.width / reduced.factor,
                        b.height / reduced.factor};
        areas.push_back({a.left - pad, a.top - pad, a.width + 2 * pad, a.height + 2 * pad});
    }
    out.inkOutsideBarcodes =
        areas.empty()
            ? out.inkPercent
            : std::max(0.0, inkSharePercent(reduced.ink.get(), xWorking, yWorking, areas));
    return out;
}

SeparatorReading readSeparatorPage(const std::string& file, Symbologies set) {
    PageEngine engine;
    if (const Status loaded = engine.LoadPage(file); !loaded) {
        SeparatorReading out;
        out.error = loaded.reason();
        return out;
    }
    return readSeparatorPix(engine.pix(), engine.XResolution(), set, engine.YResolution());
}

bool isSeparator(const SeparatorReading& reading, const SeparatorRule& rule, std::string* why) {
    if (!reading.readable) return false;
    auto say = [why](std::string text) {
        if (why) *why = std::move(text);
        return true;
    };
    if (rule.kinds != SeparatorKinds::Blank) {
        for (const BarcodeHit& b : reading.barcodes) {
            const bool accepted = rule.pattern
                                      ? rule.pattern(b.text)
                                      : reading.inkOutsideBarcodes < rule.nearlyBlankPercent;
            if (accepted) return say("barcode " + b.symbology + " \"" + b.text + "\"");
        }
    }
    if (rule.kinds != SeparatorKinds::Barcode && reading.barcodes.empty() &&
        isBlank(reading.inkPercent, rule.blankPercent))
        return say("blank page");
    return false;
}

}  // namespace leafmark::imaging
