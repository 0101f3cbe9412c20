// leafmark-batch-bench [--pages N] [--reps R] [--seed S]
// Makes N seeded 300-dpi Group 4 letter pages (skew -5..5 degrees, specks) and
// prints, as the best and median of R passes, pages per second of:
//   - the I/O floor: load and save of every page with no operation, one thread;
//   - the pre-process run (0.25 inch margin, despeckle, deskew) with 1 and 2 workers,
//     each with the processor time it took per page, the pages in progress at once
//     on average, and its parallel efficiency (processor time / (wall time x workers));
//     and how long its threads waited for a processor; that wait and the machine's
//     load average, printed beside them, show how much other work stretched the
//     wall times (it leaves the processor time about as it is);
//   - unpaper (noise filter, deskew, a fixed 0.25 inch border) over the same pages,
//     counting the TIFF -> PBM -> TIFF conversions around it (done by our engine),
//     with the skew left on its results; or why it was not run (see UnpaperRow.h);
// and the deskew accuracy: the skew our deskew finds against the recorded one,
// and the residual skew leptonica measures on each straightened page.
// --deskew-only: deskew accuracy on fax pages (fine and normal mode) and Group 4
// pages over the whole range. --memory: peak resident memory of a 2,000-page run
// of leafmark-batch against a 200-page run (see RunMemory.h).
#include <sys/resource.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

#include "BenchHarness.h"
#include "RunMemory.h"
#include "UnpaperRow.h"
#include "batch/core/BatchRun.h"
#include "imaging/engine/PageEngine.h"
#include "pagemaker/PageMaker.h"

using namespace leafmark;

namespace {

std::string native(const QString& p) { return QFile::encodeName(p).toStdString(); }

struct Timing {
    double best = 0, median = 0;  // seconds
};

Timing timeIt(int reps, const std::function<void()>& once) {
    const bench::Timing t = bench::measure(reps, [&](int) { once(); });
    return {t.minMs / 1000.0, t.medianMs / 1000.0};
}

void report(const char* what, int pages, Timing t, double floor = 0) {
    std::printf("%-44s %7.2f pages/s (median %7.2f)", what, pages / t.best, pages / t.median);
    if (floor > 0) std::printf("  x%.2f of the I/O floor time", t.median / floor);
    std::printf("\n");
}

void freshFolder(const QString& path) {
    QDir(path).removeRecursively();
    QDir().mkpath(path);
}

// Processor time (user + system) of every thread of this process so far, seconds.
double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Seconds each thread of this process has so far spent ready to run but waiting
// for a processor (the second figure of its schedstat), by thread id.
std::map<QString, double> processorWaits() {
    std::map<QString, double> waits;
    const QString tasks = QStringLiteral("/proc/self/task");
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + '/' + tid + QStringLiteral("/schedstat"));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> fields = f.readAll().split(' ');
        if (fields.size() >= 2) waits[tid] = fields[1].toDouble() / 1e9;
    }
    return waits;
}

// One batch run seen from outside: wall and processor seconds, the pages' own
// times added up (their sum over the wall time is how many ran at once), and the
// time its threads waited for a processor taken by other work on the machine.
struct RunCost {
    double wall = 0, cpu = 0, pageSeconds = 0, processorWait = 0;
};

