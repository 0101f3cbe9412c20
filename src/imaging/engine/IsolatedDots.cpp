// Painting specks away: white on a 1 bpp page, the surrounding paper colour on
// gray and colour pages (their soft rim included).
#include "imaging/engine/IsolatedDots.h"

#include <algorithm>
#include <vector>

#include "imaging/engine/PixelOps.h"

namespace leafmark::imaging {

namespace {

// Dark pixels of `pix` as 1 bpp (1 = dark); a plain 1 bpp page is shared, not copied.
PixPtr darkMask(PIX* pix) {
    if (pixGetDepth(pix) == 1 && !pixGetColormap(pix)) return clonePix(pix);
    return PixPtr(pixConvertTo1(pix, 128));
}

// Average colour of the light pixels of [x0, x1) x [y0, y1) that lie outside the
// inner rectangle: the background the speck sits on. White when there are none.
Rgb backgroundAround(PIX* pix, PIX* dark, const BOX* outer, const BOX* inner) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = outer->y; y < outer->y + outer->h; ++y) {
        for (int x = outer->x; x < outer->x + outer->w; ++x) {
            if (x >= inner->x && x < inner->x + inner->w && y >= inner->y &&
                y < inner->y + inner->h)
                continue;
            l_uint32 isDark = 0;
            pixGetPixel(dark, x, y, &isDark);
            if (isDark) continue;
            const Rgb c = colourAt(pix, x, y);
            r += c.r;
            g += c.g;
            b += c.b;
            ++n;
        }
    }
    if (n == 0) return {255, 255, 255};
    return {static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
            static_cast<int>((b + n / 2) / n)};
}

// `box` grown by dx, dy on every side and cut to the page.
BoxPtr grown(const BOX* box, int dx, int dy, int width, int height) {
    const int x0 = std::max(0, box->x - dx);
    const int y0 = std::max(0, box->y - dy);
    const int x1 = std::min(width, box->x + box->w + dx);
    const int y1 = std::min(height, box->y + box->h + dy);
    return BoxPtr(boxCreate(x0, y0, x1 - x0, y1 - y0));
}

}  // namespace

std::optional<int> removeSpecks(PIX* pix, int xres, int yres) {
    if (!pix) return std::nullopt;
    PixPtr dark = darkMask(pix);
    if (!dark) return std::nullopt;
    const SpeckLimits limits = speckLimitsFor(xres, yres);
    BoxaPtr specks = findSpecks(dark.get(), limits);
    if (!specks) return std::nullopt;
    const int n = boxaGetCount(specks.get());
    if (n == 0) return 0;

    const bool plainBinary = pixGetDepth(pix) == 1 && !pixGetColormap(pix);
    const int width = pixGetWidth(pix);
    const int height = pixGetHeight(pix);
    // Work out every paint first, so a failure leaves the page as it was.
    struct Paint {
        BoxPtr box;
        Rgb colour;
    };
    std::vector<Paint> paints;
    paints.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        BoxPtr box(boxaGetBox(specks.get(), i, L_COPY));
        if (!box) return std::nullopt;
        if (plainBinary) {
            paints.push_back({std::move(box), Rgb{255, 255, 255}});
            continue;
        }
        // Gray and colour: take in the soft rim of the speck as well.
        BoxPtr rim = grown(box.get(), 1, 1, width, height);
        BoxPtr around =
            grown(box.get(), 3 * limits.markWidth, 3 * limits.markHeight, width, height);
        if (!rim || !around) return std::nullopt;
        const Rgb background = backgroundAround(pix, dark.get(), around.get(), rim.get());
        if (!storedValueFor(pix, background)) return std::nullopt;
        paints.push_back({std::move(rim), background});
    }
    for (const Paint& p : paints) {
        const BOX* b = p.box.get();
        paintRect(pix, b->x, b->y, b->x + b->w, b->y + b->h, p.colour);
    }
    return n;
}

}  // namespace leafmark::imaging
