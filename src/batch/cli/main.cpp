// leafmark-batch: the batch window's pre- and post-process run without a window.
//   leafmark-batch pre|post SOURCE OUTPUT [--despeckle] [--deskew] [--margin INCHES] [--jobs N]
//   [--quiet]
//                  [--report FILE] [--resume] [--shard K/N]
// Exit status: 0 every page done; 1 some pages could not be processed; 2 bad
// arguments or folders; 130 stopped by Ctrl-C (pages in progress are finished first).
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "batch/core/BatchRun.h"
#include "batch/core/PageShards.h"
#include "batch/core/ResumeJournal.h"
#include "batch/core/RunReport.h"
#include "batch/core/RunText.h"
#include "cli/CommandLine.h"
#include "imaging/engine/Leftovers.h"
#include "shared/FileList.h"
#include "shared/NativePath.h"

using namespace leafmark;
using namespace leafmark::batch;

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
    std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program at once
}

const char* const kUsage =
    "usage: leafmark-batch pre|post SOURCE OUTPUT [--despeckle] [--deskew] "
    "[--margin INCHES] [--jobs N] [--quiet] [--report FILE] [--resume] [--shard K/N]\n";

const char* const kHelp =
    "Runs the batch clean-up over the pages of SOURCE and writes them into OUTPUT\n"
    "(which may be SOURCE itself). End-of-document files are copied along.\n"
    "\n"
    "  pre           clean every page with the options chosen below\n"
    "  post          straighten the pages marked as changed; copy the others\n"
    "\n"
    "  --despeckle         remove isolated specks (pre)\n"
    "  --deskew            straighten skewed pages (pre)\n"
    "  --margin INCHES     whiten a margin this wide on every side (pre)\n"
    "  -j, --jobs N        pages worked on at once, 1 to 256 (default: one per core)\n"
    "  -q, --quiet         no progress bar\n"
    "  --report FILE       write one JSON line per entry: outcome, angle, specks, time\n"
    "  --resume            skip entries an earlier run of the same kind and options\n"
    "                      finished (the list is kept in OUTPUT/.leafmark-done)\n"
    "  --shard K/N         work on the K-th of N fixed slices of the page list only\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "Options take their value as \"--margin 0.5\" or \"--margin=0.5\".\n"
    "\n"
    "Exit status: 0 every page done; 1 some pages could not be processed (kept\n"
    "as they were); 2 bad arguments or folders; 130 stopped by Ctrl-C (pages in\n"
    "progress are finished first).\n";

int fail(const QString& message) {
    std::fprintf(stderr, "leafmark-batch: %s\n", qPrintable(message));
    return 2;
}

int fail(const imaging::Status& status) { return fail(fromNativePath(status.reason())); }

// A failure naming `text`, with the bytes of any path in it kept.
imaging::Status failure(const QString& text) {
    return imaging::Status::failure(nativePathString(text));
}

struct Arguments {
    RunKind kind = RunKind::PreProcess;
    QString source, output;
    PageOptions options;
    int jobs = 0;
    bool quiet = false;
    QString report;             // JSON lines report file; empty = none
    bool resume = false;        // skip entries an earlier run of the same kind finished
    int shard = 1, shards = 1;  // this run does slice `shard` of `shards`
};

// The options of the command; each takes its value as "--name value" or "--name=value".
std::vector<cli::Option> optionTable() {
    return {{"despeckle", 0, false}, {"deskew", 0, false},  {"margin", 0, true},
            {"jobs", 'j', true},     {"quiet", 'q', false}, {"report", 0, true},
            {"resume", 0, false},    {"shard", 0, true}};
}

