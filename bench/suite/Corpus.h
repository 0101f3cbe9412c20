#pragma once
// The pages the benchmarks run on: seeded 300-dpi Group 4 letter pages made by the
// page maker in a temporary folder, with their recorded skew angles.

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "pagemaker/PageMaker.h"

namespace leafmark::bench {

struct Corpus {
    QTemporaryDir dir;               // removed with the corpus
    std::vector<std::string> paths;  // page files, UTF-8
    std::vector<pagemaker::PageInfo> pages;
    std::string outDir;      // an empty folder for saved pages
    double makeSeconds = 0;  // time the page maker took
};

// Makes `count` pages of `kind` from `seed`; null (with a message on stderr) on failure.
std::unique_ptr<Corpus> makeCorpus(int count, std::uint64_t seed,
                                   pagemaker::PageKind kind = pagemaker::PageKind::Group4);

}  // namespace leafmark::bench
