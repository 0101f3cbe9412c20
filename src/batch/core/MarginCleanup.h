#pragma once
// Margin clean-up: paints a white band of one physical width along the four edges
// of the page held by an engine.

#include "imaging/engine/Status.h"

namespace leafmark::imaging {
class PageEngine;
}

namespace leafmark::batch {

// Paints the left, top, right and bottom bands white, each `inches` wide (xr*inches
// pixels across for left/right, yr*inches down for top/bottom), then clears the
// region. Bands of zero or negative size change nothing; bands are cut at the edges.
// Fails when a band could not be painted (the page is then not clean).
imaging::Status margincleanup(imaging::PageEngine& engine, double inches);

}  // namespace leafmark::batch