// Parses the options read by `line` into `out`.
imaging::Status parse(const cli::CommandLine& line, Arguments& out) {
    const bool preOption = line.has("despeckle") || line.has("deskew") || line.has("margin");
    out.options.despeckle = line.has("despeckle");
    out.options.deskew = line.has("deskew");
    out.quiet = line.has("quiet");
    if (const auto margin = line.value("margin")) {
        const auto inches = cli::finiteNumber(*margin);
        if (!inches || *inches < 0)
            return failure(QStringLiteral("--margin wants a number of inches, not \"%1\"")
                               .arg(fromNativePath(margin->c_str())));
        out.options.marginInches = *inches;
        out.options.marginCleanup = true;
    }
    if (const auto jobs = line.value("jobs")) {
        bool ok = false;
        out.jobs = QString::fromStdString(*jobs).toInt(&ok);
        if (!ok || out.jobs < 1 || out.jobs > 256)
            return failure(QStringLiteral("--jobs wants a whole number from 1 to 256, not \"%1\"")
                               .arg(fromNativePath(jobs->c_str())));
    }
    out.resume = line.has("resume");
    if (const auto report = line.value("report")) {
        if (report->empty()) return failure(QStringLiteral("--report needs a file name"));
        out.report = fromNativePath(report->c_str());
    }
    if (const auto shard = line.value("shard")) {
        const QString value = fromNativePath(shard->c_str());
        const QStringList kn = value.split(QLatin1Char('/'));
        bool okK = false, okN = false;
        out.shard = kn.size() == 2 ? kn[0].toInt(&okK) : 0;
        out.shards = kn.size() == 2 ? kn[1].toInt(&okN) : 0;
        if (!okK || !okN || out.shards < 1 || out.shard < 1 || out.shard > out.shards)
            return failure(
                QStringLiteral("--shard wants K/N with 1 <= K <= N, not \"%1\"").arg(value));
    }
    const std::vector<std::string>& positional = line.positional();
    if (positional.size() != 3) return failure(QStringLiteral("wants a run kind and two folders"));
    if (positional[0] == "pre")
        out.kind = RunKind::PreProcess;
    else if (positional[0] == "post")
        out.kind = RunKind::PostProcess;
    else
        return failure(QStringLiteral("the run kind is pre or post, not \"%1\"")
                           .arg(fromNativePath(positional[0].c_str())));
    if (out.kind == RunKind::PostProcess && preOption)
        return failure(QStringLiteral("--despeckle, --deskew and --margin belong to a pre run"));
    out.source = fromNativePath(positional[1].c_str());
    out.output = fromNativePath(positional[2].c_str());
    return imaging::Status::success();
}

// Succeeds when `folder` is a folder this program can use, whatever bytes its name holds.
imaging::Status checkFolder(const QString& folder, bool writable) {
    const QByteArray native = nativePath(folder);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return failure(QStringLiteral("no such folder: ") + folder);
    if (!S_ISDIR(st.st_mode)) return failure(QStringLiteral("not a folder: ") + folder);
    if (::access(native.constData(), R_OK) != 0)
        return failure(QStringLiteral("cannot read the folder ") + folder);
    if (writable) {
        QByteArray probe = native + "/.leafmark-probe-XXXXXX";
        const int fd = ::mkstemp(probe.data());
        if (fd < 0) return failure(QStringLiteral("cannot write into the folder ") + folder);
        ::close(fd);
        ::unlink(probe.constData());
    }
    return imaging::Status::success();
}

// `path` made absolute against the working folder, whatever bytes either name holds.
QString absolutePath(const QString& path) {
    if (path.startsWith(QLatin1Char('/'))) return QDir::cleanPath(path);
    char* cwd = ::getcwd(nullptr, 0);
    const QString working = cwd ? fromNativePath(cwd) : QDir::currentPath();
    std::free(cwd);
    return QDir::cleanPath(working + QLatin1Char('/') + path);
}

// What a done-list belongs to: the run kind, both folders and the clean-up options.
QString runSignature(const Arguments& a, const QString& source, const QString& output) {
    QString s = a.kind == RunKind::PostProcess ? QStringLiteral("post") : QStringLiteral("pre");
    if (a.kind == RunKind::PreProcess)
        s += QStringLiteral(" despeckle=%1 deskew=%2 margin=%3")
                 .arg(int(a.options.despeckle))
                 .arg(int(a.options.deskew))
                 .arg(a.options.marginCleanup ? a.options.marginInches : -1.0, 0, 'g', 17);
    return s + QLatin1Char('\t') + source + QLatin1Char('\t') + output;
}

