#include "view/ViewMapping.h"

namespace leafmark {

void applyViewState(imaging::PageView& view, const SharedState& state) {
    view.setBitonalDisplay(bitonalDisplayFor(state.bitonalmode));
    const imaging::SizeMode sizeMode = sizeModeFor(state.windowmode);
    view.setSizeMode(sizeMode);
    // A resolution of 0 gives no zoom: the page keeps the zoom it had.
    if (sizeMode == imaging::kSizeZoom)
        if (auto zoom = actualSizeZoom(view.engine().XResolution(), state.magfactor))
            view.setZoomPercent(*zoom);
    view.Repaint();
}

void applyWhiteFill(imaging::PageView& view, bool on) {
    view.setBandSelect(on);
    view.setCursorShape(on ? imaging::kCursorCrossHair : imaging::kCursorDefault);
}

}  // namespace leafmark
