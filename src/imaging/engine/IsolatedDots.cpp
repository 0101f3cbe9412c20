#include "imaging/engine/IsolatedDots.h"

#include "imaging/engine/PixelOps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <memory>
#include <vector>

namespace leafmark::imaging {

namespace {

constexpr double kReferenceDpi = 300.0;

int scaled(int atReference, int dpi, int minimum) {
    const double res = dpi > 0 ? dpi : kReferenceDpi;
    return std::max(minimum, static_cast<int>(std::lround(atReference * res / kReferenceDpi)));
}

struct TabDeleter {
    void operator()(l_int32* t) const noexcept { LEPT_FREE(t); }
};

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

// Block size of the block map specks are first looked for on: the largest of 1, 2
// and 4 pixels for which the clear space still spans a whole block on every side
// (clear >= 2 x block - 1), so that a speck's blocks never touch another dark block.
int blockSizeFor(const SpeckLimits& limits) {
    const int clear = std::min(limits.clearX, limits.clearY);
    int f = 4;
    while (f > 1 && clear < 2 * f - 1) f /= 2;
    return f;
}

// Map of `f` x `f` blocks (f 2 or 4) of a 1 bpp image: a block is dark when any of
// its pixels is. Partial blocks at the right and bottom edges count too.
PixPtr blockMap(PIX* binary, int f) {
    const int w = pixGetWidth(binary);
    const int h = pixGetHeight(binary);
    PixPtr out(pixCreate((w + f - 1) / f, (h + f - 1) / f, 1));
    if (!out) return nullptr;
    // For each byte, one bit per group of f pixels that holds a dark pixel.
    std::array<std::uint8_t, 256> squeeze{};
    const int groups = 8 / f;
    for (int b = 0; b < 256; ++b) {
        int bits = 0;
        for (int g = 0; g < groups; ++g) {
            const int mask = ((1 << f) - 1) << (8 - f * (g + 1));
            bits = (bits << 1) | ((b & mask) ? 1 : 0);
        }
        squeeze[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(bits);
    }
    const int wpls = pixGetWpl(binary);
    const int wpld = pixGetWpl(out.get());
    const int words = (w + 31) / 32;
    const int tailBits = w % 32;
    const l_uint32 tailMask = tailBits ? ~(0xFFFFFFFFu >> tailBits) : 0xFFFFFFFFu;
    const l_uint32* src = pixGetData(binary);
    l_uint32* dst = pixGetData(out.get());
    std::vector<l_uint32> rows(static_cast<std::size_t>(words));
    for (int yd = 0; yd * f < h; ++yd) {
        std::fill(rows.begin(), rows.end(), 0u);
        for (int y = yd * f; y < std::min(h, yd * f + f); ++y) {
            const l_uint32* line = src + static_cast<std::ptrdiff_t>(y) * wpls;
            for (int i = 0; i < words; ++i) rows[static_cast<std::size_t>(i)] |= line[i];
        }
        rows[static_cast<std::size_t>(words - 1)] &= tailMask;  // bits past the edge
        l_uint32* out32 = dst + static_cast<std::ptrdiff_t>(yd) * wpld;
        // Each source word gives 32 / f bits, placed from the most significant end.
        const int perWord = 32 / f;
        for (int i = 0; i < words; ++i) {
            const l_uint32 word = rows[static_cast<std::size_t>(i)];
            if (!word) continue;
            l_uint32 bits = 0;
            for (int k = 0; k < 4; ++k)
                bits = (bits << groups) | squeeze[(word >> (24 - 8 * k)) & 0xFFu];
            const int bitPos = i * perWord;  // first destination pixel
            const int shift = 32 - perWord - bitPos % 32;
            out32[bitPos / 32] |= bits << shift;
        }
    }
    return out;
}

// Adds the box of every isolated speck whose dark pixels lie in [x0, x1) x [y0, y1)
// of `binary`: each 8-connected group there fitting the size limit, with no dark
// pixel in its clear space outside its own box. False on failure.
bool addIsolatedIn(PIX* binary, int x0, int y0, int x1, int y1, const SpeckLimits& limits,
                   l_int32* tab, BOXA* specks) {
    const int w = x1 - x0, h = y1 - y0;
    std::vector<int> group(static_cast<std::size_t>(w * h), -1);  // -1 light, -2 unvisited dark
    auto cell = [&](int x, int y) -> int& { return group[static_cast<std::size_t>(y * w + x)]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            l_uint32 v = 0;
            pixGetPixel(binary, x0 + x, y0 + y, &v);
            if (v) cell(x, y) = -2;
        }
    std::vector<std::pair<int, int>> stack;
    for (int sy = 0; sy < h; ++sy)
        for (int sx = 0; sx < w; ++sx) {
            if (cell(sx, sy) != -2) continue;
            int minX = sx, maxX = sx, minY = sy, maxY = sy;
            stack.assign(1, {sx, sy});
            cell(sx, sy) = 0;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || cell(nx, ny) != -2) continue;
                        cell(nx, ny) = 0;
                        stack.push_back({nx, ny});
                    }
            }
            if (maxX - minX + 1 > limits.maxWidth || maxY - minY + 1 > limits.maxHeight) continue;
            BoxPtr box(boxCreate(x0 + minX, y0 + minY, maxX - minX + 1, maxY - minY + 1));
            if (!box) return false;
            // Isolated when every dark pixel of the clear space lies in the speck's own box.
            BoxPtr around = grown(box.get(), limits.clearX, limits.clearY, pixGetWidth(binary),
                                  pixGetHeight(binary));
            l_int32 own = 0, near = 0;
            if (!around || pixCountPixelsInRect(binary, box.get(), &own, tab) != 0 ||
                pixCountPixelsInRect(binary, around.get(), &near, tab) != 0)
                return false;
            if (near == own && boxaAddBox(specks, box.release(), L_INSERT) != 0) return false;
        }
    return true;
}

}  // namespace

