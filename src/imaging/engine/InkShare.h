#pragma once
// How much ink a page carries: the share of black pixels inside the page with a
// margin set aside all round (scanner-edge shadows and punch holes live there)
// and with isolated specks of a few pixels left out. A page whose share is below
// a threshold is called blank; separator sheets are found the same way.

#include <leptonica/allheaders.h>

#include <vector>

namespace leafmark::imaging {

// Margin set aside on every side, in inches (smaller on pages too small for it).
constexpr double kInkMarginInches = 0.5;
// Ink groups smaller than this in both directions are specks, in inches.
constexpr double kInkSpeckInches = 1.0 / 60.0;
// Pages with less ink than this, in percent of the measured area, are blank.
// Measured on made pages (Letter at 300 dpi, fax at 204 x 196 dpi, 1-bit and
// gray): blank sheets with up to 200 specks and a scanner-edge strip give 0; a
// single short line of text gives 0.039 to 0.056; a full page 5 to 7. Half the
// smallest line leaves room both ways (50 dust blobs of 5 x 5 pixels are 0.017).
constexpr double kBlankThresholdPercent = 0.02;

// Ink share of `pix` in percent (0..100) at the given resolution in dots per inch
// (0 or less is taken as 300). Gray and colour pages count pixels darker than
// mid-gray as ink. Returns a negative value when there is no page to measure.
double inkSharePercent(PIX* pix, int xDpi, int yDpi);

// An area of a page, in its pixels.
struct InkArea {
    int left = 0, top = 0, width = 0, height = 0;
};

// The same share with `leftOut` set aside as well (the barcodes of a separator
// sheet): their pixels count neither as ink nor as area. 0 when almost nothing
// (under 5 % of the measured area) is left to judge by.
double inkSharePercent(PIX* pix, int xDpi, int yDpi, const std::vector<InkArea>& leftOut);

// True when `percent` (from inkSharePercent) is below `thresholdPercent`.
inline bool isBlank(double percent, double thresholdPercent = kBlankThresholdPercent) {
    return percent >= 0 && percent < thresholdPercent;
}

}  // namespace leafmark::imaging
