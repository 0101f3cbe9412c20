#include "app/ToolbarLayout.h"

#include <cmath>

namespace leafmark::app {

int twipsToPixels(int twips, double pixelsPerTwip) {
    return static_cast<int>(std::lround(twips * pixelsPerTwip));
}

int pixelsToTwips(int pixels, double pixelsPerTwip) {
    if (pixelsPerTwip <= 0) return 0;
    return static_cast<int>(std::lround(pixels / pixelsPerTwip));
}

int toolbarGapTwips(int screenWidthTwips) {
    // C++ integer division truncates toward zero, like the row's \ operator.
    return (screenWidthTwips - kToolbarSlots * kButtonPitchTwips) / kToolbarGaps;
}

std::vector<ToolbarPlace> layoutToolbar(int screenWidthTwips, double pixelsPerTwip) {
    const int g = toolbarGapTwips(screenWidthTwips);
    struct Step {
        int slot;
        bool gapBefore;
    };
    // The first control sits at G; each later one follows the previous one by the
    // pitch, plus G where a new group begins.
    static constexpr Step steps[] = {
        {3, false},  {4, false},  {5, false},  {1, true},  {kDocumentMarkerSlot, true},
        {6, true},   {7, false},  {8, true},   {9, false}, {16, true},
        {17, false}, {18, false}, {19, false}, {21, true}, {22, false}};
    std::vector<ToolbarPlace> places;
    places.reserve(std::size(steps));
    int previousLeft = 0;
    for (const Step& s : steps) {
        int wanted = places.empty() ? g : previousLeft + kButtonPitchTwips + (s.gapBefore ? g : 0);
        int px = twipsToPixels(wanted, pixelsPerTwip);
        previousLeft = pixelsToTwips(px, pixelsPerTwip);
        places.push_back({s.slot, previousLeft, px});
    }
    return places;
}

WindowGeometry startupGeometry(int screenWidthPixels, int screenHeightPixels,
                               double pixelsPerTwip) {
    const int screenW = pixelsToTwips(screenWidthPixels, pixelsPerTwip);
    const int screenH = pixelsToTwips(screenHeightPixels, pixelsPerTwip);
    WindowGeometry g;
    // Each size is set, then read back as the platform placed it, before the next
    // one is derived from it.
    const int winW = twipsToPixels(screenW, pixelsPerTwip);
    const int winH = twipsToPixels(screenH - 420, pixelsPerTwip);
    g.window = QRect(0, 0, winW, winH);
    const int winWTwips = pixelsToTwips(winW, pixelsPerTwip);
    const int winHTwips = pixelsToTwips(winH, pixelsPerTwip);
    g.view = QRect(twipsToPixels(90, pixelsPerTwip), twipsToPixels(720, pixelsPerTwip),
                   twipsToPixels(winWTwips - 240, pixelsPerTwip),
                   twipsToPixels(winHTwips - 1470, pixelsPerTwip));
    return g;
}

}  // namespace leafmark::app
