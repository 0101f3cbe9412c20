#include "imaging/separators/LinearCodeAreas.h"

#include <algorithm>
#include <cmath>

#include "imaging/engine/Handles.h"
#include "imaging/separators/BrickMorph.h"
#include "imaging/separators/HalfSize.h"

namespace leafmark::imaging {
namespace {

int inches(double in, int dpi) { return std::max(2, static_cast<int>(std::lround(in * dpi))); }

// Blocks of strokes running along one axis of `ink` (at `dpi`): `upright` for bars standing up.
void strokeBlocks(PIX* ink, int dpi, bool upright, std::vector<InkArea>& out) {
    const int stroke = inches(0.15, dpi);  // longer than the tallest letter of body text
    const int gap = inches(0.06, dpi);     // the widest space between two bars
    PixPtr strokes(upright ? openColumns(ink, stroke) : openRows(ink, stroke));
    if (!strokes) return;
    PixPtr blocks(upright ? closeRows(strokes.get(), gap) : closeColumns(strokes.get(), gap));
    if (!blocks) return;
    BoxaPtr boxes(pixConnCompBB(blocks.get(), 8));
    const int across = inches(0.2, dpi);  // a block spans several bars
    const int n = boxes ? boxaGetCount(boxes.get()) : 0;
    for (int i = 0; i < n; ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes.get(), i, &x, &y, &w, &h);
        if ((upright ? w : h) >= across) out.push_back({x, y, w, h});
    }
}

}  // namespace

std::vector<InkArea> linearCodeAreas(PIX* ink, int dpi) {
    std::vector<InkArea> areas;
    if (!ink || pixGetDepth(ink) != 1 || dpi <= 0) return areas;
    // The blocks are looked for at half the resolution (any ink in 2 x 2 pixels
    // counts), which is plenty to tell bars from letters and four times cheaper.
    const bool halve = dpi >= 100;
    PixPtr coarse(halve ? halfSize(ink, 1) : clonePix(ink));
    if (!coarse) return areas;
    const int scale = halve ? 2 : 1;
    std::vector<InkArea> blocks;
    strokeBlocks(coarse.get(), dpi / scale, true, blocks);
    strokeBlocks(coarse.get(), dpi / scale, false, blocks);
    for (InkArea a : blocks) {
        a = {a.left * scale, a.top * scale, a.width * scale, a.height * scale};
        // Bars and the spaces between them: neither nearly empty nor one solid mark (a rule, a
        // filled box).
        BoxPtr box(boxCreate(a.left, a.top, a.width, a.height));
        l_int32 black = 0;
        pixCountPixelsInRect(ink, box.get(), &black, nullptr);
        const double density =
            static_cast<double>(black) / (static_cast<double>(a.width) * a.height);
        if (density >= 0.2 && density <= 0.85) areas.push_back(a);
    }
    return areas;
}

}  // namespace leafmark::imaging
