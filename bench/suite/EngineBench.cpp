// Page engine figures: load, save, despeckle, deskew and the whole pre-process
// pipeline, each beside libtiff's or leptonica's bare work on the same page.

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Benchmarks.h"
#include "RawTiff.h"
#include "imaging/engine/PageEngine.h"

namespace leafmark::bench {
namespace {

using imaging::PageEngine;
using imaging::PixPtr;

std::string outPath(const Corpus& c, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "/%08d.tif", i + 1);
    return c.outDir + name;
}

// The margin clean-up of a pre-process run: four white bands of `inches` at the page edges.
void whitenMargins(PageEngine& engine, double inches) {
    const float w = engine.PageWidth(), h = engine.PageHeight();
    const auto bx = static_cast<float>(inches * engine.XResolution());
    const auto by = static_cast<float>(inches * engine.YResolution());
    const float bands[4][4] = {
        {0, 0, w, by}, {0, h - by, w, by}, {0, 0, bx, h}, {w - bx, 0, bx, h}};
    for (const auto& b : bands) {
        engine.SetRegionRect(b[0], b[1], b[2], b[3]);
        engine.FillRegion(0xFFFFFF);
    }
    engine.ClearRegion();
}

}  // namespace

void runEngineBench(const Corpus& corpus, int reps, Table& table) {
    const int n = static_cast<int>(corpus.paths.size());
    const int runs = n * std::max(1, reps);
    auto page = [n](int run) { return run % n; };

    // The decoded pages, kept as leptonica images and as raw 1-bit rows.
    std::vector<PixPtr> originals;
    std::vector<Bitmap> bitmaps(static_cast<std::size_t>(n));
    PageEngine engine;
    for (int i = 0; i < n; ++i) {
        if (const auto loaded = engine.LoadPage(corpus.paths[static_cast<std::size_t>(i)]);
            !loaded) {
            table.note("engine cannot load " + corpus.paths[static_cast<std::size_t>(i)] + ": " +
                       loaded.reason());
            return;
        }
        originals.emplace_back(pixCopy(nullptr, engine.pix()));
        rawDecode(corpus.paths[static_cast<std::size_t>(i)], &bitmaps[static_cast<std::size_t>(i)]);
    }
    auto restore = [&](int run) {
        engine.setImage(
            PixPtr(pixCopy(nullptr, originals[static_cast<std::size_t>(page(run))].get())), 300,
            300);
    };

    table.section("page engine, " + std::to_string(n) + " Group 4 letter pages at 300 dpi, " +
                  std::to_string(runs) + " runs each");

    const Timing load = measure(
        runs, [&](int r) { engine.LoadPage(corpus.paths[static_cast<std::size_t>(page(r))]); });
    const Timing rawLoad =
        measure(runs, [&](int r) { rawDecode(corpus.paths[static_cast<std::size_t>(page(r))]); });
    table.row("LoadPage", load, "libtiff strip decode", rawLoad);

    const Timing save = measure(
        runs, [&](int r) { engine.LoadPage(corpus.paths[static_cast<std::size_t>(page(r))]); },
        [&](int r) { engine.SavePage(outPath(corpus, page(r)), imaging::kFormatGroup4, 1); });
    const Timing rawSave = measure(runs, [&](int r) {
        rawEncodeG4(bitmaps[static_cast<std::size_t>(page(r))], outPath(corpus, page(r)), false);
    });
    const Timing rawSafeSave = measure(runs, [&](int r) {
        rawEncodeG4(bitmaps[static_cast<std::size_t>(page(r))], outPath(corpus, page(r)), true);
    });
    table.row("SavePage Group 4 (atomic)", save, "libtiff G4 encode", rawSave);
    table.row("SavePage Group 4 (atomic)", save, "libtiff G4 encode+fsync+rename", rawSafeSave);

    const Timing despeckle = measure(runs, restore, [&](int) { engine.Despeckle(); });
    const Timing lepDespeckle = measure(runs, [&](int r) {
        PIX* kept = pixSelectBySize(originals[static_cast<std::size_t>(page(r))].get(), 3, 3, 8,
                                    L_SELECT_IF_EITHER, L_SELECT_IF_GT, nullptr);
        pixDestroy(&kept);
    });
    table.row("Despeckle", despeckle, "leptonica select by size (>3 px)", lepDespeckle);

    std::vector<double> residual;
    const Timing deskew = measure(runs, restore, [&](int r) {
        const auto result = engine.Deskew();
        if (r < n)
            residual.push_back(
                std::abs(result.angle - corpus.pages[static_cast<std::size_t>(r)].angle));
    });
    const Timing lepDeskew = measure(runs, [&](int r) {
        PIX* straight = pixDeskew(originals[static_cast<std::size_t>(page(r))].get(), 0);
        pixDestroy(&straight);
    });
    table.row("Deskew", deskew, "leptonica pixDeskew", lepDeskew);
    if (!residual.empty()) {
        double sum = 0;
        for (double d : residual) sum += d;
        char text[160];
        std::snprintf(text, sizeof text,
                      "Deskew: |angle found - recorded skew| mean %.3f, max %.3f degrees",
                      sum / static_cast<double>(residual.size()),
                      *std::max_element(residual.begin(), residual.end()));
        table.note(text);
    }

    // The pre-process pipeline over the whole corpus: pages per second, median of reps.
    const Timing pipeline = measure(std::max(1, reps), [&](int) {
        for (int i = 0; i < n; ++i) {
            engine.LoadPage(corpus.paths[static_cast<std::size_t>(i)]);
            whitenMargins(engine, 0.5);
            engine.Despeckle();
            engine.Deskew();
            engine.SavePage(outPath(corpus, i), imaging::kFormatGroup4, 1);
        }
    });
    const Timing ioFloor = measure(std::max(1, reps), [&](int) {
        for (int i = 0; i < n; ++i) {
            Bitmap b;
            rawDecode(corpus.paths[static_cast<std::size_t>(i)], &b);
            rawEncodeG4(b, outPath(corpus, i), false);
        }
    });
    table.rate("pre-process (load,margins,despeckle,deskew,save)", n * 1000.0 / pipeline.medianMs,
               "libtiff decode + G4 encode", n * 1000.0 / ioFloor.medianMs);
}

}  // namespace leafmark::bench
