#include "imaging/engine/Deskew.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace leafmark::imaging {

namespace {

// Skew is found from row profiles: the dark pixels of each row counted after a
// vertical shear that undoes a trial lean. Lines of text line up at the true lean,
// and the profile then changes most sharply from row to row. Shearing the page for
// every trial would cost a full page copy each time; instead the page is cut once
// into narrow vertical strips, each strip's row counts are kept, and a trial only
// offsets whole strips before adding them up. Pixels inside one strip share its
// offset, which blurs lines by at most strip width x slope but does not move the peak.

constexpr int kStripPx = 32;  // strip width of the finest counts: one data word
constexpr int kMinSide = 64;  // pages smaller than this either way are not measured
// Rows this close to the top or bottom edge (a twentieth of the height) are left out:
// a dark scanner-edge strip there would line up perfectly at no lean at all.
constexpr int kEdgeShare = 20;

// Dark-pixel counts per (strip, row group), strip-major so a trial adds whole runs.
struct Profiles {
    int strips = 0;
    int rows = 0;
    int stripPx = 0;   // strip width, pixels
    int rowGroup = 0;  // page rows summed into one profile row
    int pageWidth = 0;
    std::vector<std::uint16_t> counts;  // counts[s * rows + r]

    std::uint16_t* strip(int s) {
        return counts.data() + static_cast<std::size_t>(s) * static_cast<std::size_t>(rows);
    }
    const std::uint16_t* strip(int s) const {
        return counts.data() + static_cast<std::size_t>(s) * static_cast<std::size_t>(rows);
    }
};

Profiles emptyProfiles(int strips, int rows, int stripPx, int rowGroup, int pageWidth) {
    Profiles p;
    p.strips = strips;
    p.rows = rows;
    p.stripPx = stripPx;
    p.rowGroup = rowGroup;
    p.pageWidth = pageWidth;
    p.counts.assign(static_cast<std::size_t>(strips) * static_cast<std::size_t>(rows), 0);
    return p;
}

// Dark pixels per data word (32-pixel strip) and page row, edge rows left out.
Profiles wordCounts(PIX* binary) {
    const int w = pixGetWidth(binary);
    const int h = pixGetHeight(binary);
    const int wpl = pixGetWpl(binary);
    const int strips = (w + kStripPx - 1) / kStripPx;
    Profiles p = emptyProfiles(strips, h, kStripPx, 1, w);
    const l_uint32* data = pixGetData(binary);
    const int fullWords = w / 32;
    const int tailBits = w % 32;
    // Bits past the right edge of the page may hold anything: mask them off.
    const l_uint32 tailMask = tailBits ? ~(0xFFFFFFFFu >> tailBits) : 0u;
    const int skip = h / kEdgeShare;
    for (int y = skip; y < h - skip; ++y) {
        const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
        for (int i = 0; i < strips; ++i) {
            l_uint32 word = line[i];
            if (i == fullWords) word &= tailMask;
            if (word) p.strip(i)[y] = static_cast<std::uint16_t>(__builtin_popcount(word));
        }
    }
    return p;
}

// Counts of `in` with every two rows summed, and every two strips when `pairStrips`.
Profiles halved(const Profiles& in, bool pairStrips) {
    const int f = pairStrips ? 2 : 1;
    Profiles p = emptyProfiles((in.strips + f - 1) / f, (in.rows + 1) / 2, in.stripPx * f,
                               in.rowGroup * 2, in.pageWidth);
    for (int s = 0; s < in.strips; ++s) {
        const std::uint16_t* src = in.strip(s);
        std::uint16_t* dst = p.strip(s / f);
        const int pairs = in.rows / 2;
        for (int r = 0; r < pairs; ++r)
            dst[r] = static_cast<std::uint16_t>(dst[r] + src[2 * r] + src[2 * r + 1]);
        if (in.rows % 2) dst[pairs] = static_cast<std::uint16_t>(dst[pairs] + src[in.rows - 1]);
    }
    return p;
}

// Sharpness of the row profile after undoing a lean of `degrees` (clockwise, on the
// paper): the sum of squared differences between neighbouring profile rows. On a
// page whose pixels are taller than wide (`aspect` = yres / xres below 1), a line
// on the paper rises fewer rows per column than its angle says.
double score(const Profiles& p, double degrees, double aspect, std::vector<std::int32_t>& profile) {
    const double slope = std::tan(degrees * M_PI / 180.0) * aspect;
    const double half = p.pageWidth / 2.0;
    const int reach = static_cast<int>(std::ceil(std::abs(half * slope) / p.rowGroup)) + 2;
    const int rows = p.rows;
    profile.assign(static_cast<std::size_t>(rows + 2 * reach), 0);
    for (int s = 0; s < p.strips; ++s) {
        const double centre = (s + 0.5) * p.stripPx - half;
        // A line at height y0 passes this strip at y0 + centre * slope: move it back up.
        const int offset = reach + static_cast<int>(std::lround(-centre * slope / p.rowGroup));
        const std::uint16_t* __restrict in = p.strip(s);
        std::int32_t* __restrict out = profile.data() + offset;
        for (int r = 0; r < rows; ++r) out[r] += in[r];
    }
    std::int64_t sum = 0;
    const std::int32_t* v = profile.data();
    const std::size_t n = profile.size();
    for (std::size_t i = 1; i < n; ++i) {
        const std::int64_t d = v[i] - v[i - 1];
        sum += d * d;
    }
    return static_cast<double>(sum);
}

struct Best {
    double degrees = 0.0;
    double score = -1.0;
    double lowest = -1.0;  // lowest score seen in the sweep
    int index = 0;         // step index of the best
    std::vector<double> scores;
};

// Scores every `step` from `from` to `to` (inclusive) and keeps the best.
Best sweep(const Profiles& p, double from, double to, double step, double aspect,
           std::vector<std::int32_t>& buf) {
    Best best;
    const int steps = static_cast<int>(std::lround((to - from) / step));
    for (int i = 0; i <= steps; ++i) {
        const double degrees = from + i * step;
        const double s = score(p, degrees, aspect, buf);
        best.scores.push_back(s);
        if (s > best.score) {
            best.score = s;
            best.degrees = degrees;
            best.index = i;
        }
        if (best.lowest < 0.0 || s < best.lowest) best.lowest = s;
    }
    return best;
}

// Where neighbouring steps score exactly as high as the best (rows are whole, so on a
// page of few rows to the inch a small change of angle moves no strip at all), the
// middle of that flat top, in steps from the best; 0 when the best stands alone.
double flatTopMiddle(const Best& b) {
    const int n = static_cast<int>(b.scores.size());
    int first = b.index, last = b.index;
    while (first > 0 && b.scores[static_cast<std::size_t>(first - 1)] == b.score) --first;
    while (last + 1 < n && b.scores[static_cast<std::size_t>(last + 1)] == b.score) ++last;
    return 0.5 * (first + last) - b.index;
}

// Peak of the parabola through the best step and its neighbours, in steps from the
// best; the middle of a flat top.
double parabolicPeak(const Best& b) {
    const int n = static_cast<int>(b.scores.size());
    if (const double middle = flatTopMiddle(b); middle != 0.0) return middle;
    if (b.index <= 0 || b.index + 1 >= n) return 0.0;
    const double l = b.scores[static_cast<std::size_t>(b.index - 1)];
    const double c = b.scores[static_cast<std::size_t>(b.index)];
    const double r = b.scores[static_cast<std::size_t>(b.index + 1)];
    const double denom = l - 2.0 * c + r;
    if (!(denom < 0.0)) return 0.0;
    return std::clamp(0.5 * (l - r) / denom, -0.5, 0.5);
}

}  // namespace

