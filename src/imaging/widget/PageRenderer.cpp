#include "imaging/widget/PageRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace leafmark::imaging {

namespace {

// The page pixels [begin, end) one screen pixel covers along one axis.
struct Span {
    int begin;
    int end;
    bool operator==(const Span&) const = default;
};

// Spans of screen coordinates [t0, t1) of an axis drawn `total` pixels long from
// `n` page pixels. Reductions use the covered box (the last screen pixel reaches
// the page's edge); enlargements and `nearest` take the page pixel under the
// screen pixel's centre.
std::vector<Span> spansFor(int t0, int t1, int n, int total, double scale, bool nearest) {
    std::vector<Span> spans;
    spans.reserve(static_cast<std::size_t>(std::max(0, t1 - t0)));
    for (int t = t0; t < t1; ++t) {
        if (nearest || scale >= 1.0) {
            int c = static_cast<int>(std::floor((t + 0.5) / scale));
            c = std::clamp(c, 0, n - 1);
            spans.push_back({c, c + 1});
        } else {
            int b = std::clamp(static_cast<int>(std::floor(t / scale)), 0, n - 1);
            int e = t + 1 >= total ? n : static_cast<int>(std::floor((t + 1) / scale));
            e = std::clamp(e, b + 1, n);
            spans.push_back({b, e});
        }
    }
    return spans;
}

// True when any bit in [b, e) of a 1-bit row is set (leptonica bit order: the
// first pixel is the word's most significant bit).
bool anyBit(const l_uint32* words, int b, int e) {
    const int wb = b >> 5;
    const int we = (e - 1) >> 5;
    for (int k = wb; k <= we; ++k) {
        l_uint32 mask = 0xffffffffu;
        if (k == wb) mask &= 0xffffffffu >> (b & 31);
        if (k == we) mask &= 0xffffffffu << (31 - ((e - 1) & 31));
        if (words[k] & mask) return true;
    }
    return false;
}

// Adds 1 to counts[x - x0] for every black pixel x in [x0, x1) of a 1-bit row.
void countBlack(const l_uint32* line, int x0, int x1, std::vector<std::uint32_t>& counts) {
    for (int k = x0 >> 5; k <= (x1 - 1) >> 5; ++k) {
        l_uint32 w = line[k];
        while (w) {
            const int bit = __builtin_clz(w);
            const int x = (k << 5) + bit;
            w &= ~(0x80000000u >> bit);
            if (x >= x0 && x < x1) ++counts[static_cast<std::size_t>(x - x0)];
        }
    }
}

// A screen row that covers the same page rows as the one above it is a copy.
bool copyRepeatedRow(QImage& out, const std::vector<Span>& ys, int i) {
    if (i == 0 || !(ys[static_cast<std::size_t>(i)] == ys[static_cast<std::size_t>(i - 1)]))
        return false;
    std::memcpy(out.scanLine(i), out.constScanLine(i - 1),
                static_cast<std::size_t>(out.bytesPerLine()));
    return true;
}

QImage renderBinary(PIX* p, const std::vector<Span>& xs, const std::vector<Span>& ys, int mode) {
    QImage out(static_cast<int>(xs.size()), static_cast<int>(ys.size()), QImage::Format_Grayscale8);
    const l_uint32* data = pixGetData(p);
    const int wpl = pixGetWpl(p);
    const int x0 = xs.front().begin;
    const int x1 = xs.back().end;
    std::vector<l_uint32> orRow(static_cast<std::size_t>(wpl));
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(x1 - x0));
    for (int i = 0; i < out.height(); ++i) {
        if (copyRepeatedRow(out, ys, i)) continue;
        const Span sy = ys[static_cast<std::size_t>(i)];
        uchar* o = out.scanLine(i);
        if (mode == kBitonalNormal) {
            const l_uint32* line = data + static_cast<std::ptrdiff_t>(sy.begin) * wpl;
            for (std::size_t j = 0; j < xs.size(); ++j)
                o[j] = GET_DATA_BIT(line, xs[j].begin) ? 0 : 255;
        } else if (mode == kBitonalFavorBlack) {
            const int k0 = x0 >> 5;
            const int k1 = (x1 - 1) >> 5;
            std::fill(orRow.begin() + k0, orRow.begin() + k1 + 1, 0u);
            for (int y = sy.begin; y < sy.end; ++y) {
                const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
                for (int k = k0; k <= k1; ++k) orRow[static_cast<std::size_t>(k)] |= line[k];
            }
            for (std::size_t j = 0; j < xs.size(); ++j)
                o[j] = anyBit(orRow.data(), xs[j].begin, xs[j].end) ? 0 : 255;
        } else {
            std::fill(counts.begin(), counts.end(), 0u);
            for (int y = sy.begin; y < sy.end; ++y)
                countBlack(data + static_cast<std::ptrdiff_t>(y) * wpl, x0, x1, counts);
            const std::uint32_t rows = static_cast<std::uint32_t>(sy.end - sy.begin);
            for (std::size_t j = 0; j < xs.size(); ++j) {
                std::uint32_t black = 0;
                for (int x = xs[j].begin; x < xs[j].end; ++x)
                    black += counts[static_cast<std::size_t>(x - x0)];
                const std::uint32_t area = rows * static_cast<std::uint32_t>(xs[j].end - xs[j].begin);
                o[j] = static_cast<uchar>(255 - (black * 255 + area / 2) / area);
            }
        }
    }
    return out;
}

