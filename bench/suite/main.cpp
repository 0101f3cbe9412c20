// leafmark-bench: times the page engine, the page view and the folder list on
// generated pages and prints each figure beside its floor. Numbers only; nothing
// is asserted.
//   leafmark-bench [--pages N] [--reps R] [--files F] [--seed S] [--only engine,view,folder]

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "Benchmarks.h"

using namespace leafmark::bench;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Leafmark benchmarks (medians of repeated runs)."));
    parser.addHelpOption();
    const QCommandLineOption pages(QStringLiteral("pages"),
                                   QStringLiteral("Generated pages (default 20)."),
                                   QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption reps(QStringLiteral("reps"),
                                  QStringLiteral("Passes over the pages (default 3)."),
                                  QStringLiteral("R"), QStringLiteral("3"));
    const QCommandLineOption files(QStringLiteral("files"),
                                   QStringLiteral("Files in the listed folder (default 10000)."),
                                   QStringLiteral("F"), QStringLiteral("10000"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Page maker seed (default 1)."),
                                  QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption only(
        QStringLiteral("only"),
        QStringLiteral("Comma-separated groups: engine, view, folder (default all)."),
        QStringLiteral("GROUPS"), QStringLiteral("engine,view,folder"));
    parser.addOptions({pages, reps, files, seed, only});
    parser.process(app);

    bool ok[4] = {};
    const int pageCount = parser.value(pages).toInt(&ok[0]);
    const int repCount = parser.value(reps).toInt(&ok[1]);
    const int fileCount = parser.value(files).toInt(&ok[2]);
    const auto seedValue = parser.value(seed).toULongLong(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || pageCount < 1 || repCount < 1 || fileCount < 1) {
        std::fprintf(stderr,
                     "leafmark-bench: --pages, --reps, --files and --seed take positive numbers\n");
        return 2;
    }
    const QStringList groups = parser.value(only).split(QLatin1Char(','), Qt::SkipEmptyParts);
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