SkewEstimate measureSkew(PIX* pix, int xres, int yres) {
    SkewEstimate estimate;
    if (!pix || pixGetWidth(pix) < kMinSide || pixGetHeight(pix) < kMinSide) return estimate;
    const double aspect = xres > 0 && yres > 0 ? static_cast<double>(yres) / xres : 1.0;
    PixPtr binary;
    if (pixGetDepth(pix) == 1 && !pixGetColormap(pix))
        binary = clonePix(pix);
    else
        binary.reset(pixConvertTo1(pix, 128));
    if (!binary) return estimate;
    const Profiles fine = wordCounts(binary.get());
    const Profiles medium = halved(fine, false);
    const Profiles coarse = halved(medium, false);
    binary.reset();
    std::vector<std::int32_t> buf;

    // Whole range on rows in fours, every quarter degree, a degree beyond the range
    // either way so that a lean at its very edge still shows as a peak. Lines of
    // small type at low resolution (fax pages) are only a few groups of rows high,
    // so coarser rows or steps could miss their peak at large angles.
    const double range = kMaxSkewDegrees + 1.0;
    const Best c = sweep(coarse, -range, range, 0.25, aspect, buf);
    if (c.score <= 0.0) return estimate;  // nothing dark on the page

    // A degree either side at a tenth of a degree.
    const Best m = sweep(medium, c.degrees - 1.0, c.degrees + 1.0, 0.1, aspect, buf);
    // The confidence: the best score against the worst within two degrees of it.
    // Lines of text line up at one angle only; a picture or noise scores about the
    // same at every angle. (Within one degree, short lines of low-resolution pages
    // are still partly lined up, and their scores differ too little.)
    double lowest = c.score;
    const int reachSteps = static_cast<int>(std::lround(2.0 / 0.25));
    for (int i = std::max(0, c.index - reachSteps);
         i <= std::min(static_cast<int>(c.scores.size()) - 1, c.index + reachSteps); ++i)
        lowest = std::min(lowest, c.scores[static_cast<std::size_t>(i)]);

    // Fine: single rows, a tenth either side at 0.025 degree, then the parabola's peak.
    const double fineStep = 0.025;
    const double centre = m.degrees + flatTopMiddle(m) * 0.1;
    const Best f = sweep(fine, centre - 0.1, centre + 0.1, fineStep, aspect, buf);
    const double found = f.degrees + parabolicPeak(f) * fineStep;

    estimate.angle = found;
    estimate.confidence = lowest > 0.0 ? c.score / lowest : 0.0;
    // A peak at the edge of the sweep may lie beyond it, and a lean beyond the range
    // is not one this page is straightened for: do not act on either.
    const bool inside = std::abs(c.degrees) < range - 0.125 &&
                        std::abs(found) <= kMaxSkewDegrees + kSkewRangeTolerance;
    estimate.trusted = inside && estimate.confidence >= kMinSkewConfidence;
    if (!inside) estimate.confidence = 0.0;
    return estimate;
}

}  // namespace leafmark::imaging