// Area average of 8-bit gray (channels 1) or 32-bit RGB (channels 3).
QImage renderAveraged(PIX* p, const std::vector<Span>& xs, const std::vector<Span>& ys,
                      int channels) {
    QImage out(static_cast<int>(xs.size()), static_cast<int>(ys.size()),
               channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    const l_uint32* data = pixGetData(p);
    const int wpl = pixGetWpl(p);
    const int x0 = xs.front().begin;
    const int x1 = xs.back().end;
    const std::size_t n = static_cast<std::size_t>(x1 - x0);
    std::vector<std::uint32_t> sums(n * static_cast<std::size_t>(channels));
    for (int i = 0; i < out.height(); ++i) {
        if (copyRepeatedRow(out, ys, i)) continue;
        const Span sy = ys[static_cast<std::size_t>(i)];
        std::fill(sums.begin(), sums.end(), 0u);
        for (int y = sy.begin; y < sy.end; ++y) {
            const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
            if (channels == 1) {
                for (int x = x0; x < x1; ++x)
                    sums[static_cast<std::size_t>(x - x0)] += GET_DATA_BYTE(line, x);
            } else {
                for (int x = x0; x < x1; ++x) {
                    const l_uint32 px = line[x];
                    std::uint32_t* s = &sums[static_cast<std::size_t>(x - x0) * 3];
                    s[0] += (px >> L_RED_SHIFT) & 0xff;
                    s[1] += (px >> L_GREEN_SHIFT) & 0xff;
                    s[2] += (px >> L_BLUE_SHIFT) & 0xff;
                }
            }
        }
        const std::uint32_t rows = static_cast<std::uint32_t>(sy.end - sy.begin);
        uchar* o = out.scanLine(i);
        for (std::size_t j = 0; j < xs.size(); ++j) {
            const std::uint32_t area = rows * static_cast<std::uint32_t>(xs[j].end - xs[j].begin);
            std::uint32_t acc[3] = {0, 0, 0};
            for (int x = xs[j].begin; x < xs[j].end; ++x)
                for (int c = 0; c < channels; ++c)
                    acc[c] += sums[static_cast<std::size_t>(x - x0) * static_cast<std::size_t>(channels) +
                                   static_cast<std::size_t>(c)];
            if (channels == 1) {
                o[j] = static_cast<uchar>((acc[0] + area / 2) / area);
            } else {
                reinterpret_cast<QRgb*>(o)[j] = qRgb(static_cast<int>((acc[0] + area / 2) / area),
                                                     static_cast<int>((acc[1] + area / 2) / area),
                                                     static_cast<int>((acc[2] + area / 2) / area));
            }
        }
    }
    return out;
}

}  // namespace

PixPtr prepareForDisplay(PIX* page) {
    if (!page) return {};
    const int depth = pixGetDepth(page);
    PIXCMAP* cmap = pixGetColormap(page);
    if (depth == 1) {
        if (!cmap) return clonePix(page);
        // Value 1 must mean black: drop the colour map and invert when value 0 is the darker.
        l_int32 r0 = 255, g0 = 255, b0 = 255, r1 = 0, g1 = 0, b1 = 0;
        pixcmapGetColor(cmap, 0, &r0, &g0, &b0);
        if (pixcmapGetCount(cmap) > 1) pixcmapGetColor(cmap, 1, &r1, &g1, &b1);
        PixPtr copy(pixCopy(nullptr, page));
        if (!copy) return {};
        pixDestroyColormap(copy.get());
        if (r0 + g0 + b0 < r1 + g1 + b1) pixInvert(copy.get(), copy.get());
        return copy;
    }
    PixPtr base = cmap ? PixPtr(pixRemoveColormap(page, REMOVE_CMAP_BASED_ON_SRC)) : clonePix(page);
    if (!base) return {};
    switch (pixGetDepth(base.get())) {
        case 8:
        case 32:
            return base;
        case 24:
            return PixPtr(pixConvert24To32(base.get()));
        default:
            return PixPtr(pixConvertTo8(base.get(), 0));
    }
}

QSize scaledPageSize(int width, int height, double scale) {
    const auto side = [scale](int n) {
        return std::max(1, static_cast<int>(std::lround(static_cast<double>(n) * scale)));
    };
    return {side(width), side(height)};
}

QImage renderScaled(PIX* prepared, double scale, int bitonal, const QRect& target) {
    if (!prepared || !(scale > 0.0) || target.isEmpty()) return {};
    const int w = pixGetWidth(prepared);
    const int h = pixGetHeight(prepared);
    const int depth = pixGetDepth(prepared);
    if (w <= 0 || h <= 0 || (depth != 1 && depth != 8 && depth != 32)) return {};
    const QSize total = scaledPageSize(w, h, scale);
    const QRect area = target.intersected(QRect(QPoint(0, 0), total));
    if (area.isEmpty()) return {};
    const bool nearest = depth == 1 && bitonal != kBitonalFavorBlack && bitonal != kBitonalScaleToGray;
    const auto xs = spansFor(area.left(), area.right() + 1, w, total.width(), scale, nearest);
    const auto ys = spansFor(area.top(), area.bottom() + 1, h, total.height(), scale, nearest);
    if (depth == 1) return renderBinary(prepared, xs, ys, nearest ? kBitonalNormal : bitonal);
    return renderAveraged(prepared, xs, ys, depth == 8 ? 1 : 3);
}

}  // namespace leafmark::imaging
