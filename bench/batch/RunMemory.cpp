#include "RunMemory.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "pagemaker/PageMaker.h"

extern char** environ;

namespace leafmark::bench {

namespace {

struct RunFigures {
    long peakKb = 0;
    double seconds = 0;
};

std::string native(const QString& p) { return QFile::encodeName(p).toStdString(); }

// A folder of `count` names for one page file (hard links, or copies where links fail).
bool fillFolder(const QString& folder, const QString& page, int count) {
    if (!QDir().mkpath(folder)) return false;
    for (int i = 1; i <= count; ++i) {
        const QString name = QDir(folder).filePath(pagemaker::pageFileName(i));
        if (::link(native(page).c_str(), native(name).c_str()) != 0 && !QFile::copy(page, name))
            return false;
    }
    return true;
}

// Runs the program to its end with its output thrown away; the peak resident set of
// that one process comes from wait4.
bool runOnce(const QString& program, const QStringList& args, RunFigures* out) {
    std::vector<std::string> words{native(program)};
    for (const QString& a : args) words.push_back(native(a));
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    out->seconds = clock.nsecsElapsed() / 1e9;
    out->peakKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool reportRunMemory(const QString& program, int small, int large, int jobs) {
    QTemporaryDir tmp;
    if (!tmp.isValid()) return false;
    const QString page = tmp.filePath(QStringLiteral("page.tif"));
    QString error;
    if (!pagemaker::makePageFile({pagemaker::PageKind::Group4, 7, 2.5, 8, false, {}}, page,
                                 &error)) {
        std::fprintf(stderr, "cannot make the page: %s\n", qPrintable(error));
        return false;
    }
    RunFigures figures[2];
    const int counts[2] = {small, large};
    for (int i = 0; i < 2; ++i) {
        const QString in = tmp.filePath(QStringLiteral("in%1").arg(counts[i]));
        const QString out = tmp.filePath(QStringLiteral("out%1").arg(counts[i]));
        if (!fillFolder(in, page, counts[i]) || !QDir().mkpath(out)) {
            std::fprintf(stderr, "cannot fill %s\n", qPrintable(in));
            return false;
        }
        const QStringList args{QStringLiteral("pre"),
                               in,
                               out,
                               QStringLiteral("--despeckle"),
                               QStringLiteral("--deskew"),
                               QStringLiteral("--margin"),
                               QStringLiteral("0.25"),
                               QStringLiteral("--jobs"),
                               QString::number(jobs),
                               QStringLiteral("--quiet")};
        if (!runOnce(program, args, &figures[i])) {
            std::fprintf(stderr, "%s failed on %d pages\n", qPrintable(program), counts[i]);
            return false;
        }
        std::printf("%-44s %7ld KB peak resident (%.2f pages/s)\n",
                    qPrintable(QStringLiteral("leafmark-batch pre, %1 pages, %2 workers")
                                   .arg(counts[i])
                                   .arg(jobs)),
                    figures[i].peakKb, counts[i] / figures[i].seconds);
        std::fflush(stdout);
        QDir(in).removeRecursively();
        QDir(out).removeRecursively();
    }
    std::printf("resident memory, %d pages against %d: x%.3f (goal: within 10%%)\n", large, small,
                static_cast<double>(figures[1].peakKb) / std::max(1L, figures[0].peakKb));
    return true;
}

}  // namespace leafmark::bench
