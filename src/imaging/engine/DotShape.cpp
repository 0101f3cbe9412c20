#include "imaging/engine/DotShape.h"

#include <algorithm>

namespace leafmark::imaging {

namespace {

// Number of separate runs of set positions in [from, to).
template <typename F>
int runsIn(int from, int to, F&& set) {
    int runs = 0;
    bool inRun = false;
    for (int i = from; i < to; ++i) {
        const bool on = set(i);
        if (on && !inRun) ++runs;
        inRun = on;
    }
    return runs;
}

}  // namespace

bool looksLikePrintedDot(PIX* binary, int x0, int y0, int w, int h, int xres, int yres) {
    if (!binary || w <= 0 || h <= 0 || x0 < 0 || y0 < 0 || x0 + w > pixGetWidth(binary) ||
        y0 + h > pixGetHeight(binary))
        return false;
    // Width and height on the paper, in common units.
    const long across = static_cast<long>(w) * std::max(1, yres);
    const long down = static_cast<long>(h) * std::max(1, xres);
    if (4 * std::max(across, down) > 7 * std::min(across, down)) return false;

    const auto dark = [binary](int x, int y) {
        l_uint32 v = 0;
        pixGetPixel(binary, x, y, &v);
        return v != 0;
    };
    const int x1 = x0 + w, y1 = y0 + h;
    int filled = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) filled += dark(x, y);
    if (3 * filled < 2 * w * h) return false;
    for (int y = y0; y < y1; ++y)
        if (runsIn(x0, x1, [&](int x) { return dark(x, y); }) != 1) return false;
    for (int x = x0; x < x1; ++x)
        if (runsIn(y0, y1, [&](int y) { return dark(x, y); }) != 1) return false;
    // With one run per row and column, the rows hang together by edges when each
    // row's run shares a column with the run above it.
    for (int y = y0 + 1; y < y1; ++y) {
        bool joined = false;
        for (int x = x0; x < x1 && !joined; ++x) joined = dark(x, y) && dark(x, y - 1);
        if (!joined) return false;
    }
    return true;
}

}  // namespace leafmark::imaging
