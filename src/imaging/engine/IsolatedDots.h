#pragma once
// Removal of specks: dots of dust or noise too small to be part of a letter, and
// dots the size of punctuation that sit nowhere punctuation belongs.

#include <optional>
#include <vector>

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

// Sizes and distances that decide what a speck is, in page pixels. Horizontal
// figures scale with the horizontal resolution, vertical ones with the vertical.
struct SpeckLimits {
    int tinyWidth = 2;  // a dot of at most tinyWidth x tinyHeight is part of no glyph
    int tinyHeight = 2;
    int markWidth = 3;  // a dot of at most markWidth x markHeight could be punctuation
    int markHeight = 3;
    int alignY = 1;       // a full stop's bottom lies this close to the baseline
    int stopGapX = 5;     // widest gap between a letter and the full stop after it
    int lineReachX = 40;  // how far left the letters that show the baseline are looked for
    int dotGapY = 5;  // widest gap between an i-dot and its stem (or a stem and the dot under it)
    int colonGapY = 12;  // widest gap between the two dots of a colon
    int leaderGapX = 8;  // widest gap between neighbouring dots of a leader row
    int serifY = 2;      // rows of a stem's top that a serif may widen
    int centreX = 1;     // how far an i-dot's middle may lie beside the line of its stem
    int xres = 300;      // the page's resolution, for the shape of a dot on the paper
    int yres = 300;
};

// Limits for a page scanned at `xres` x `yres` dots per inch: the figures above at
// 300 dpi, each scaled with its own axis (0, unknown, counts as 300). A mark of
// 3 pixels either way stays a possible punctuation mark at any lower resolution.
SpeckLimits speckLimitsFor(int xres, int yres);

// Bounding boxes of the specks of a 1 bpp image (1 = dark): every group of dark
// pixels (8-connected) no bigger than a mark with no other ink within one pixel of
// its box, unless it is bigger than tiny, shaped like a printed dot (solid, about as
// wide as tall) and placed as punctuation of a line of text (beside its baseline
// after a letter whose strokes are no thicker than it, centred close over an i's stem
// no wider than it or under the stroke of a ! or ?, in a row of leader dots, above
// another such mark). Null on failure.
// When `kept` is given, it receives every group of speck size that was kept, with
// the reason.
enum class DotRole { StrokePiece, FullStop, IDot, StopUnderStroke, LeaderDot, UpperColonDot };
struct KeptDot {
    int x, y, w, h;
    DotRole role;
};
BoxaPtr findSpecks(PIX* binary, const SpeckLimits& limits, std::vector<KeptDot>* kept = nullptr);

// Paints every speck of `pix` (any depth; gray and colour thresholded at mid gray)
// with the page's background around it. Returns the number of specks removed;
// nothing on failure (the page is then unchanged).
std::optional<int> removeSpecks(PIX* pix, int xres, int yres);

}  // namespace leafmark::imaging
