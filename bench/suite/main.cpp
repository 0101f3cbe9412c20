// leafmark-bench: times the page engine, the page view and the folder list on
// generated pages and prints each figure beside its floor. Numbers only; nothing
// is asserted.
//   leafmark-bench [--pages N] [--reps R] [--files F] [--seed S] [--only engine,view,folder]

#include <QApplication>
#include <cstdio>
#include <string>

#include "Benchmarks.h"
#include "cli/CommandLine.h"

using namespace leafmark::bench;

namespace {

// The help as the program has always printed it; "--help-all" shows the same.
const char* const kHelp =
    "Usage: %s [options]\n"
    "Leafmark benchmarks (medians of repeated runs).\n"
    "\n"
    "Options:\n"
    "  -h, --help       Displays help on commandline options.\n"
    "  --help-all       Displays help including Qt specific options.\n"
    "  --pages <N>      Generated pages (default 20).\n"
    "  --reps <R>       Passes over the pages (default 3).\n"
    "  --files <F>      Files in the listed folder (default 10000).\n"
    "  --seed <S>       Page maker seed (default 1).\n"
    "  --only <GROUPS>  Comma-separated groups: engine, view, folder (default all).\n";

int usageError(const std::string& text) {
    std::fprintf(stderr, "leafmark-bench: %s\n", text.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    leafmark::cli::CommandLine line({{"help-all", 0, false},
                                     {"pages", 0, true},
                                     {"reps", 0, true},
                                     {"files", 0, true},
                                     {"seed", 0, true},
                                     {"only", 0, true}});
    if (!line.parse(argc, argv)) return usageError(line.error());
    if (line.has("help") || line.has("help-all")) {
        std::printf(kHelp, argv[0]);
        return 0;
    }
    if (line.has("version")) {
        std::printf("%s\n", leafmark::cli::versionLine("leafmark-bench").c_str());
        return 0;
    }
    if (!line.positional().empty())
        return usageError("unexpected argument " + line.positional().front());
    const auto value = [&line](const char* name, const char* otherwise) {
        return QString::fromStdString(line.value(name).value_or(otherwise));
    };

    bool ok[4] = {};
    const int pageCount = value("pages", "20").toInt(&ok[0]);
    const int repCount = value("reps", "3").toInt(&ok[1]);
    const int fileCount = value("files", "10000").toInt(&ok[2]);
    const auto seedValue = value("seed", "1").toULongLong(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || pageCount < 1 || repCount < 1 || fileCount < 1) {
        std::fprintf(stderr,
                     "leafmark-bench: --pages, --reps, --files and --seed take positive numbers\n");
        return 2;
    }
    const QStringList groups =
        value("only", "engine,view,folder").split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& g : groups)
        if (g != QLatin1String("engine") && g != QLatin1String("view") &&
            g != QLatin1String("folder")) {
            std::fprintf(stderr, "leafmark-bench: unknown group %s\n", qPrintable(g));
            return 2;
        }

    Table table;
    const double start = nowSeconds();
    std::unique_ptr<Corpus> corpus;
    if (groups.contains(QLatin1String("engine")) || groups.contains(QLatin1String("view"))) {
        corpus = makeCorpus(pageCount, seedValue);
        if (!corpus) return 1;
        std::printf("Made %d Group 4 letter pages in %.2f s (%.1f pages/s) with the page maker\n",
                    pageCount, corpus->makeSeconds, pageCount / corpus->makeSeconds);
    }
    std::printf("ratio = figure / floor (times the floor's time); p/s = pages per second\n");
    if (groups.contains(QLatin1String("engine"))) runEngineBench(*corpus, repCount, table);
    if (groups.contains(QLatin1String("view"))) runViewBench(*corpus, repCount, table);
    if (groups.contains(QLatin1String("folder"))) runFolderBench(fileCount, 15, table);
    std::printf("\nTotal %.1f s\n", nowSeconds() - start);
    return 0;
}
