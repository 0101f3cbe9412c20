#pragma once
// Fixed slices of a page list, so that N machines or scheduler jobs can share one
// folder without talking to each other: slice K of N holds the K-th block of the
// pages in list order, and each end-of-document file goes with the slice of its page.

#include <QStringList>

namespace leafmark::batch {

// The entries of `names` (a sorted page list) in slice `k` of `n` (1 <= k <= n).
// Every entry is in exactly one slice; the slices keep the list order.
QStringList shardOf(const QStringList& names, int k, int n);

}  // namespace leafmark::batch
