// Listing a folder of page files: the program's file list ("*.tif*", sorted without
// regard to case) beside a bare readdir of the same folder; opening it with the folder
// ruler beside opening it without; and the operator's whole opening (the first page
// decoded and painted too), with and without the ruler.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Benchmarks.h"
#include "imaging/widget/PageView.h"
#include "pages/FolderMarks.h"
#include "pages/FolderProposals.h"
#include "pages/MarkerScan.h"
#include "shared/FileList.h"

namespace leafmark::bench {
namespace {

// Every page name is a hard link to one generated page, so the marker scan and
// the first page read real files; every 20th page closes a document with an
// end-of-document file, and every 500th name is an ".EOD" the pattern leaves out.
bool makeFolder(const std::string& folder, const std::string& page, int files) {
    const auto create = [&](const char* name, bool endOfDocument) {
        const int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0) return false;
        const bool written = !endOfDocument || ::write(fd, "EOD\r\n", 5) == 5;
        return ::close(fd) == 0 && written;
    };
    for (int i = 1; i <= files; ++i) {
        char name[64];
        if (i % 500 == 0) {
            std::snprintf(name, sizeof name, "/%08d.EOD", i);
            if (!create(name, false)) return false;
            continue;
        }
        std::snprintf(name, sizeof name, "/%08d.tif", i);
        if (::link(page.c_str(), (folder + name).c_str()) != 0) return false;
        std::snprintf(name, sizeof name, "/%08dZZZ.EOD", i);
        if (i % 20 == 0 && !create(name, true)) return false;
    }
    return true;
}

// Rows for runs that take turns: run number modulo `period` is 0 for the floor,
// `phase` for the figure.
void turnRows(Table& table, const RunTimes& times, int period, int phase, const std::string& figure,
              const std::string& floor) {
    table.row(figure, times.every(period, phase, Clock::Wall), floor,
              times.every(period, 0, Clock::Wall));
    table.row("  the same, thread processor time", times.every(period, phase, Clock::ThreadCpu),
              floor, times.every(period, 0, Clock::ThreadCpu));
}

}  // namespace

void runFolderBench(int files, int runs, Table& table) {
    QTemporaryDir dir;
    const std::unique_ptr<Corpus> page = makeCorpus(1, 1);
    if (!dir.isValid() || !page) return;
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    if (!makeFolder(folder, page->paths[0], files)) {
        std::fprintf(stderr, "leafmark-bench: cannot make the folder of %d pages\n", files);
        return;
    }

    table.section("folder of " + std::to_string(files) + " page files, " + std::to_string(runs) +
                  " runs each");
    int listed = 0;
    FileList list;
    const Timing ours = measure(runs, [&](int) {
        list.read(dir.path(), QStringLiteral("*.tif*"));
        listed = list.count();
    });
    std::size_t seen = 0;
    const Timing floor = measure(runs, [&](int) {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(folder.c_str())) {
            while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
            ::closedir(d);
        }
        seen = names.size();
    });
    table.row("FileList read \"*.tif*\"", ours, "readdir", floor);

    // Opening with the ruler: the list, the document starts from the end-of-document
    // files, and the background marker scan started (not waited for), against the
    // list alone as the folder was opened before. Runs with and without the ruler
    // take turns, so both meet the same load on the machine and the same state of
    // memory. Untimed before each run: the scan left by the run before is stopped
    // (an operator opens one folder, not one while the last is still being
    // scanned), and before a run without the ruler its documents are dropped.
    FolderMarks marks;
    MarkerScan scan;
    const RunTimes opening = measureEach(
        2 * runs,
        [&](int run) {
            scan.stop();
            if (run % 2 == 0) marks.clear();
        },
        [&](int run) {
            list.read(dir.path(), QStringLiteral("*.tif*"));
            if (run % 2 == 0) return;
            marks.reset(list);
            scan.start(list.folder(), list.names());
        });
    turnRows(table, opening, 2, 1, "FileList read + document starts + marker scan started",
             "FileList read");

    // The operator's whole opening: the list, the first page loaded, fitted and
    // painted into a 1920 x 1080 view; with the ruler also its documents and the
    // marker scan started (the ruler's own paint is the window's, not timed here);
    // and with the separator sheets as well,
    // their background scan started and the starts they propose brought up to date.
    imaging::PageView view;
    view.resize(1920, 1080);
    view.show();
    FolderProposals proposals(marks);
    QCoreApplication::processEvents();
    const RunTimes whole = measureEach(
        3 * runs,
        [&](int) {
            scan.stop();
            marks.clear();
            proposals.start(QString(), QStringList());
        },
        [&](int run) {
            list.read(dir.path(), QStringLiteral("*.tif*"));
            view.LoadPage(QFile::encodeName(dir.filePath(list.at(0))).toStdString());
            view.setSizeMode(imaging::kSizeFitPage);
            view.setBitonalDisplay(imaging::kBitonalScaleToGray);
            view.viewport()->repaint();
            if (run % 3 == 0) return;
            marks.reset(list);
            scan.start(list.folder(), list.names());
            if (run % 3 == 2) {
                proposals.start(list.folder(), list.names());
                proposals.update();
            }
        });
    turnRows(table, whole, 3, 1, "whole opening, first page painted, with the ruler",
             "the same without the ruler");
    turnRows(table, whole, 3, 2, "  with the ruler and separator proposals",
             "the same without the ruler");
    proposals.stop();

    const double start = nowSeconds();
    QEventLoop loop;
    QObject::connect(&scan, &MarkerScan::finished, &loop, &QEventLoop::quit);
    scan.start(list.folder(), list.names());
    loop.exec();
    table.note("background marker scan of " + std::to_string(list.count()) + " pages: " +
               std::to_string(static_cast<int>((nowSeconds() - start) * 1000)) + " ms");
    table.note(std::to_string(listed) + " names listed of " + std::to_string(seen) + " entries, " +
               std::to_string(list.endOfDocumentNames().size()) + " end-of-document files");
}

}  // namespace leafmark::bench
