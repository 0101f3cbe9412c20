#include "batch/core/MarginCleanup.h"

#include "imaging/engine/PageEngine.h"

namespace leafmark::batch {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

void fillBand(imaging::PageEngine& engine, double left, double top, double width,
              double height) {
    // A band without area must not touch the page, whatever the engine would make of it.
    if (!(width > 0.0) || !(height > 0.0)) return;
    engine.SetRegionRect(static_cast<float>(left), static_cast<float>(top),
                         static_cast<float>(width), static_cast<float>(height), 1);
    engine.FillRegion(kWhite);
}

}  // namespace

void margincleanup(imaging::PageEngine& engine, double inches) {
    if (!engine.hasImage()) return;
    const auto xr = static_cast<std::int16_t>(engine.XResolution());
    const auto yr = static_cast<std::int16_t>(engine.YResolution());
    const double w = engine.PageWidth();
    const double h = engine.PageHeight();
    const double xm = xr * inches;
    const double ym = yr * inches;

    fillBand(engine, 0, 0, xm, h);       // left
    fillBand(engine, 0, 0, w, ym);       // top
    fillBand(engine, w - xm, 0, xm, h);  // right
    fillBand(engine, 0, h - ym, w, ym);  // bottom
    engine.ClearRegion();
}

}  // namespace leafmark::batch