void drawProgress(int done, int total, const QString& name) {
    constexpr int kWidth = 30;
    const int filled = total > 0 ? done * kWidth / total : kWidth;
    std::printf("\r[%s%s] %d/%d %-24.24s", QByteArray(filled, '#').constData(),
                QByteArray(kWidth - filled, ' ').constData(), done, total, qPrintable(name));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    cli::CommandLine line(optionTable());
    if (!line.parse(argc, argv)) {
        std::fputs(kUsage, stderr);
        return fail(QString::fromStdString(line.error()));
    }
    if (line.has("help")) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (line.has("version")) {
        std::printf("%s\n", cli::versionLine("leafmark-batch").c_str());
        return 0;
    }
    Arguments args;
    if (const imaging::Status parsed = parse(line, args); !parsed) {
        std::fputs(kUsage, stderr);
        return fail(parsed);
    }
    if (const imaging::Status usable = checkFolder(args.source, false); !usable)
        return fail(usable);
    if (const imaging::Status usable = checkFolder(args.output, true); !usable) return fail(usable);

    const QString source = absolutePath(args.source);
    // An end-of-document file a killed save had moved aside is put back before the
    // listing, so that it is copied too.
    imaging::sweepLeftovers(nativePath(source).toStdString());
    FileList list;
    list.read(source, kPageAndEodPatterns);
    const QString output = absolutePath(args.output);
    QStringList names = shardOf(list.names(), args.shard, args.shards);

    ReportWriter report;
    if (!args.report.isEmpty())
        if (const imaging::Status opened = report.open(args.report); !opened) return fail(opened);
    // A report line that cannot be written is said on standard error; the run goes on.
    const auto writeReport = [&](const QByteArray& line) {
        if (report.isOpen() && !report.write(line))
            std::fprintf(stderr, "leafmark-batch: cannot write the report %s\n",
                         cli::escaped(nativePathString(args.report)).c_str());
    };

    // Every run keeps its done-list in the output folder; --resume reads it back.
    ResumeJournal journal;
    const QString journalName =
        args.shards > 1 ? QStringLiteral(".leafmark-done-%1-of-%2").arg(args.shard).arg(args.shards)
                        : QStringLiteral(".leafmark-done");
    if (const imaging::Status opened = journal.open(
            QDir(output).filePath(journalName), runSignature(args, source, output), args.resume);
        !opened)
        return fail(opened);
    int skipped = 0;
    if (args.resume) {
        QStringList left;
        for (const QString& name : names) {
            if (journal.isDone(name, QDir(source).filePath(name), QDir(output).filePath(name))) {
                ++skipped;
                writeReport(skippedLine(name));
            } else {
                left << name;
            }
        }
        names = left;
    }
    int total = 0;
    for (const QString& name : names)
        if (!hasEodExtension(name)) ++total;

    BatchRun::Setup setup;
    setup.kind = args.kind;
    setup.source = source;
    setup.output = output;
    setup.names = names;
    setup.workers = args.jobs;
    BatchRun run(std::move(setup));
    run.setOptionsProvider([&args] { return args.options; });
    run.setStopCheck([] { return interrupted.load(); });

    const bool tty = !args.quiet && isatty(STDOUT_FILENO) == 1;
    int done = 0;
    QObject::connect(&run, &BatchRun::pageCommitted, [&](const PageOutcome& outcome) {
        if (outcome.kind == PageOutcome::Kind::Failed)
            std::fprintf(stderr, "%s%s: not processed: %s\n", tty ? "\r\n" : "",
                         cli::escaped(nativePathString(outcome.name)).c_str(),
                         cli::escaped(nativePathString(outcome.reason)).c_str());
        else
            journal.record(outcome.name, QDir(source).filePath(outcome.name),
                           QDir(output).filePath(outcome.name));
        writeReport(reportLine(outcome));
        if (outcome.endOfDocument) return;
        ++done;
        if (tty)
            drawProgress(done, total,
                         QString::fromStdString(cli::escaped(nativePathString(outcome.name))));
    });
    QObject::connect(
        &run, &BatchRun::finished, &app, [&app] { app.quit(); }, Qt::QueuedConnection);
    std::signal(SIGINT, onInterrupt);

    run.start();
    if (run.isRunning())
        app.exec();
    else
        QCoreApplication::processEvents();

    if (tty && total > 0) std::printf("\n");
    if (skipped > 0) std::printf("%d entries done by an earlier run were skipped\n", skipped);
    std::printf("%s\n", qPrintable(summaryLine(run.summary())));
    if (!run.summary().completed) return 130;
    return run.summary().failures > 0 ? 1 : 0;
}