SpeckLimits speckLimitsFor(int xres, int yres) {
    SpeckLimits limits;
    limits.maxWidth = scaled(3, xres, 1);
    limits.maxHeight = scaled(3, yres, 1);
    limits.clearX = scaled(8, xres, 2);
    limits.clearY = scaled(8, yres, 2);
    return limits;
}

BoxaPtr findIsolatedSpecks(PIX* binary, const SpeckLimits& limits) {
    if (!binary || pixGetDepth(binary) != 1) return nullptr;
    const int width = pixGetWidth(binary);
    const int height = pixGetHeight(binary);
    const int f = blockSizeFor(limits);
    PixPtr reduced = f == 1 ? clonePix(binary) : blockMap(binary, f);
    BoxaPtr blobs(reduced ? pixConnCompBB(reduced.get(), 8) : nullptr);
    BoxaPtr specks(boxaCreate(0));
    std::unique_ptr<l_int32, TabDeleter> tab(makePixelSumTab8());
    if (!blobs || !specks || !tab) return nullptr;

    // A speck's blocks hold nothing else and touch no other dark block, so they form
    // a whole group of the block map no wider than spanX x spanY blocks. Only such
    // groups are looked at closely, at full resolution.
    const int spanX = (limits.maxWidth + 2 * f - 2) / f;
    const int spanY = (limits.maxHeight + 2 * f - 2) / f;
    const int n = boxaGetCount(blobs.get());
    for (int i = 0; i < n; ++i) {
        l_int32 bx = 0, by = 0, bw = 0, bh = 0;
        if (boxaGetBoxGeometry(blobs.get(), i, &bx, &by, &bw, &bh) != 0) return nullptr;
        if (bw > spanX || bh > spanY) continue;
        const int x0 = bx * f, y0 = by * f;
        const int x1 = std::min(width, (bx + bw) * f), y1 = std::min(height, (by + bh) * f);
        if (x1 <= x0 || y1 <= y0) continue;
        if (!addIsolatedIn(binary, x0, y0, x1, y1, limits, tab.get(), specks.get()))
            return nullptr;
    }
    return specks;
}

int removeIsolatedSpecks(PIX* pix, int xres, int yres) {
    if (!pix) return -1;
    PixPtr dark = darkMask(pix);
    if (!dark) return -1;
    const SpeckLimits limits = speckLimitsFor(xres, yres);
    BoxaPtr specks = findIsolatedSpecks(dark.get(), limits);
    if (!specks) return -1;
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
        if (!box) return -1;
        if (plainBinary) {
            paints.push_back({std::move(box), Rgb{255, 255, 255}});
            continue;
        }
        // Gray and colour: take in the soft rim of the speck as well.
        BoxPtr rim = grown(box.get(), 1, 1, width, height);
        BoxPtr around = grown(box.get(), limits.clearX, limits.clearY, width, height);
        if (!rim || !around) return -1;
        const Rgb background = backgroundAround(pix, dark.get(), around.get(), rim.get());
        if (!storedValueFor(pix, background)) return -1;
        paints.push_back({std::move(rim), background});
    }
    for (const Paint& p : paints) {
        const BOX* b = p.box.get();
        paintRect(pix, b->x, b->y, b->x + b->w, b->y + b->h, p.colour);
    }
    return n;
}

}  // namespace leafmark::imaging
