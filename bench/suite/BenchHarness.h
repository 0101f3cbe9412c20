#pragma once
// Timing on Google Benchmark: medians of repeated runs, printed as a table of figures
// beside their floors (the least work the same job needs), with the ratio of the two.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace leafmark::bench {

struct Timing {
    double medianMs = 0;
    double minMs = 0;
    int runs = 0;
};

// What a run's time is: time on the wall clock, or processor time of the thread
// running it (which other work on the machine does not stretch).
enum class Clock { Wall, ThreadCpu };

// Times `body` `runs` times (runs >= 1); `setup` runs before each timed call and is
// not counted. `body` gets the run number (0-based) and runs on the calling thread.
Timing measure(int runs, const std::function<void(int)>& setup,
               const std::function<void(int)>& body, Clock clock = Clock::Wall);
Timing measure(int runs, const std::function<void(int)>& body, Clock clock = Clock::Wall);
// The time of every run, in run order, on both clocks: for figures whose runs
// alternate with their floor's, so that both meet the same state of the machine.
struct RunTimes {
    std::vector<double> wallMs;
    std::vector<double> cpuMs;
    // The runs whose number is `phase` modulo `period`, summarised.
    Timing every(int period, int phase, Clock clock) const;
};
RunTimes measureEach(int runs, const std::function<void(int)>& setup,
                     const std::function<void(int)>& body);
// Median, fastest and count of a set of times in milliseconds; all zero when empty.
Timing summarise(std::vector<double> ms);

// Prints rows as they are measured (so a long run shows progress).
class Table {
  public:
    // A heading line for a group of rows.
    void section(const std::string& title);
    // One figure beside its floor; ratio = figure / floor (times slower than the floor).
    void row(const std::string& figure, const Timing& ours, const std::string& floorName,
             const Timing& floor);
    // A throughput figure (pages per second) beside its floor; ratio = floor / ours.
    void rate(const std::string& figure, double oursPerSecond, const std::string& floorName,
              double floorPerSecond);
    // A free line of information (accuracy figures and the like).
    void note(const std::string& text);
};

// Seconds since an arbitrary start, for whole-run totals.
inline double nowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace leafmark::bench
