#include "imaging/widget/PageRenderer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

#include "imaging/widget/ScaleRows.h"

namespace leafmark::imaging {

using detail::Span;

namespace {

// Below this many page plus screen pixels a render stays on the calling thread:
// starting threads would cost more than it saves.
constexpr qint64 kParallelWork = 1'000'000;
constexpr int kMinBandRows = 32;
constexpr int kMaxThreads = 8;
constexpr int kBandsPerThread = 8;

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

// How many threads to draw `job` with for `requested` (0 = automatic).
int threadCount(const detail::ScaleJob& job, int requested) {
    const int rows = static_cast<int>(job.ys.size());
    int threads = requested;
    if (threads <= 0) {
        const qint64 work = qint64(job.xs.back().end - job.xs.front().begin) *
                                (job.ys.back().end - job.ys.front().begin) +
                            qint64(job.xs.size()) * rows;
        if (work < kParallelWork) return 1;
        threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxThreads);
        threads = std::min(threads, std::max(1, rows / kMinBandRows));
    }
    return std::clamp(threads, 1, std::max(1, rows));
}

// Draws the job's rows with `threads` threads, this one included. The rows are
// cut into bands several times more than the threads, taken in turn by whichever
// thread is free: when a core is busy with other work this thread draws the
// bands its helper has not reached. Returns when all are drawn.
void renderBands(const detail::ScaleJob& job, int threads) {
    const int rows = static_cast<int>(job.ys.size());
    if (threads <= 1) {
        detail::renderRows(job, 0, rows);
        return;
    }
    const int bandRows = std::max(kMinBandRows / 2, rows / (threads * kBandsPerThread));
    const int bands = (rows + bandRows - 1) / bandRows;
    std::atomic<int> next{0};
    const auto drawBands = [&job, &next, bands, bandRows, rows] {
        for (int b = next.fetch_add(1); b < bands; b = next.fetch_add(1))
            detail::renderRows(job, b * bandRows, std::min(rows, (b + 1) * bandRows));
    };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    try {
        for (int t = 1; t < threads; ++t) helpers.emplace_back(drawBands);
    } catch (const std::system_error&) {
        // No thread to spare: the ones started and this one share the bands.
    }
    drawBands();
    for (std::thread& t : helpers) t.join();
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

QImage renderScaled(PIX* prepared, double scale, int bitonal, const QRect& target,
                    const RenderOptions& options) {
    if (!prepared || !(scale > 0.0) || target.isEmpty()) return {};
    const int w = pixGetWidth(prepared);
    const int h = pixGetHeight(prepared);
    const int depth = pixGetDepth(prepared);
    if (w <= 0 || h <= 0 || (depth != 1 && depth != 8 && depth != 32)) return {};
    const QSize total = scaledPageSize(w, h, scale);
    const QRect area = target.intersected(QRect(QPoint(0, 0), total));
    if (area.isEmpty()) return {};
    const bool nearest =
        depth == 1 && bitonal != kBitonalFavorBlack && bitonal != kBitonalScaleToGray;

    detail::ScaleJob job;
    job.data = pixGetData(prepared);
    job.wpl = pixGetWpl(prepared);
    job.depth = depth;
    job.mode = nearest ? kBitonalNormal : bitonal;
    job.xs = spansFor(area.left(), area.right() + 1, w, total.width(), scale, nearest);
    job.ys = spansFor(area.top(), area.bottom() + 1, h, total.height(), scale, nearest);
    if (depth == 1) detail::computeColumnMasks(job);
    job.rgb32 = options.rgb32 || depth == 32;
    QImage out(area.size(), job.rgb32 ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    if (out.isNull()) return {};
    // Rows are addressed through one pointer taken here: QImage's own row access
    // is not safe to call from several threads at once.
    job.bits = out.bits();
    job.bytesPerLine = out.bytesPerLine();
    renderBands(job, threadCount(job, options.threads));
    return out;
}

}  // namespace leafmark::imaging
