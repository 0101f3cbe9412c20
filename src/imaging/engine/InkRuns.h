#pragma once
// Counting the ink of a 1-bit image with the small groups of pixels (specks) left
// out, from the runs of ink of each row: a group is the pixels connected through
// their eight neighbours, and a speck is a group whose bounding box is narrower and
// lower than the sizes given. The same count as selecting the groups by size and
// counting what is kept, without making an image of every group. The groups' boxes
// are had the same way (where a page may carry a matrix code). No Qt.

#include <leptonica/allheaders.h>

#include <cstdint>
#include <vector>

namespace leafmark::imaging {

// A run of ink along a row: its first and last column.
struct InkRun {
    int first = 0, last = 0;
};

// Appends to `runs` the runs of ink of one row of a 1-bit image (`line`: the row's
// words, leftmost pixel in each word's top bit) between columns `x0` and `x1`
// (exclusive), left to right. A run is cut at `x1`.
void appendRowRuns(const l_uint32* line, int x0, int x1, std::vector<InkRun>& runs);

struct InkCount {
    std::int64_t all = 0;   // ink pixels in the rectangle
    std::int64_t kept = 0;  // those of groups at least `minWidth` wide or `minHeight` high
};

// Ink of the 1-bit `bits` (1 = ink) inside the rectangle, which must lie within the
// image. Groups are found inside the rectangle only (pixels outside it do not join them).
InkCount countInk(PIX* bits, int left, int top, int width, int height, int minWidth, int minHeight);

// A group of ink pixels: its bounding box and the number of its pixels.
struct InkGroup {
    int left = 0, top = 0, width = 0, height = 0;
    std::int64_t pixels = 0;
};

// The groups of the whole 1-bit `bits` (1 = ink), in the order their first pixel
// comes row by row (the order leptonica's connected components come in).
std::vector<InkGroup> inkGroups(PIX* bits);

}  // namespace leafmark::imaging
