#pragma once
// Skew finding for text pages: how far the lines of text lean, in degrees.

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// Largest skew looked for, either way, in degrees.
constexpr double kMaxSkewDegrees = 15.0;
// Skews below this are left alone: turning would only blur the page.
constexpr double kMinDeskewDegrees = 0.05;
// A lean measured this little beyond the range still counts as inside it.
constexpr double kSkewRangeTolerance = 0.05;
// Below this confidence (blank pages, pictures) the measured angle is not used.
constexpr double kMinSkewConfidence = 3.0;

struct SkewEstimate {
    double angle = 0.0;       // degrees the text leans clockwise (0 when unknown)
    double confidence = 0.0;  // ratio of best to worst alignment score; 0 when unknown
    bool trusted = false;     // confidence high enough to act on
};

// Measures the skew of `pix` (any depth; gray and colour are thresholded at mid
// gray, a colormap is looked up) within +-kMaxSkewDegrees to about 0.01 degree.
// The angle is the lean on the paper: with `xres` x `yres` dots per inch that
// differ, a line leaning by it rises yres/xres times as many rows per column as on
// square pixels (0 for either: square pixels). Never changes `pix`. A page with
// too little text gives trusted == false.
SkewEstimate measureSkew(PIX* pix, int xres = 0, int yres = 0);

}  // namespace leafmark::imaging
