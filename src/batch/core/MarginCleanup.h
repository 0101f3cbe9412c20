#pragma once
// Margin clean-up: paints a white band of one physical width along the four edges
// of the page held by an engine.

namespace leafmark::imaging {
class PageEngine;
}

namespace leafmark::batch {

// Paints the left, top, right and bottom bands white, each `inches` wide (xr*inches
// pixels across for left/right, yr*inches down for top/bottom), then clears the
// region. Bands of zero or negative size change nothing; bands are cut at the edges.
// Returns false when a band could not be painted (the page is then not clean).
bool margincleanup(imaging::PageEngine& engine, double inches);

}  // namespace leafmark::batch
