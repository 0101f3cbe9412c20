#pragma once
// Sample text for judging a despeckle: lines of small type full of the marks a
// despeckle must keep (full stops, i- and j-dots, colons, ellipses, leader rows),
// and specks placed at chosen distances from that text.

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace leafmark::pagemaker {

// A white `width` x `height` page of 8-bit gray (0 ink, 255 paper) at `xDpi` x `yDpi`
// with lines of `points`-size text in black and white only (no gray edges), laid out in
// physical units so unequal resolutions stretch the letters as a scanner would.
QImage speckSampleText(int width, int height, int xDpi, int yDpi, double points,
                       std::uint64_t seed);

// Puts up to `count` specks into `page` (same format): each 1 to 3 pixels wide and
// high, 8-connected, with `minGap` to `maxGap` white pixels between its box and the
// nearest ink (counted across, down or diagonally, whichever is least), and at
// least `maxGap` pixels from every other speck. Returns their boxes.
std::vector<QRect> addSpecksNearText(QImage& page, std::uint64_t seed, int count, int minGap,
                                     int maxGap);

}  // namespace leafmark::pagemaker
