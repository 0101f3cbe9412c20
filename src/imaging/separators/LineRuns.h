#pragma once
// Counting the runs of ink along the lines of a 1-bit image. A linear barcode is
// read along a line, row or column, that crosses all its bars, so a line with fewer
// runs of ink than the smallest symbol has bars can hold none: the reader's pass
// along such lines can be left out without losing a reading. No Qt.

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// The most runs of ink found on one row and on one column, each counted up to
// `enough` (a higher count is given as `enough`). Both 0 when the image is not 1 bpp.
struct LineRuns {
    int alongRows = 0;
    int downColumns = 0;
};
LineRuns mostInkRuns(PIX* bits, int enough);

}  // namespace leafmark::imaging
