#pragma once
// The benchmark groups leafmark-bench runs; each prints its rows into the table.

#include "BenchHarness.h"
#include "Corpus.h"

namespace leafmark::bench {

// Engine: load, save, despeckle, deskew, pre-process pipeline. `reps` passes over the corpus.
void runEngineBench(const Corpus& corpus, int reps, Table& table);

// Page view (needs a QApplication): page turn, redisplay per bitonal mode, white-fill.
void runViewBench(const Corpus& corpus, int reps, Table& table);

// Listing a folder of `files` page files with the program's file list vs readdir.
void runFolderBench(int files, int runs, Table& table);

}  // namespace leafmark::bench
