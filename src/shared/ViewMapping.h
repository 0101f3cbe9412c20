#pragma once
// How the view-state globals map onto the page view's settings. Used by the
// page display (after each load) and by redisplay.

#include <cstdint>
#include <limits>
#include <optional>

namespace leafmark {

// bitonalmode 1 -> 1 (favor black); 2 -> 0 (normal); anything else -> 2 (scale to gray).
constexpr int bitonalDisplayFor(std::int16_t bitonalmode) {
    return bitonalmode == 1 ? 1 : bitonalmode == 2 ? 0 : 2;
}

// windowmode 1 -> 3 (whole page); 2 -> 2 (page width); anything else -> 4 (zoom percent).
constexpr int sizeModeFor(std::int16_t windowmode) {
    return windowmode == 1 ? 3 : windowmode == 2 ? 2 : 4;
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

}  // namespace leafmark
