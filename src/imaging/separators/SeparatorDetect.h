#pragma once
// Separator sheets: pages put between documents by the scanning operator, carrying
// a barcode or left blank. A page is read once (decoded, reduced, its barcodes and
// ink measured) and the reading is then judged against a rule, so a change of
// rule needs no second decode. No Qt.

#include <functional>
#include <string>
#include <vector>

#include "imaging/engine/InkShare.h"
#include "imaging/separators/BarcodeRead.h"

namespace leafmark::imaging {

// What one page holds, as far as separator sheets are concerned.
struct SeparatorReading {
    bool readable = false;
    std::string error;                 // why the page could not be read
    std::vector<BarcodeHit> barcodes;  // of the symbologies asked for
    double inkPercent = 0.0;           // the page's ink share (inkSharePercent on the working copy)
    double inkOutsideBarcodes = 0.0;   // the same with the barcodes' areas set aside
};

// Which pages count as separators.
enum class SeparatorKinds { Barcode, Blank, Both };

struct SeparatorRule {
    SeparatorKinds kinds = SeparatorKinds::Barcode;
    // When set, a page is a barcode separator when the text of one of its barcodes
    // is accepted by it (the commands and the window compile the operator's
    // regular expression into it); when not, when it carries any barcode and is
    // otherwise nearly blank.
    std::function<bool(const std::string&)> pattern;
    // Ink outside the barcodes (percent) under which a page is "otherwise nearly
    // blank": room for a printed label or the barcode's own digits, never a page of text.
    double nearlyBlankPercent = 1.0;
    // Ink share (percent) under which a page is blank: the blank-page threshold
    // of the documents, unless the operator gives another.
    double blankPercent = kBlankThresholdPercent;
};

// Decodes page 1 of `file` and reads it. A page that only partly decodes is read
// as far as it decoded; one that cannot be decoded comes back not readable.
SeparatorReading readSeparatorPage(const std::string& file, Symbologies set);

// The same on a page already decoded (any depth the engine loads) at `dpi` across
// and `yDpi` down (0: as across).
SeparatorReading readSeparatorPix(PIX* page, int dpi, Symbologies set, int yDpi = 0);

// Whether a reading makes the page a separator under `rule`; `why` (optional)
// gets a short reason such as "barcode Code128 \"SEP\"" or "blank page".
bool isSeparator(const SeparatorReading& reading, const SeparatorRule& rule,
                 std::string* why = nullptr);

}  // namespace leafmark::imaging
