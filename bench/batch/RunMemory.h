#pragma once
// Resident memory of whole batch runs as the folder grows.

#include <QString>

namespace leafmark::bench {

// Runs `program` (leafmark-batch) as a pre-process (0.25 inch margin, despeckle,
// deskew) with `jobs` workers over `small` and then `large` copies of one generated
// 300 dpi Group 4 letter page, each run in a process of its own, and prints each
// run's peak resident memory as the kernel counted it, its pages per second, and
// the large run's memory as a share of the small one's. False when a run failed.
bool reportRunMemory(const QString& program, int small, int large, int jobs);

}  // namespace leafmark::bench
