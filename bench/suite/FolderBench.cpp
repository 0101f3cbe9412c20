// Listing a folder of page files: the program's file list ("*.tif*", sorted without
// regard to case) beside a bare readdir of the same folder.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "Benchmarks.h"
#include "pages/FolderMarks.h"
#include "pages/MarkerScan.h"
#include "shared/FileList.h"

namespace leafmark::bench {

void runFolderBench(int files, int runs, Table& table) {
    QTemporaryDir dir;
    if (!dir.isValid()) return;
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    // Page files (empty: only names are read) and a few others the pattern leaves out.
    for (int i = 1; i <= files; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/%08d.%s", i, i % 500 == 0 ? "EOD" : "tif");
        const int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) ::close(fd);
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
    // list alone as the folder was opened before.
    FolderMarks marks;
    MarkerScan scan;
    // The scan started by the run before is stopped first, untimed: an operator
    // opens one folder, not one while the last is still being scanned.
    const Timing withRuler = measure(
        runs, [&](int) { scan.stop(); },
        [&](int) {
            list.read(dir.path(), QStringLiteral("*.tif*"));
            marks.reset(list.folder(), list.names());
            scan.start(list.folder(), list.names());
        });
    table.row("FileList read + document starts + marker scan started", withRuler, "FileList read",
              ours);
    const double start = nowSeconds();
    QEventLoop loop;
    QObject::connect(&scan, &MarkerScan::finished, &loop, &QEventLoop::quit);
    scan.start(list.folder(), list.names());
    loop.exec();
    table.note("background marker scan of " + std::to_string(list.count()) + " pages: " +
               std::to_string(static_cast<int>((nowSeconds() - start) * 1000)) + " ms");
    table.note(std::to_string(listed) + " names listed of " + std::to_string(seen) + " entries");
}

}  // namespace leafmark::bench
