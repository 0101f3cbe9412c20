#pragma once
// How the view-state globals map onto the page view's settings, and the one
// routine that applies them, after each load and after each view command.

#include <cstdint>
#include <limits>
#include <optional>

#include "imaging/widget/PageView.h"
#include "shared/SharedState.h"

namespace leafmark {

// bitonalmode 1 favor black, 2 normal, anything else scale to gray.
constexpr imaging::BitonalRendering bitonalDisplayFor(std::int16_t bitonalmode) {
    return bitonalmode == 1   ? imaging::kBitonalFavorBlack
           : bitonalmode == 2 ? imaging::kBitonalNormal
                              : imaging::kBitonalScaleToGray;
}

// windowmode 1 whole page, 2 page width, anything else actual size (zoom percent).
constexpr imaging::SizeMode sizeModeFor(std::int16_t windowmode) {
    return windowmode == 1   ? imaging::kSizeFitPage
           : windowmode == 2 ? imaging::kSizeFitWidth
                             : imaging::kSizeZoom;
}

// ZoomPercent of the actual-size view: magfactor percent of the page's printed size
// on a screen taken as 100 dots per inch. The resolution is read as a 16-bit integer;
// 0 (or one that does not fit) gives no value, and the zoom then stays as it was.
inline std::optional<float> actualSizeZoom(int xResolution, std::int32_t magfactor) {
    if (xResolution == 0 || xResolution < std::numeric_limits<std::int16_t>::min() ||
        xResolution > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    const double r = static_cast<std::int16_t>(xResolution) / 100.0;
    return static_cast<float>(magfactor / r);
}

// Applies bitonalmode, then windowmode (in actual size also the zoom of magfactor
// at the page's resolution), then repaints. The page display runs it after each
// load, redisplay after each view command.
void applyViewState(imaging::PageView& view, const SharedState& state);

// The white-fill mode's settings of the view: band selection and the cross-hair
// when on, neither when off.
void applyWhiteFill(imaging::PageView& view, bool on);

}  // namespace leafmark
