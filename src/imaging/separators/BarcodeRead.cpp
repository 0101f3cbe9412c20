#include "imaging/separators/BarcodeRead.h"

#include <ReadBarcode.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <exception>

#include "imaging/separators/HalfSize.h"
#include "imaging/separators/InkArea.h"
#include "imaging/separators/LineRuns.h"
#include "imaging/separators/LinearCodeAreas.h"
#include "imaging/separators/MatrixCodeAreas.h"
#include "imaging/separators/ReaderBytes.h"

namespace leafmark::imaging {
namespace {

constexpr double kWorkingDpi = 150.0;
constexpr std::size_t kMostLinearBlocks = 8;
// Lines read across a block of bars read along one direction only.
constexpr int kLinesThroughBars = 16;
// The reader scans every line of an image up to this many lines long (more: every few).
constexpr int kLinesReadOneByOne = 512;

// Working-copy reduction for a page at `dpi`: whole factors leptonica's gray
// scalers take, chosen so the copy lands near the working resolution.
int reductionFactor(int dpi) {
    if (dpi < 250) return 1;
    const int wanted = static_cast<int>(std::lround(dpi / kWorkingDpi));
    for (int f : {8, 6, 4, 3, 2})
        if (wanted >= f) return f;
    return 2;
}

std::string lowered(std::string s) {
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Runs the reader over its image `bytes` of `size` for the symbologies in `set`; valid
// results only. Linear codes are looked for along the rows and, when `downColumns`,
// along the columns too.
std::vector<ZXing::Result> readBytes(const std::vector<std::uint8_t>& bytes, ReaderSize size,
                                     Symbologies set, bool downColumns) {
    std::vector<ZXing::Result> out;
    if (size.width <= 0 || size.height <= 0) return out;
    const ZXing::ImageView view(bytes.data(), size.width, size.height, ZXing::ImageFormat::Lum);
    ZXing::DecodeHints hints;
    hints.setFormats(static_cast<ZXing::BarcodeFormat>(set));
    hints.setTryHarder(true);
    hints.setTryRotate(downColumns);
    hints.setTryDownscale(false);
    // Scanned separator sheets are black on white: a fixed threshold reads them and
    // costs a fraction of the adaptive ones.
    hints.setBinarizer(ZXing::Binarizer::FixedThreshold);
    try {
        for (ZXing::Result& r : ZXing::ReadBarcodes(view, hints))
            if (r.isValid()) out.push_back(std::move(r));
    } catch (
        const std::exception&) {  // a reader failure costs this image its barcodes, nothing more
        out.clear();
    }
    return out;
}

// Each thread keeps the reader's image buffer from page to page.
std::vector<std::uint8_t>& readerBuffer() {
    thread_local std::vector<std::uint8_t> bytes;
    return bytes;
}

// Runs the reader over a 1-bit ink map or an 8-bit gray image.
std::vector<ZXing::Result> readView(PIX* image, Symbologies set, bool downColumns = true) {
    std::vector<std::uint8_t>& bytes = readerBuffer();
    return readBytes(bytes, readerBytes(image, bytes), set, downColumns);
}

// The fewest bars a line across a symbol of any linear symbology in `set` crosses: start,
// check character and stop of Code 128, start and stop of Code 39 are ten each. 0 when
// `set` holds a symbology not counted here.
int fewestBars(Symbologies set) {
    const auto counted = static_cast<Symbologies>(ZXing::BarcodeFormat::Code128) |
                         static_cast<Symbologies>(ZXing::BarcodeFormat::Code39);
    return set != 0 && (set & ~counted) == 0 ? 10 : 0;
}

// The linear codes of the symbologies in `linear` read in the part `around` of `page`:
// a block of bars `bars` with its quiet zone. `alone` when no other block of bars
// reaches into that part.
std::vector<ZXing::Result> readBars(PIX* page, const InkArea& around, const InkArea& bars,
                                    Symbologies linear, bool alone) {
    BoxPtr box(boxCreate(around.left, around.top, around.width, around.height));
    BOX* clipped = nullptr;
    PixPtr crop(pixClipRectangle(page, box.get(), &clipped));
    BoxPtr cropBox(clipped);
    if (!crop || !cropBox) return {};
    const int fewest = fewestBars(linear);
    if (pixGetDepth(crop.get()) != 1 || fewest == 0) {
        PixPtr gray(pixGetDepth(crop.get()) == 1 ? pixClone(crop.get())
                                                 : pixConvertTo8(crop.get(), 0));
        return gray ? readView(gray.get(), linear) : std::vector<ZXing::Result>{};
    }
    // The reader's pass along rows or columns that have too few runs of ink for a
    // symbol finds nothing and is left out (bars standing up are read along the rows
    // only).
    const LineRuns runs = mostInkRuns(crop.get(), fewest);
    const bool alongRows = runs.alongRows >= fewest, downColumns = runs.downColumns >= fewest;
    if (!alongRows && !downColumns) return {};
    // When the bars of a block alone are read along one direction only, every line
    // across them reads the same symbol: a few lines through the block are enough. The
    // lines of the quiet zone around it, where other symbols may reach in, are all read.
    // (Parts longer than the reader scans line by line are read whole.)
    l_int32 cx = 0, cy = 0, cw = 0, ch = 0;
    boxGetGeometry(cropBox.get(), &cx, &cy, &cw, &ch);
    LineBand band;
    band.rows = !downColumns;
    band.from = band.rows ? bars.top - cy : bars.left - cx;
    band.to = band.from + (band.rows ? bars.height : bars.width);
    band.step = std::max(1, (band.to - band.from) / kLinesThroughBars);
    if (!alone || alongRows == downColumns || (band.rows ? ch : cw) > kLinesReadOneByOne)
        band.step = 1;
    // A symbol readable on a few of those lines only (bars short for their slant, or
    // printed over another) may fall between them: unless every symbol found was read
    // on at least half of the lines through the block, all lines are read.
    std::vector<std::uint8_t>& bytes = readerBuffer();
    std::vector<ZXing::Result> read;
    if (band.step > 1) {
        read = readBytes(bytes, thinnedReaderBytes(crop.get(), band, bytes), linear, downColumns);
        const int lines = (band.to - band.from + band.step - 1) / band.step;
        if (std::any_of(read.begin(), read.end(),
                        [&](const ZXing::Result& r) { return 2 * r.lineCount() < lines; }))
            read.clear();
    }
    if (read.empty()) read = readBytes(bytes, readerBytes(crop.get(), bytes), linear, downColumns);
    return read;
}

InkArea boundsOf(const ZXing::Result& r) {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (const auto& p : r.position()) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    return {std::max(0, x0), std::max(0, y0), std::max(1, x1 - x0 + 1), std::max(1, y1 - y0 + 1)};
}

BarcodeHit hitOf(const ZXing::Result& r, const InkArea& area) {
    BarcodeHit hit;
    hit.symbology = ZXing::ToString(r.format());
    hit.text = r.text();
    hit.left = area.left;
    hit.top = area.top;
    hit.width = area.width;
    hit.height = area.height;
    return hit;
}

}  // namespace

Symbologies defaultSymbologies() {
    using F = ZXing::BarcodeFormat;
    return static_cast<Symbologies>(F::Code128) | static_cast<Symbologies>(F::Code39) |
           static_cast<Symbologies>(F::QRCode) | static_cast<Symbologies>(F::DataMatrix);
}

SymbologyList parseSymbologies(const std::string& list) {
    Symbologies set = 0;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        const std::string given = list.substr(start, comma - start);
        const std::string name = lowered(given);
        start = comma + 1;
        if (name.empty()) continue;
        if (name == "all") {
            set |= static_cast<Symbologies>(ZXing::BarcodeFormat::Any);
            continue;
        }
        const ZXing::BarcodeFormat f = ZXing::BarcodeFormatFromString(name);
        if (f == ZXing::BarcodeFormat::None)
            return {0, Status::failure("unknown barcode symbology \"" + given + "\"")};
        set |= static_cast<Symbologies>(f);
    }
    if (set == 0) return {0, Status::failure("no barcode symbology named")};
    return {set};
}

std::string symbologyNames(Symbologies set) {
    std::string names;
    for (Symbologies bit = 1;
         bit != 0 && bit <= static_cast<Symbologies>(ZXing::BarcodeFormat::Any); bit <<= 1) {
        if (!(set & bit)) continue;
        if (!names.empty()) names += ',';
        names += ZXing::ToString(static_cast<ZXing::BarcodeFormat>(bit));
    }
    return names;
}

ReducedPage reducePage(PIX* page, int dpi) {
    ReducedPage out;
    if (!page) return out;
    if (dpi <= 0) dpi = static_cast<int>(pixGetWidth(page) / 8.5);
    out.factor = reductionFactor(dpi);
    out.dpi = std::max(1, dpi / out.factor);
    const float scale = 1.0f / static_cast<float>(out.factor);
    const int depth = pixGetDepth(page);
    if (depth == 1 && out.factor <= 2) {
        // The reader thresholds the gray copy at mid-gray, which for a 1-bit page halved
        // is "at least two of the four page pixels are ink": the rank reduction gives
        // that ink map directly, and the reader is given it (no gray copy).
        out.ink = out.factor == 1 ? clonePix(page) : halfSize(page, 2);
        return out;
    }
    if (depth == 1) {
        out.gray.reset(pixScaleToGray(page, scale));
    } else {
        PixPtr gray8(depth == 8 && !pixGetColormap(page) ? pixClone(page) : pixConvertTo8(page, 0));
        if (gray8)
            out.gray.reset(out.factor == 1 ? pixClone(gray8.get())
                                           : pixScaleAreaMap(gray8.get(), scale, scale));
    }
    if (!out.gray) return out;
    out.ink.reset(pixThresholdToBinary(out.gray.get(), 128));
    if (!out.ink) out.gray.reset();
    return out;
}

std::vector<BarcodeHit> readBarcodes(PIX* page, const ReducedPage& reduced, Symbologies set) {
    std::vector<BarcodeHit> hits;
    if (!page || !reduced.ink || set == 0) return hits;
    const auto all = static_cast<Symbologies>(ZXing::BarcodeFormat::Any);
    const Symbologies matrix =
        set & static_cast<Symbologies>(ZXing::BarcodeFormat::MatrixCodes) & all;
    const Symbologies linear =
        set & static_cast<Symbologies>(ZXing::BarcodeFormat::LinearCodes) & all;
    // Matrix codes have modules large enough to be read on the working copy, where
    // they are searched for only in the blocks that could hold one.
    if (matrix) {
        PIX* working = reduced.gray ? reduced.gray.get() : reduced.ink.get();
        auto take = [&](const ZXing::Result& r, int dx, int dy) {
            InkArea b = boundsOf(r);
            b.left += dx, b.top += dy;
            InkArea a = growOverInk(reduced.ink.get(), b, 0.25, 0);
            hits.push_back(hitOf(r, {a.left * reduced.factor, a.top * reduced.factor,
                                     a.width * reduced.factor, a.height * reduced.factor}));
        };
        const std::optional<std::vector<InkArea>> crops =
            matrixCodeCrops(reduced.ink.get(), reduced.dpi);
        if (!crops) {
            for (const ZXing::Result& r : readView(working, matrix)) take(r, 0, 0);
        } else {
            for (const InkArea& c : *crops) {
                BoxPtr box(boxCreate(c.left, c.top, c.width, c.height));
                PixPtr crop(pixClipRectangle(working, box.get(), nullptr));
                if (!crop) continue;
                for (const ZXing::Result& r : readView(crop.get(), matrix)) take(r, c.left, c.top);
            }
        }
    }
    // Linear codes are read at full resolution, only where the working copy shows bars.
    if (linear) {
        const int margin = std::max(8, reduced.dpi / 4) * reduced.factor;  // a quarter inch
        std::vector<InkArea> blocks = linearCodeAreas(reduced.ink.get(), reduced.dpi);
        for (InkArea& b : blocks)
            b = {b.left * reduced.factor, b.top * reduced.factor, b.width * reduced.factor,
                 b.height * reduced.factor};
        // A page of tables or rules can show many blocks; the largest few are read, so
        // no page costs more than a bounded number of reads.
        std::vector<InkArea> largest = blocks;
        std::sort(largest.begin(), largest.end(), [](const InkArea& a, const InkArea& b) {
            return a.width * a.height > b.width * b.height;
        });
        if (largest.size() > kMostLinearBlocks) largest.resize(kMostLinearBlocks);
        for (const InkArea& bars : largest) {
            const InkArea around{bars.left - margin, bars.top - margin, bars.width + 2 * margin,
                                 bars.height + 2 * margin};
            const bool alone = std::none_of(blocks.begin(), blocks.end(), [&](const InkArea& b) {
                return overlap(b, around) && !inside(b, bars);
            });
            for (const ZXing::Result& r : readBars(page, around, bars, linear, alone))
                hits.push_back(hitOf(r, bars));
        }
    }
    return hits;
}

}  // namespace leafmark::imaging
