#include "imaging/separators/LinearCodeAreas.h"

#include "imaging/engine/Handles.h"

#include <algorithm>
#include <cmath>

namespace leafmark::imaging {
namespace {

int inches(double in, int dpi) { return std::max(2, static_cast<int>(std::lround(in * dpi))); }

// Blocks of strokes running along one axis: `upright` for bars standing up.
void strokeBlocks(PIX* ink, int dpi, bool upright, std::vector<InkArea>& out) {
    const int stroke = inches(0.15, dpi);  // longer than the tallest letter of body text
    const int gap = inches(0.06, dpi);     // the widest space between two bars
    PixPtr strokes(upright ? pixOpenBrick(nullptr, ink, 1, stroke) : pixOpenBrick(nullptr, ink, stroke, 1));
    if (!strokes) return;
    PixPtr blocks(upright ? pixCloseBrick(nullptr, strokes.get(), gap, 1) : pixCloseBrick(nullptr, strokes.get(), 1, gap));
    if (!blocks) return;
    BOXA* raw = nullptr;
    PIXA* parts = nullptr;
    raw = pixConnComp(blocks.get(), &parts, 8);
    BoxaPtr boxes(raw);
    const int across = inches(0.2, dpi);  // a block spans several bars
    const int n = boxes ? boxaGetCount(boxes.get()) : 0;
    for (int i = 0; i < n; ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes.get(), i, &x, &y, &w, &h);
        const int wide = upright ? w : h;
        if (wide < across) continue;
        // At least two strokes: the block holds more than one stroke's worth of ink.
        PIX* part = pixaGetPix(parts, i, L_CLONE);
        l_int32 blockInk = 0;
        pixCountPixels(part, &blockInk, nullptr);
        pixDestroy(&part);
        BoxPtr box(boxCreate(x, y, w, h));
        l_int32 inStrokes = 0;
        pixCountPixelsInRect(strokes.get(), box.get(), &inStrokes, nullptr);
        if (inStrokes * 10 > blockInk * 9) continue;  // one solid mark (a rule or a block), no bars
        out.push_back({x, y, w, h});
    }
    pixaDestroy(&parts);
}

}  // namespace

std::vector<InkArea> linearCodeAreas(PIX* ink, int dpi) {
    std::vector<InkArea> areas;
    if (!ink || pixGetDepth(ink) != 1 || dpi <= 0) return areas;
    strokeBlocks(ink, dpi, true, areas);
    strokeBlocks(ink, dpi, false, areas);
    return areas;
}

}  // namespace leafmark::imaging
