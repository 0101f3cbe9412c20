#include "batch/core/MarginCleanup.h"

#include <algorithm>

#include "imaging/engine/PageEngine.h"

namespace leafmark::batch {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Paints the band [x0, x1) x [y0, y1) (page pixels) white. The band is cut to the
// page before it is handed on in single precision, so a margin far wider than the
// page (even an infinite one) still whitens it instead of overflowing to nothing.
bool fillBand(imaging::PageEngine& engine, double x0, double y0, double x1, double y1,
              double pageWidth, double pageHeight) {
    x0 = std::max(x0, 0.0);
    y0 = std::max(y0, 0.0);
    x1 = std::min(x1, pageWidth);
    y1 = std::min(y1, pageHeight);
    // A band without area (or not a number) must not touch the page.
    if (!(x1 > x0) || !(y1 > y0)) return true;
    engine.SetRegionRect(static_cast<float>(x0), static_cast<float>(y0),
                         static_cast<float>(x1 - x0), static_cast<float>(y1 - y0));
    return engine.FillRegion(kWhite).ok();
}

}  // namespace

imaging::Status margincleanup(imaging::PageEngine& engine, double inches) {
    if (!engine.hasImage()) return imaging::Status::success();
    const auto xr = static_cast<std::int16_t>(engine.XResolution());
    const auto yr = static_cast<std::int16_t>(engine.YResolution());
    const double w = engine.PageWidth();
    const double h = engine.PageHeight();
    const double xm = xr * inches;
    const double ym = yr * inches;

    bool painted = fillBand(engine, 0, 0, xm, h, w, h);            // left
    painted = fillBand(engine, 0, 0, w, ym, w, h) && painted;      // top
    painted = fillBand(engine, w - xm, 0, w, h, w, h) && painted;  // right
    painted = fillBand(engine, 0, h - ym, w, h, w, h) && painted;  // bottom
    engine.ClearRegion();
    return painted ? imaging::Status::success()
                   : imaging::Status::failure("The margins could not be whitened.");
}

}  // namespace leafmark::batch
