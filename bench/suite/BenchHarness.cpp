#include "BenchHarness.h"

#include <algorithm>
#include <cstdio>

namespace leafmark::bench {

Timing measure(int runs, const std::function<void(int)>& setup, const std::function<void(int)>& body) {
    runs = std::max(1, runs);
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        if (setup) setup(i);
        const double t0 = nowSeconds();
        body(i);
        ms.push_back((nowSeconds() - t0) * 1000.0);
    }
    return summarise(std::move(ms));
}

Timing summarise(std::vector<double> ms) {
    if (ms.empty()) return Timing{};
    std::sort(ms.begin(), ms.end());
    const std::size_t mid = ms.size() / 2;
    const double median = ms.size() % 2 ? ms[mid] : (ms[mid - 1] + ms[mid]) / 2.0;
    return Timing{median, ms.front(), static_cast<int>(ms.size())};
}

Timing measure(int runs, const std::function<void(int)>& body) { return measure(runs, nullptr, body); }

void Table::section(const std::string& title) {
    std::printf("\n== %s\n%-46s %12s %12s   %-32s %12s %8s\n", title.c_str(), "figure", "median", "min",
                "floor", "median", "ratio");
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
    std::printf("%-46s %8.2f p/s %12s   %-32s %8.2f p/s %7.2fx\n", figure.c_str(), oursPerSecond, "",
                floorName.c_str(), floorPerSecond, ratio);
    std::fflush(stdout);
}

void Table::note(const std::string& text) {
    std::printf("   %s\n", text.c_str());
    std::fflush(stdout);
}

}  // namespace leafmark::bench
