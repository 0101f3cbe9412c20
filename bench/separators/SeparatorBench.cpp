// leafmark-separator-bench [--pages N] [--reps R] [--seed S] [--folder F]
// Makes N seeded 300-dpi Group 4 letter pages of text, N blank pages (specks, edge
// strips) and N separator sheets (Code 128 and QR, turned and specked), then prints
// per page, each beside libtiff's bare strip decode of the same pages (the floor):
//   - the engine's decode (LoadPage);
//   - separator reading on the decoded page (working copy, barcodes, ink);
//   - the whole reading of a page file (decode + the above);
// and page turns (the engine's decode of the next page, wall time) alone and while
// the background scanner reads a folder of F pages (hard links to the pages made).
// Times are thread CPU time (this machine may be shared; waiting for a core is not
// the page's cost), medians and fastest of the runs. Nothing is asserted.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

#include "BenchHarness.h"
#include "Corpus.h"
#include "RawTiff.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/separators/SeparatorDetect.h"
#include "pagemaker/SeparatorSheet.h"
#include "pages/SeparatorScanner.h"

using namespace leafmark;
using namespace leafmark::bench;

namespace {

Timing measureCpu(int runs, const std::function<void(int)>& body) {
    return measure(runs, body, Clock::ThreadCpu);
}

void runKind(const std::string& title, const std::vector<std::string>& paths, int reps,
             Table& table) {
    const int n = static_cast<int>(paths.size());
    const int runs = n * reps;
    auto path = [&](int r) { return paths[static_cast<std::size_t>(r % n)]; };
    std::vector<imaging::PixPtr> decoded;
    std::vector<int> dpi;
    imaging::PageEngine engine;
    int found = 0;
    for (const auto& p : paths) {
        if (const auto loaded = engine.LoadPage(p); !loaded) {
            table.note("cannot load " + p + ": " + loaded.reason());
            return;
        }
        decoded.emplace_back(pixClone(engine.pix()));
        dpi.push_back(engine.XResolution());
        found += static_cast<int>(
            imaging::readSeparatorPage(p, imaging::defaultSymbologies()).barcodes.size());
    }
    table.section(title + ", " + std::to_string(n) + " pages, " + std::to_string(runs) +
                  " runs each (" + std::to_string(found) + " barcodes read)");
    const Timing raw = measureCpu(runs, [&](int r) { rawDecode(path(r)); });
    const Timing load = measureCpu(runs, [&](int r) { engine.LoadPage(path(r)); });
    const Timing detect = measureCpu(runs, [&](int r) {
        imaging::readSeparatorPix(decoded[static_cast<std::size_t>(r % n)].get(),
                                  dpi[static_cast<std::size_t>(r % n)],
                                  imaging::defaultSymbologies());
    });
    const Timing whole = measureCpu(
        runs, [&](int r) { imaging::readSeparatorPage(path(r), imaging::defaultSymbologies()); });
    table.row("LoadPage", load, "libtiff strip decode", raw);
    table.row("separator reading of a decoded page", detect, "libtiff strip decode", raw);
    table.row("separator reading of a page file", whole, "libtiff strip decode", raw);
}

// Page turns through the made pages, alone and while a scanner reads a folder of
// `count` pages (hard links to the text pages and sheets, so nothing is kept warm
// for it).
void runTurnsDuringScan(const Corpus& corpus, const std::vector<std::string>& sheets, int count,
                        Table& table) {
    const QString folder = corpus.dir.filePath(QStringLiteral("folder"));
    QDir().mkpath(folder);
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        const std::string& from =
            i % 10 == 3 ? sheets[static_cast<std::size_t>(i) % sheets.size()]
                        : corpus.paths[static_cast<std::size_t>(i) % corpus.paths.size()];
        const QString name = QStringLiteral("%1.tif").arg(i + 1, 8, 10, QLatin1Char('0'));
        if (::link(from.c_str(), QFile::encodeName(folder + QLatin1Char('/') + name).constData()) !=
            0) {
            table.note("cannot link the folder's pages");
            return;
        }
        entries << name;
    }
    const int turns = 60;
    imaging::PageEngine engine;
    auto turn = [&](int r) {
        engine.LoadPage(corpus.paths[static_cast<std::size_t>(r) % corpus.paths.size()]);
    };
    table.section("page turns (engine decode of the next page, wall time) while " +
                  std::to_string(count) + " pages are read in the background");
    const Timing alone = measure(turns, turn);
    SeparatorScanner scanner;
    const double start = nowSeconds();
    scanner.scan(folder, entries);
    const Timing during = measure(turns, turn);
    const int readDuring = scanner.pagesRead();
    // The scanner runs at idle priority: on a busy machine it may take long, so the wait is
    // bounded.
    while (scanner.busy() && nowSeconds() - start < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double whole = nowSeconds() - start;
    const int read = scanner.pagesRead();
    scanner.stop();
    table.row("page turn during the scan", during, "page turn alone", alone);
    table.note(std::to_string(readDuring) + " pages read during the turns; " +
               std::to_string(read) + " of " + std::to_string(count) + " pages read in " +
               std::to_string(whole) + " s (" + std::to_string(read / whole) + " pages/s)");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int pages = 10, reps = 3, folderPages = 2000;
    unsigned long long seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--pages"))
            pages = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--reps"))
            reps = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--folder"))
            folderPages = std::atoi(argv[i + 1]);
    }
    if (pages < 1 || reps < 1) {
        std::fprintf(stderr,
                     "leafmark-separator-bench: --pages and --reps take positive numbers\n");
        return 2;
    }
    auto corpus = makeCorpus(pages, seed);
    if (!corpus) return 1;
    std::vector<std::string> sheets, blanks;
    for (int i = 0; i < pages; ++i) {
        // Blank sheets as scanned: specks and, on every other one, a scanner-edge strip.
        pagemaker::PageSpec blank;
        blank.seed = seed + 500 + static_cast<std::uint64_t>(i);
        blank.textLines = 0;
        blank.specks = 200;
        blank.border = i % 2 == 0;
        const QString path = corpus->dir.filePath(QStringLiteral("blank%1.tif").arg(i));
        QString error;
        if (!pagemaker::makePageFile(blank, path, &error)) {
            std::fprintf(stderr, "leafmark-separator-bench: %s\n", qPrintable(error));
            return 1;
        }
        blanks.push_back(QFile::encodeName(path).toStdString());
    }
    for (int i = 0; i < pages; ++i) {
        const QString path = corpus->dir.filePath(QStringLiteral("sheet%1.tif").arg(i));
        const bool qr = i % 2;
        QString error;
        if (!pagemaker::writeSeparatorSheet(path, 300, qr ? "QRCode" : "Code128",
                                            "SEP-" + std::to_string(1000 + i), (i % 7) - 3.0, 40,
                                            static_cast<quint32>(seed + i), &error)) {
            std::fprintf(stderr, "leafmark-separator-bench: %s\n", qPrintable(error));
            return 1;
        }
        sheets.push_back(QFile::encodeName(path).toStdString());
    }
    std::printf("ratio = figure / floor (times the floor's time)\n");
    Table table;
    runKind("text pages, Group 4 letter at 300 dpi", corpus->paths, reps, table);
    runKind("blank pages (specks, edge strips), Group 4 letter at 300 dpi", blanks, reps, table);
    runKind("separator sheets, Group 4 letter at 300 dpi", sheets, reps, table);
    runTurnsDuringScan(*corpus, sheets, folderPages, table);
    return 0;
}
