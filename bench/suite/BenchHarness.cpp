#include "BenchHarness.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace leafmark::bench {
namespace {

// Keeps the time of every repetition of the benchmark just run, in milliseconds.
class RunTimes : public benchmark::BenchmarkReporter {
  public:
    explicit RunTimes(Clock clock) : clock_(clock) {}
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const double seconds =
                clock_ == Clock::ThreadCpu ? r.cpu_accumulated_time : r.real_accumulated_time;
            ms.push_back(seconds * 1000.0 /
                         static_cast<double>(std::max<benchmark::IterationCount>(1, r.iterations)));
        }
    }
    std::vector<double> ms;

  private:
    Clock clock_;
};

}  // namespace

// Google Benchmark times each run as one repetition of one iteration, so that the
// figure is the median of single runs (the pages differ from run to run) and the
// set-up before each run stays outside the timed part.
Timing measure(int runs, const std::function<void(int)>& setup,
               const std::function<void(int)>& body, Clock clock) {
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
    RunTimes times(clock);
    benchmark::RunSpecifiedBenchmarks(&times);
    benchmark::ClearRegisteredBenchmarks();
    return summarise(std::move(times.ms));
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
