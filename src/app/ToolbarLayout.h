#pragma once
// Start-up geometry of the main window: twips (1/1440 inch) converted to pixels
// with the screen's logical dots per inch, and the toolbar row's placement.

#include <QRect>
#include <vector>

namespace leafmark::app {

constexpr int kTwipsPerInch = 1440;
constexpr int kButtonPitchTwips = 540;  // button width and height, and the row's pitch
constexpr int kButtonTopTwips = 30;
constexpr int kToolbarSlots = 15;
constexpr int kToolbarGaps = 8;

// Slot id of CheckBOD in the layout (it has no toolbar index).
constexpr int kDocumentMarkerSlot = 0;

// Pixels for a length in twips: rounded twips * pixelsPerTwip.
int twipsToPixels(int twips, double pixelsPerTwip);
// Twips a placed control reports for a pixel position: rounded pixels / pixelsPerTwip.
int pixelsToTwips(int pixels, double pixelsPerTwip);

// The gap between button groups: (screen width - 15 x 540) \ 8, truncating toward
// zero; negative on screens narrower than 8100 twips.
int toolbarGapTwips(int screenWidthTwips);

struct ToolbarPlace {
    int slot;       // toolbar index, or kDocumentMarkerSlot for CheckBOD
    int leftTwips;  // left edge as the placed control reports it
    int leftPixels;
};

// The row's left edges in placing order (3, 4, 5, 1, CheckBOD, 6, 7, 8, 9, 16..19,
// 21, 22). Each left is computed from the previous control's reported left, so the
// pixel rounding of each step carries into the next.
std::vector<ToolbarPlace> layoutToolbar(int screenWidthTwips, double pixelsPerTwip);

struct WindowGeometry {
    QRect window;  // client rectangle of the main window, pixels
    QRect view;    // Imager1 inside the window's central area, pixels
};

// Window = screen width x (screen height - 420 twips) at 0,0; the view at left 90,
// top 720, width = window width - 240, height = window height - 1470 (twips).
WindowGeometry startupGeometry(int screenWidthPixels, int screenHeightPixels, double pixelsPerTwip);

}  // namespace leafmark::app
