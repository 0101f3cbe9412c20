// Listing a folder of page files: the program's file list ("*.tif*", sorted without
// regard to case) beside a bare readdir of the same folder.

#include "Benchmarks.h"

#include "shared/FileList.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

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

    table.section("folder of " + std::to_string(files) + " page files, " + std::to_string(runs) + " runs each");
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
    table.note(std::to_string(listed) + " names listed of " + std::to_string(seen) + " entries");
}

}  // namespace leafmark::bench
