#pragma once
// Opening and closing a 1-bit image by a brick one pixel thick, lying along its rows
// or standing along its columns. The same pixels as leptonica's brick opening and
// closing with its default edge rule (pixels outside the image are white for both
// steps), with less work: along rows from each row's runs of ink, along columns by
// combining rows over windows that double in length, instead of shifting the whole
// image once per pixel of the brick. No Qt.

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// Opening by a brick `length` pixels long across: the runs of ink at least that
// long, shorter ones cleared. Empty when out of memory.
PixPtr openRows(PIX* ink, int length);

// Closing by a brick `size` pixels long across (its origin at `size` / 2): white
// gaps narrower than the brick between two runs are filled. Runs near the left and
// right edges lose what the brick cannot cover there, as the closing does with white
// outside the image. Empty when out of memory.
PixPtr closeRows(PIX* ink, int size);

// The same two down the columns: a brick `length` (or `size`) pixels high.
PixPtr openColumns(PIX* ink, int length);
PixPtr closeColumns(PIX* ink, int size);

}  // namespace leafmark::imaging
