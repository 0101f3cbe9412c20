#pragma once
// The shape of a printed dot, told apart from dust and scanner noise by its pixels.

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// True when the dark pixels (1) of `binary` inside [x0, x0 + w) x [y0, y0 + h), the box
// of one small group of ink, look like a printed dot on a page of `xres` x `yres` dots
// per inch: about as wide as tall on the paper (at most 7 : 4 either way), solid
// (every row and every column one run, the rows joined by edges, not only at corners)
// and filling at least two thirds of the box. A full stop, an i-dot or a leader dot
// is all of these; dust and noise are streaks or ragged clusters.
bool looksLikePrintedDot(PIX* binary, int x0, int y0, int w, int h, int xres, int yres);

}  // namespace leafmark::imaging
