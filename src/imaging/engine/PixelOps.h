#pragma once
// Small pixel helpers shared by the page operations: colours as stored values,
// painting rectangles, and turning an image by any angle. Colours are 0xRRGGBB.

#include <cstdint>
#include <optional>

#include "imaging/engine/Handles.h"

namespace leafmark::imaging {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

inline Rgb rgbFromValue(std::uint32_t rgb) {
    return {static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
            static_cast<int>(rgb & 0xFF)};
}

// Luminance 0..255 of a colour (ITU-R 601 weights, rounded).
int luminanceOf(const Rgb& c);

// The stored pixel value that shows `c` on `pix`: a colormap index (added to the
// map when there is room, else the nearest entry), a gray level scaled to the
// depth, black/white on 1 bpp by luminance, or an RGB word. Empty when the depth
// cannot hold colours (unsupported depth, full map failure).
std::optional<std::uint32_t> storedValueFor(PIX* pix, const Rgb& c);

// The colour a stored pixel shows (colormap looked up; 1 bpp: 1 is black).
Rgb colourAt(PIX* pix, int x, int y);

// Paints [x0, x1) x [y0, y1), already clipped to the page, with `c`. False when
// the colour cannot be stored.
bool paintRect(PIX* pix, int x0, int y0, int x1, int y1, const Rgb& c);

// A copy of `pix` turned clockwise by `degrees`, new area painted `fill`. With
// `grow` the frame grows to hold the whole turned image, otherwise the size is
// kept. 1 bpp stays 1 bpp (shear turn up to 15 degrees, sampling beyond), 8 and
// 32 bpp without a colormap are area-mapped, other depths sampled. Null on failure.
PixPtr rotateByDegrees(PIX* pix, double degrees, bool grow, const Rgb& fill);

// A copy of `pix`, scanned at `xres` x `yres` dots per inch, with the paper turned
// clockwise by `degrees` (up to about 20) about the page centre: on pixels that are
// not square the turn is done on the paper's own scale, so upright strokes come out
// upright too. Same size, new area white; square pixels (or an unknown resolution)
// turn as rotateByDegrees does. Null on failure.
PixPtr rotateOnPaper(PIX* pix, double degrees, int xres, int yres);

}  // namespace leafmark::imaging
