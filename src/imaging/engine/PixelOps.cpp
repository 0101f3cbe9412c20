#include "imaging/engine/PixelOps.h"

#include <algorithm>
#include <cmath>

namespace leafmark::imaging {

int luminanceOf(const Rgb& c) { return (c.r * 299 + c.g * 587 + c.b * 114 + 500) / 1000; }

std::optional<std::uint32_t> storedValueFor(PIX* pix, const Rgb& c) {
    if (!pix) return std::nullopt;
    if (PIXCMAP* cmap = pixGetColormap(pix)) {
        l_int32 index = 0;
        if (pixcmapAddNearestColor(cmap, c.r, c.g, c.b, &index) != 0) return std::nullopt;
        return static_cast<std::uint32_t>(index);
    }
    const int depth = pixGetDepth(pix);
    switch (depth) {
        case 1:
            return luminanceOf(c) >= 128 ? 0u : 1u;  // 1 is black
        case 2:
        case 4:
        case 8:
        case 16: {
            const std::uint32_t maxval = (1u << depth) - 1u;
            return (static_cast<std::uint32_t>(luminanceOf(c)) * maxval + 127u) / 255u;
        }
        case 32: {
            l_uint32 value = 0;
            composeRGBAPixel(c.r, c.g, c.b, 255, &value);
            return value;
        }
        default:
            return std::nullopt;
    }
}

Rgb colourAt(PIX* pix, int x, int y) {
    l_uint32 v = 0;
    pixGetPixel(pix, x, y, &v);
    if (PIXCMAP* cmap = pixGetColormap(pix)) {
        Rgb c;
        pixcmapGetColor(cmap, static_cast<l_int32>(v), &c.r, &c.g, &c.b);
        return c;
    }
    const int depth = pixGetDepth(pix);
    if (depth == 32) {
        Rgb c;
        extractRGBValues(v, &c.r, &c.g, &c.b);
        return c;
    }
    if (depth == 1) return v ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    const std::uint32_t maxval = depth >= 16 ? 0xFFFFu : (1u << depth) - 1u;
    const int gray = static_cast<int>((v * 255u + maxval / 2u) / maxval);
    return {gray, gray, gray};
}

bool paintRect(PIX* pix, int x0, int y0, int x1, int y1, const Rgb& c) {
    if (x1 <= x0 || y1 <= y0) return true;
    const auto value = storedValueFor(pix, c);
    if (!value) return false;
    BoxPtr box(boxCreate(x0, y0, x1 - x0, y1 - y0));
    if (!box) return false;
    return pixSetInRectArbitrary(pix, box.get(), *value) == 0;
}

namespace {

// Up to this a 1 bpp page is turned by shears (two below about 3.4 degrees, three
// above): every pixel moves whole, none is lost or doubled, so strokes keep their
// weight, and it is many times faster than sampling, which drops and doubles pixels.
// Beyond it three shears stretch strokes too far and sampling takes over.
constexpr double kMaxShearDegrees = 15.0;

// Paints every pixel that `rotated` brought in from outside the source frame:
// the same turn applied to an all-black 1 bpp frame marks the inside.
bool paintBroughtIn(PIX* rotated, PIX* source, float radians, l_int32 width, l_int32 height,
                    const Rgb& fill) {
    PixPtr frame(pixCreate(pixGetWidth(source), pixGetHeight(source), 1));
    if (!frame) return false;
    pixSetAll(frame.get());
    PixPtr turned(
        pixRotate(frame.get(), radians, L_ROTATE_SAMPLING, L_BRING_IN_WHITE, width, height));
    if (!turned || pixGetWidth(turned.get()) != pixGetWidth(rotated) ||
        pixGetHeight(turned.get()) != pixGetHeight(rotated))
        return false;
    pixInvert(turned.get(), turned.get());
    const auto value = storedValueFor(rotated, fill);
    return value && pixSetMasked(rotated, turned.get(), *value) == 0;
}

}  // namespace

PixPtr rotateByDegrees(PIX* pix, double degrees, bool grow, const Rgb& fill) {
    if (!pix || !std::isfinite(degrees)) return nullptr;
    const int depth = pixGetDepth(pix);
    const bool mapped = pixGetColormap(pix) != nullptr;
    l_int32 type = L_ROTATE_SAMPLING;
    if (depth == 1 && !mapped)
        type = std::abs(degrees) <= kMaxShearDegrees ? L_ROTATE_SHEAR : L_ROTATE_SAMPLING;
    else if ((depth == 8 || depth == 32) && !mapped)
        type = L_ROTATE_AREA_MAP;

    const int lum = luminanceOf(fill);
    const bool white = fill.r == 255 && fill.g == 255 && fill.b == 255;
    const bool black = fill.r == 0 && fill.g == 0 && fill.b == 0;
    const l_int32 incolor = lum >= 128 ? L_BRING_IN_WHITE : L_BRING_IN_BLACK;
    const float radians = static_cast<float>(degrees * M_PI / 180.0);
    const l_int32 width = grow ? pixGetWidth(pix) : 0;
    const l_int32 height = grow ? pixGetHeight(pix) : 0;

    PixPtr out;
    if (type == L_ROTATE_SHEAR) {
        // Called directly: the general turn would sample 1 bpp beyond about 3 degrees.
        PixPtr framed = grow ? PixPtr(pixEmbedForRotation(pix, radians, incolor, width, height))
                             : clonePix(pix);
        if (framed) out.reset(pixRotateShearCenter(framed.get(), radians, incolor));
    } else {
        out.reset(pixRotate(pix, radians, type, incolor, width, height));
    }
    if (!out) return nullptr;
    if (out.get() == pix) out.reset(pixCopy(nullptr, pix));  // tiny angle: a clone came back
    if (!out || pixGetDepth(out.get()) != depth) return nullptr;
    // 1 bpp only knows black and white; other fills are painted over the new area.
    if (!white && !black && depth != 1 &&
        !paintBroughtIn(out.get(), pix, radians, width, height, fill))
        return nullptr;
    return out;
}

}  // namespace leafmark::imaging