RunCost batchRun(const QString& in, const QString& out, const QStringList& names, int workers) {
    freshFolder(out);
    RunCost cost;
    const std::map<QString, double> waits0 = processorWaits();
    const double wall0 = bench::nowSeconds(), cpu0 = processCpuSeconds();
    batch::BatchRun run({batch::RunKind::PreProcess, in, out, names, workers});
    run.setOptionsProvider([] { return batch::PageOptions{true, true, true, 0.25}; });
    QObject::connect(&run, &batch::BatchRun::pageCommitted, [&](const batch::PageOutcome& o) {
        cost.pageSeconds += o.milliseconds / 1000.0;
    });
    QEventLoop loop;
    QObject::connect(&run, &batch::BatchRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (run.isRunning()) loop.exec();
    cost.wall = bench::nowSeconds() - wall0;
    cost.cpu = processCpuSeconds() - cpu0;
    // The workers stay (idle) until the run goes; threads made since the start count whole.
    for (const auto& [tid, wait] : processorWaits()) {
        const auto before = waits0.find(tid);
        cost.processorWait += wait - (before == waits0.end() ? 0.0 : before->second);
    }
    if (run.summary().failures)
        std::fprintf(stderr, "batch run: %d failures\n", run.summary().failures);
    return cost;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the pre-process `reps` times with `workers` workers and prints its rate
// beside the floor, then its processor time per page, the pages in progress at
// once, the parallel efficiency and the wait for a processor (medians). Gives the
// median wall seconds.
double reportWorkers(const QString& in, const QString& out, const QStringList& names, int workers,
                     int reps, double floor) {
    std::vector<double> cpu, inFlight, efficiency, waited;
    const Timing t = timeIt(reps, [&] {
        const RunCost c = batchRun(in, out, names, workers);
        cpu.push_back(c.cpu);
        inFlight.push_back(c.pageSeconds / c.wall);
        efficiency.push_back(c.cpu / (c.wall * workers));
        waited.push_back(c.processorWait);
    });
    const std::string what = "pre-process, margin+despeckle+deskew, " + std::to_string(workers) +
                             (workers == 1 ? " worker" : " workers");
    report(what.c_str(), names.size(), t, floor);
    std::printf(
        "  %.1f ms processor time per page, %.2f pages in progress at once, "
        "parallel efficiency %.0f%%; waited %.1f ms per page for a processor\n",
        1000 * median(cpu) / names.size(), median(inFlight), 100 * median(efficiency),
        1000 * median(waited) / names.size());
    return t.median;
}

void printLoad(const char* when) {
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f (%d cores)\n", when, load[0], load[1], load[2],
                    QThread::idealThreadCount());
}

// Deskew accuracy on `count` pages of `kind` spread evenly over -15..15 degrees
// (every page of them at 12 degrees or more either way when `steep`): the lean
// found against the recorded one, and the lean measured again on the result.
// `rowStep` 2 keeps every other row, as a fax in normal mode (204 x 98) scans.
void deskewSpread(pagemaker::PageKind kind, int count, bool steep, std::uint64_t seed,
                  int rowStep = 1) {
    double maxMiss = 0, sumMiss = 0, maxResidual = 0, sumResidual = 0;
    int undone = 0;
    for (int i = 0; i < count; ++i) {
        const double t = count > 1 ? static_cast<double>(i) / (count - 1) : 0.5;
        double angle = steep ? 12.0 + 3.0 * t : -15.0 + 30.0 * t;
        if (steep && i % 2) angle = -angle;
        const pagemaker::Page page = pagemaker::renderPage({kind, seed + i, angle, 4, false, {}});
        const int yDpi = page.info.yDpi / rowStep;
        imaging::PixPtr pix(pixCreate(page.image.width(), page.image.height() / rowStep, 1));
        for (int y = 0; y < pixGetHeight(pix.get()); ++y)
            std::memcpy(pixGetData(pix.get()) + y * pixGetWpl(pix.get()),
                        page.image.constScanLine(y * rowStep),
                        static_cast<std::size_t>(page.image.bytesPerLine()));
        pixEndianByteSwap(pix.get());
        imaging::PageEngine e;
        e.setImage(std::move(pix), page.info.xDpi, yDpi);
        const imaging::DeskewResult r = e.Deskew();
        if (!r.applied) {
            ++undone;
            std::printf("  left as it was: recorded %.2f, found %.3f, confidence %.2f\n", angle,
                        r.angle, r.confidence);
        }
        const double miss = std::abs(r.angle - angle);
        // The result measured again with the same finder: what is left of the lean.
        imaging::PageEngine again;
        again.setImage(imaging::PixPtr(pixCopy(nullptr, e.pix())), page.info.xDpi, yDpi);
        const double residual = std::abs(r.applied ? again.Deskew().angle : angle);
        maxMiss = std::max(maxMiss, miss);
        sumMiss += miss;
        maxResidual = std::max(maxResidual, residual);
        sumResidual += residual;
    }
    std::printf(
        "deskew %s%s, %d pages %s: found vs recorded max %.3f mean %.3f; residual max %.3f "
        "mean %.3f degrees (goal max < 0.1, mean < 0.05); %d left as they were\n",
        pagemaker::kindName(kind), rowStep > 1 ? " (every other row)" : "", count,
        steep ? "at 12..15 degrees" : "over -15..15 degrees", maxMiss, sumMiss / count, maxResidual,
        sumResidual / count, undone);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int pages = 30, reps = 3;
    std::uint64_t seed = 1;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--pages")
            pages = std::clamp(args[i + 1].toInt(), 1, 1000);
        else if (args[i] == "--reps")
            reps = std::clamp(args[i + 1].toInt(), 1, 50);
        else if (args[i] == "--seed")
            seed = args[i + 1].toULongLong();
    }

    if (args.contains("--deskew-only")) {
        for (const auto kind : {pagemaker::PageKind::Fax, pagemaker::PageKind::Group4}) {
            deskewSpread(kind, 10, true, seed);
            deskewSpread(kind, 13, false, seed + 100);
        }
        deskewSpread(pagemaker::PageKind::Fax, 10, true, seed, 2);
        deskewSpread(pagemaker::PageKind::Fax, 13, false, seed + 100, 2);
        return 0;
    }
    if (args.contains("--memory"))
        return bench::reportRunMemory(QStringLiteral(LEAFMARK_BATCH_PROGRAM), 200, 2000, 2) ? 0 : 1;

    QTemporaryDir tmp;
    const QString in = tmp.filePath("in"), out = tmp.filePath("out"), pbm = tmp.filePath("pbm");
    pagemaker::FolderOptions options;
    options.seed = seed;
    options.pages = pages;
    options.kind = pagemaker::PageKind::Group4;
    std::vector<pagemaker::PageInfo> made;
    QString error;
    if (!pagemaker::makeFolder(in, options, &made, &error)) {
        std::fprintf(stderr, "cannot make pages: %s\n", qPrintable(error));
        return 1;
    }
    QStringList names;
    for (const auto& p : made) names << p.name;
    std::printf("%d Group 4 letter pages at 300 dpi, %d passes, best and median\n", pages, reps);

    const Timing floor = timeIt(reps, [&] {
        freshFolder(out);
        imaging::PageEngine e;
        for (const QString& n : names) {
            e.ReadFileInfo(native(in + '/' + n));
            e.LoadPage(native(in + '/' + n));
            e.SavePage(native(out + '/' + n), e.StoredFormat(), e.StoredBitDepth());
        }
    });
    report("I/O floor (load + save, no operation)", pages, floor);
    printLoad("before");
    const double one = reportWorkers(in, out, names, 1, reps, floor.median);
    const double two = reportWorkers(in, out, names, 2, reps, floor.median);
    printLoad("after");
    std::printf("2 workers: x%.2f the pages per second of 1 worker (goal at least x1.7)\n",
                one / two);

    // unpaper, when it is installed and does the job; otherwise the row says why not.
    const char* const unpaperRow = "unpaper 1 process + PBM conversions";
    QString version, problem = bench::unpaperProblem(&version);
    if (problem.isEmpty()) {
        const Timing unpaper = timeIt(reps, [&] {
            if (problem.isEmpty() && !bench::runUnpaperPass(in, names, pbm, out, &problem))
                problem = "not run to the end: " + problem;
        });
        if (problem.isEmpty()) {
            report(unpaperRow, pages, unpaper, floor.median);
            std::printf("  (%s)\n", qPrintable(version));
            bench::reportUnpaperResidualSkew(out, names);
        }
    }
    if (!problem.isEmpty()) std::printf("%-44s %s\n", unpaperRow, qPrintable(problem));

    // Deskew accuracy on every page.
    double maxFound = 0, sumFound = 0, maxResidual = 0, sumResidual = 0;
    int undone = 0;
    for (int i = 0; i < pages; ++i) {
        imaging::PageEngine e;
        e.LoadPage(native(in + '/' + names[i]));
        const imaging::DeskewResult r = e.Deskew();
        if (!r.applied) ++undone;
        // Both angles count a clockwise turn of the text as positive.
        const double miss = std::abs(r.angle - made[i].angle);
        if (i < 3)
            std::printf("  page %d: recorded %.2f, found %.3f\n", i + 1, made[i].angle, r.angle);
        maxFound = std::max(maxFound, miss);
        sumFound += miss;
        l_float32 angle = 0, conf = 0;
        pixFindSkew(e.pix(), &angle, &conf);
        maxResidual = std::max(maxResidual, double(std::abs(angle)));
        sumResidual += std::abs(angle);
    }
    std::printf("deskew: found angle vs recorded skew: max %.3f, mean %.3f degrees\n", maxFound,
                sumFound / pages);
    std::printf(
        "deskew: residual skew measured on the result: max %.3f, mean %.3f degrees"
        " (%d pages left as they were)\n",
        maxResidual, sumResidual / pages, undone);
    return 0;
}
