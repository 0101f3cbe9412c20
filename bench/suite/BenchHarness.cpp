#include "BenchHarness.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace leafmark::bench {
namespace {

// Keeps the time of every repetition of the benchmark just run, in milliseconds.
class RunReporter : public benchmark::BenchmarkReporter {
  public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const double per =
                1000.0 / static_cast<double>(std::max<benchmark::IterationCount>(1, r.iterations));
            times.wallMs.push_back(r.real_accumulated_time * per);
            times.cpuMs.push_back(r.cpu_accumulated_time * per);
        }
    }
    RunTimes times;
};

Timing everyNth(const std::vector<double>& ms, int period, int phase) {
    std::vector<double> picked;
    for (std::size_t i = static_cast<std::size_t>(phase); i < ms.size();
         i += static_cast<std::size_t>(period))
        picked.push_back(ms[i]);
    return summarise(std::move(picked));
}

}  // namespace

// Google Benchmark times each run as one repetition of one iteration, so that the
// figure is the median of single runs (the pages differ from run to run) and the
// set-up before each run stays outside the timed part.
RunTimes measureEach(int runs, const std::function<void(int)>& setup,
                     const std::function<void(int)>& body) {
    runs = std::max(1, runs);
    int run = 0;
    benchmark::RegisterBenchmark("leafmark",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         if (setup) {
                                             state.PauseTiming();
                                             setup(run);
                                             state.ResumeTiming();
                                         }
                                         body(run);
                                     }
                                     ++run;
                                 })
        ->Iterations(1)
        ->Repetitions(runs)
        ->ReportAggregatesOnly(false)
        ->UseRealTime();
    RunReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::ClearRegisteredBenchmarks();
    return std::move(reporter.times);
}

Timing measure(int runs, const std::function<void(int)>& setup,
               const std::function<void(int)>& body, Clock clock) {
    RunTimes times = measureEach(runs, setup, body);
    return summarise(std::move(clock == Clock::ThreadCpu ? times.cpuMs : times.wallMs));
}

Timing RunTimes::every(int period, int phase, Clock clock) const {
    return everyNth(clock == Clock::ThreadCpu ? cpuMs : wallMs, std::max(1, period), phase);
}

Timing measure(int runs, const std::function<void(int)>& body, Clock clock) {
    return measure(runs, nullptr, body, clock);
}

Timing summarise(std::vector<double> ms) {
    if (ms.empty()) return Timing{};
    std::sort(ms.begin(), ms.end());
    const std::size_t mid = ms.size() / 2;
    const double median = ms.size() % 2 ? ms[mid] : (ms[mid - 1] + ms[mid]) / 2.0;
    return Timing{median, ms.front(), static_cast<int>(ms.size())};
}

void Table::section(const std::string& title) {
    std::printf("\n== %s\n%-46s %12s %12s   %-32s %12s %8s\n", title.c_str(), "figure", "median",
                "min", "floor", "median", "ratio");
    std::fflush(stdout);
}

void Table::row(const std::string& figure, const Timing& ours, const std::string& floorName,
                const Timing& floor) {
    const double ratio = floor.medianMs > 0 ? ours.medianMs / floor.medianMs : 0.0;
    std::printf("%-46s %9.3f ms %9.3f ms   %-32s %9.3f ms %7.2fx\n", figure.c_str(), ours.medianMs,
                ours.minMs, floorName.c_str(), floor.medianMs, ratio);
    std::fflush(stdout);
}

void Table::rate(const std::string& figure, double oursPerSecond, const std::string& floorName,
                 double floorPerSecond) {
    const double ratio = oursPerSecond > 0 ? floorPerSecond / oursPerSecond : 0.0;
    std::printf("%-46s %8.2f p/s %12s   %-32s %8.2f p/s %7.2fx\n", figure.c_str(), oursPerSecond,
                "", floorName.c_str(), floorPerSecond, ratio);
    std::fflush(stdout);
}

void Table::note(const std::string& text) {
    std::printf("   %s\n", text.c_str());
    std::fflush(stdout);
}

}  // namespace leafmark::bench