namespace leafmark::imaging {

PixPtr rotateOnPaper(PIX* pix, double degrees, int xres, int yres) {
    if (!pix || !std::isfinite(degrees)) return nullptr;
    if (xres <= 0 || yres <= 0 || xres == yres)
        return rotateByDegrees(pix, degrees, false, Rgb{255, 255, 255});
    // A turn is a vertical, a horizontal and a vertical shear. On the paper their
    // slopes are tan(a/2), sin(a) and tan(a/2); in pixels a vertical shear rises
    // yres/xres times as many rows per column, a horizontal one the inverse.
    const double a = degrees * M_PI / 180.0;
    const double k = static_cast<double>(yres) / xres;
    const auto vAngle = static_cast<l_float32>(std::atan(std::tan(a / 2.0) * k));
    const auto hAngle = static_cast<l_float32>(std::atan(std::sin(a) / k));
    const int depth = pixGetDepth(pix);
    const bool smooth = (depth == 8 || depth == 32) && !pixGetColormap(pix);
    const l_int32 xc = pixGetWidth(pix) / 2, yc = pixGetHeight(pix) / 2;
    auto vShear = [&](PIX* in) {
        return PixPtr(smooth ? pixVShearLI(in, xc, vAngle, L_BRING_IN_WHITE)
                             : pixVShear(nullptr, in, xc, vAngle, L_BRING_IN_WHITE));
    };
    PixPtr first = vShear(pix);
    if (!first) return nullptr;
    PixPtr second(smooth ? pixHShearLI(first.get(), yc, hAngle, L_BRING_IN_WHITE)
                         : pixHShear(nullptr, first.get(), yc, hAngle, L_BRING_IN_WHITE));
    if (!second) return nullptr;
    PixPtr out = vShear(second.get());
    if (!out || pixGetDepth(out.get()) != depth) return nullptr;
    return out;
}

}  // namespace leafmark::imaging
