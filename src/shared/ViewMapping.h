#pragma once
// How the view-state globals map onto the page view's settings. Used by the
// page display (after each load) and by redisplay.

#include <cstdint>

namespace leafmark {

// bitonalmode 1 -> 1 (favor black); 2 -> 0 (normal); anything else -> 2 (scale to gray).
constexpr int bitonalDisplayFor(std::int16_t bitonalmode) {
    return bitonalmode == 1 ? 1 : bitonalmode == 2 ? 0 : 2;
}

// windowmode 1 -> 3 (whole page); 2 -> 2 (page width); anything else -> 4 (zoom percent).
constexpr int sizeModeFor(std::int16_t windowmode) {
    return windowmode == 1 ? 3 : windowmode == 2 ? 2 : 4;
}

}  // namespace leafmark
