// Edits of the page held by the engine: turns, invert, region fill, despeckle and
// deskew. Every edit keeps the page's depth and resolution (swapped on quarter
// turns) and bumps the generation when pixels change.

#include <algorithm>
#include <atomic>
#include <cmath>

#include "imaging/engine/Deskew.h"
#include "imaging/engine/IsolatedDots.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/engine/PixelOps.h"

namespace leafmark::imaging {

namespace {

const char* const kNoPage = "No page is loaded.";

std::atomic<EditFault> g_editFault{EditFault::None};

bool faulted(EditFault kind) { return g_editFault.load() == kind; }

// A quarter turn without resize keeps the frame: the turned image is centred on a
// canvas of the old size painted with `fill`.
PixPtr centreOnFrame(PIX* turned, int width, int height, const Rgb& fill) {
    PixPtr canvas(pixCreate(width, height, pixGetDepth(turned)));
    if (!canvas) return nullptr;
    if (PIXCMAP* cmap = pixGetColormap(turned)) pixSetColormap(canvas.get(), pixcmapCopy(cmap));
    pixSetSpp(canvas.get(), pixGetSpp(turned));
    if (!paintRect(canvas.get(), 0, 0, width, height, fill)) return nullptr;
    const int dx = (width - pixGetWidth(turned)) / 2;
    const int dy = (height - pixGetHeight(turned)) / 2;
    pixRasterop(canvas.get(), dx, dy, pixGetWidth(turned), pixGetHeight(turned), PIX_SRC, turned, 0,
                0);
    return canvas;
}

// Pixel edges of a region side: [start, start + length) rounded to nearest at both
// ends, so abutting regions share no pixel and leave no gap; cut to [0, limit).
bool regionSpan(float start, float length, int limit, int* from, int* to) {
    if (!std::isfinite(start) || !std::isfinite(length) || !(length > 0.0f)) return false;
    const double lo = std::floor(static_cast<double>(start) + 0.5);
    const double hi = std::floor(static_cast<double>(start) + static_cast<double>(length) + 0.5);
    const double cutLo = std::clamp(lo, 0.0, static_cast<double>(limit));
    const double cutHi = std::clamp(hi, 0.0, static_cast<double>(limit));
    if (cutHi <= cutLo) return false;
    *from = static_cast<int>(cutLo);
    *to = static_cast<int>(cutHi);
    return true;
}

}  // namespace

void setEditFaultForTesting(EditFault fault) { g_editFault = fault; }

Status PageEngine::Rotate(int hundredths, bool resize, std::uint32_t fillRgb) {
    if (!pix_) return Status::failure(kNoPage);
    const Rgb fill = rgbFromValue(fillRgb);
    const int turn = ((hundredths % 36000) + 36000) % 36000;
    if (turn == 0) return Status::success();

    PixPtr out;
    bool swapsSides = false;
    if (turn % 9000 == 0) {
        const int quads = turn / 9000;
        out.reset(pixRotateOrth(pix_.get(), quads));
        swapsSides = quads != 2;
        if (out && swapsSides && !resize) {
            out = centreOnFrame(out.get(), pixGetWidth(pix_.get()), pixGetHeight(pix_.get()), fill);
            swapsSides = false;
        }
    } else {
        // Turn the short way round: 350 degrees clockwise is 10 anticlockwise.
        const int shortest = turn > 18000 ? turn - 36000 : turn;
        out = rotateByDegrees(pix_.get(), shortest / 100.0, resize, fill);
    }
    if (!out) return Status::failure("The page could not be rotated.");

    if (swapsSides) std::swap(xres_, yres_);
    pixSetResolution(out.get(), xres_, yres_);
    pix_ = std::move(out);
    touch();
    return Status::success();
}

Status PageEngine::Invert() {
    if (!pix_) return Status::failure(kNoPage);
    PIX* pix = pix_.get();
    if (PIXCMAP* cmap = pixGetColormap(pix)) {
        // Indices are not colours: turn each colour of the map instead.
        const int n = pixcmapGetCount(cmap);
        for (int i = 0; i < n; ++i) {
            l_int32 r = 0, g = 0, b = 0;
            pixcmapGetColor(cmap, i, &r, &g, &b);
            pixcmapResetColor(cmap, i, 255 - r, 255 - g, 255 - b);
        }
    } else if (pixGetDepth(pix) == 32 && pixGetSpp(pix) == 4) {
        // Transparency is not a colour: keep the alpha channel as it was.
        PixPtr alpha(pixGetRGBComponent(pix, L_ALPHA_CHANNEL));
        if (!alpha) return Status::failure("The page could not be inverted.");
        pixInvert(pix, pix);
        pixSetRGBComponent(pix, alpha.get(), L_ALPHA_CHANNEL);
    } else {
        pixInvert(pix, pix);
    }
    touch();
    return Status::success();
}

void PageEngine::SetRegionRect(float left, float top, float width, float height) {
    region_ = Region{left, top, width, height};
}

Status PageEngine::FillRegion(std::uint32_t rgb) {
    if (!pix_) return Status::failure(kNoPage);
    if (!region_) return Status::failure("No region is set to fill.");
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    const int w = pixGetWidth(pix_.get());
    const int h = pixGetHeight(pix_.get());
    if (!regionSpan(region_->left, region_->width, w, &x0, &x1) ||
        !regionSpan(region_->top, region_->height, h, &y0, &y1))
        return Status::success();  // empty or off the page: nothing to paint
    if (faulted(EditFault::Fill) || !paintRect(pix_.get(), x0, y0, x1, y1, rgbFromValue(rgb)))
        return Status::failure("The region could not be painted in that colour.");
    touch();
    return Status::success();
}

void PageEngine::ClearRegion() { region_.reset(); }

Status PageEngine::Despeckle() {
    if (!pix_) return Status::failure(kNoPage);
    const std::optional<int> removed =
        faulted(EditFault::Despeckle) ? std::nullopt : removeSpecks(pix_.get(), xres_, yres_);
    if (!removed) return Status::failure("The page could not be despeckled.");
    specksRemoved_ = *removed;
    if (*removed > 0) touch();
    return Status::success();
}

DeskewResult PageEngine::Deskew() {
    DeskewResult result;
    if (!pix_) return result;
    const SkewEstimate skew = measureSkew(pix_.get(), xres_, yres_);
    result.angle = skew.angle;
    result.confidence = skew.confidence;
    if (!skew.trusted || std::abs(skew.angle) < kMinDeskewDegrees) return result;
    // The text leans clockwise by `angle`: turn it back the other way.
    PixPtr out = faulted(EditFault::Straighten)
                     ? nullptr
                     : rotateOnPaper(pix_.get(), -skew.angle, xres_, yres_);
    if (!out) {
        result.status = Status::failure("The page could not be turned to straighten it.");
        return result;
    }
    pixSetResolution(out.get(), xres_, yres_);
    pix_ = std::move(out);
    touch();
    result.applied = true;
    return result;
}

}  // namespace leafmark::imaging
