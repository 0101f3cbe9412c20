#include "imaging/engine/Deskew.h"

#include <cmath>

namespace leafmark::imaging {

namespace {

// Sweep step, degrees; the search that follows refines to kSearchStopDegrees.
constexpr float kSweepStepDegrees = 1.0f;
constexpr float kSearchStopDegrees = 0.01f;

// Reduction factor that keeps a reduced page at least ~400 pixels wide, so that
// lines of text still stand out, while large scans are measured fast.
int reductionFor(int width, int cap) {
    int factor = 1;
    while (factor < cap && width / (factor * 2) >= 400) factor *= 2;
    return factor;
}

}  // namespace

SkewEstimate measureSkew(PIX* pix) {
    SkewEstimate estimate;
    if (!pix) return estimate;
    PixPtr binary;
    if (pixGetDepth(pix) == 1 && !pixGetColormap(pix))
        binary = clonePix(pix);
    else
        binary.reset(pixConvertTo1(pix, 128));
    if (!binary) return estimate;

    const int sweepReduction = reductionFor(pixGetWidth(binary.get()), 4);
    const int searchReduction = sweepReduction >= 2 ? sweepReduction / 2 : 1;
    l_float32 angle = 0.0f;
    l_float32 confidence = 0.0f;
    if (pixFindSkewSweepAndSearch(binary.get(), &angle, &confidence, sweepReduction,
                                  searchReduction, static_cast<l_float32>(kMaxSkewDegrees),
                                  kSweepStepDegrees, kSearchStopDegrees) != 0)
        return estimate;
    // The finder gives the clockwise turn that straightens the page; the text
    // leans the other way.
    estimate.angle = -static_cast<double>(angle);
    estimate.confidence = confidence;
    estimate.trusted = confidence >= kMinSkewConfidence &&
                       std::abs(estimate.angle) <= kMaxSkewDegrees;
    return estimate;
}

}  // namespace leafmark::imaging
