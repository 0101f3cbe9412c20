// Page view figures in a 1920 x 1080 view at fit-to-page: a page turn, a
// redisplay in each bitonal rendering and a white-fill, each painted into the
// window (and the first two also grabbed out of it).

#include <leptonica/allheaders.h>

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <thread>

#include "Benchmarks.h"
#include "RawTiff.h"
#include "imaging/widget/PageView.h"
#include "pages/ReadAhead.h"

namespace leafmark::bench {
namespace {

constexpr imaging::SizeMode kFitPage = imaging::kSizeFitPage;
constexpr imaging::BitonalRendering kScaleToGray = imaging::kBitonalScaleToGray;
const char* const kModeNames[3] = {"normal", "favor black", "scale to gray"};

}  // namespace

void runViewBench(const Corpus& corpus, int reps, Table& table) {
    const int n = static_cast<int>(corpus.paths.size());
    const int runs = n * std::max(1, reps);
    auto path = [&](int run) { return corpus.paths[static_cast<std::size_t>(run % n)]; };

    imaging::PageView view;
    view.resize(1920, 1080);
    view.show();
    QCoreApplication::processEvents();

    table.section("page view 1920 x 1080, fit to page, " + std::to_string(runs) + " runs each");
    const Timing rawDecodeTime = measure(runs, [&](int r) { rawDecode(path(r)); });

    // "painted" is a synchronous paint into the window's backing store, what the
    // operator sees; "grabbed" also copies the view out through grabPage().
    const auto paint = [&view] { view.viewport()->repaint(); };
    const auto grab = [&view] { view.grabPage(); };
    for (const bool grabbed : {false, true}) {
        const auto show = grabbed ? std::function<void()>(grab) : std::function<void()>(paint);
        const std::string how = grabbed ? "grabbed" : "painted";
        const Timing turn = measure(runs, [&](int r) {
            view.LoadPage(path(r));
            view.setSizeMode(kFitPage);
            view.setBitonalDisplay(kScaleToGray);
            show();
        });
        table.row("page turn (load, fit, scale to gray, " + how + ")", turn, "libtiff strip decode",
                  rawDecodeTime);
    }

    // A turn to a neighbour read ahead: the page was decoded in the background while
    // the previous one was looked at (not timed), the turn only takes it and paints.
    {
        ReadAhead ahead;
        std::unique_ptr<imaging::PageEngine> ready;
        const Timing turn = measure(
            runs,
            [&](int r) {
                // Counted before asking: the read may end before want() returns.
                const int before = ahead.readsDone();
                ahead.want({path(r)});
                while (ahead.readsDone() == before) std::this_thread::yield();
            },
            [&](int r) {
                ready = ahead.take(path(r));
                if (ready)
                    view.showLoadedPage(*ready);
                else
                    view.LoadPage(path(r));
                view.setSizeMode(kFitPage);
                view.setBitonalDisplay(kScaleToGray);
                paint();
            });
        table.row("page turn to a neighbour read ahead (painted)", turn, "libtiff strip decode",
                  rawDecodeTime);
    }

    for (int mode = 0; mode < 3; ++mode) {
        for (const bool grabbed : {false, true}) {
            const auto show = grabbed ? std::function<void()>(grab) : std::function<void()>(paint);
            // Each timed redisplay follows one in another mode, so nothing is reused.
            const Timing redisplay = measure(
                runs,
                [&](int r) {
                    view.LoadPage(path(r));
                    view.setBitonalDisplay(static_cast<imaging::BitonalRendering>((mode + 1) % 3));
                    show();
                },
                [&](int) {
                    view.setBitonalDisplay(static_cast<imaging::BitonalRendering>(mode));
                    show();
                });
            table.row(std::string("redisplay, ") + kModeNames[mode] +
                          (grabbed ? ", grabbed" : ", painted"),
                      redisplay, "libtiff strip decode", rawDecodeTime);
        }
    }

    // White-fill of a 2 x 2 inch rectangle, then the page is painted again.
    view.LoadPage(path(0));
    view.setBitonalDisplay(kScaleToGray);
    view.grabPage();
    const Timing fillOnly = measure(runs, [&](int) {
        view.engine().SetRegionRect(600, 900, 600, 600);
        view.engine().FillRegion(0xFFFFFF);
    });
    PIX* bare = pixCopy(nullptr, view.engine().pix());
    const Timing lepClear = measure(runs, [&](int) {
        BOX* box = boxCreate(600, 900, 600, 600);
        pixClearInRect(bare, box);
        boxDestroy(&box);
    });
    pixDestroy(&bare);
    table.row("white-fill 2x2 in (engine)", fillOnly, "leptonica clear in rect", lepClear);
    const Timing fillPaint = measure(runs, [&](int) {
        view.engine().SetRegionRect(600, 900, 600, 600);
        view.engine().FillRegion(0xFFFFFF);
        view.Repaint();
        paint();
    });
    table.row("white-fill 2x2 in + repaint (scale to gray, painted)", fillPaint,
              "libtiff strip decode", rawDecodeTime);
}

}  // namespace leafmark::bench
