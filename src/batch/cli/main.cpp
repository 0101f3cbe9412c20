// leafmark-batch: the batch window's pre- and post-process run without a window.
//   leafmark-batch pre|post SOURCE OUTPUT [--despeckle] [--deskew] [--margin INCHES] [--jobs N]
//                  [--report FILE] [--resume] [--shard K/N]
// Exit status: 0 every page done; 1 some pages could not be processed; 2 bad
// arguments or folders; 130 stopped by Ctrl-C (pages in progress are finished first).
#include "batch/core/BatchRun.h"
#include "batch/core/PageShards.h"
#include "batch/core/ResumeJournal.h"
#include "batch/core/RunReport.h"
#include "batch/core/RunText.h"
#include "shared/FileList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

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
    "[--margin INCHES] [--jobs N] [--report FILE] [--resume] [--shard K/N]\n";

int fail(const QString& message) {
    std::fprintf(stderr, "leafmark-batch: %s\n", qPrintable(message));
    return 2;
}

struct Arguments {
    RunKind kind = RunKind::PreProcess;
    QString source, output;
    PageOptions options;
    int jobs = 0;
    QString report;        // JSON lines report file; empty = none
    bool resume = false;   // skip entries an earlier run of the same kind finished
    int shard = 1, shards = 1;  // this run does slice `shard` of `shards`
};

// Parses the command line; an empty text means success, else the error.
QString parse(const QStringList& args, Arguments& out) {
    QStringList positional;
    bool preOption = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--despeckle")) {
            out.options.despeckle = preOption = true;
        } else if (a == QLatin1String("--deskew")) {
            out.options.deskew = preOption = true;
        } else if (a == QLatin1String("--resume")) {
            out.resume = true;
        } else if (a == QLatin1String("--report") || a == QLatin1String("--shard")) {
            if (i + 1 >= args.size()) return a + QStringLiteral(" needs a value");
            const QString value = args.at(++i);
            if (a == QLatin1String("--report")) {
                if (value.isEmpty()) return QStringLiteral("--report needs a file name");
                out.report = value;
            } else {
                const QStringList kn = value.split(QLatin1Char('/'));
                bool okK = false, okN = false;
                out.shard = kn.size() == 2 ? kn[0].toInt(&okK) : 0;
                out.shards = kn.size() == 2 ? kn[1].toInt(&okN) : 0;
                if (!okK || !okN || out.shards < 1 || out.shard < 1 || out.shard > out.shards)
                    return QStringLiteral("--shard wants K/N with 1 <= K <= N, not \"%1\"").arg(value);
            }
        } else if (a == QLatin1String("--margin") || a == QLatin1String("--jobs")) {
            if (i + 1 >= args.size()) return a + QStringLiteral(" needs a value");
            bool ok = false;
            const QString value = args.at(++i);
            if (a == QLatin1String("--margin")) {
                out.options.marginInches = value.toDouble(&ok);
                if (!ok || out.options.marginInches < 0)
                    return QStringLiteral("--margin wants a number of inches, not \"%1\"").arg(value);
                out.options.marginCleanup = preOption = true;
            } else {
                out.jobs = value.toInt(&ok);
                if (!ok || out.jobs < 1 || out.jobs > 256)
                    return QStringLiteral("--jobs wants a whole number from 1 to 256, not \"%1\"")
                        .arg(value);
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option ") + a;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 3) return QStringLiteral("wants a run kind and two folders");
    if (positional[0] == QLatin1String("pre")) out.kind = RunKind::PreProcess;
    else if (positional[0] == QLatin1String("post")) out.kind = RunKind::PostProcess;
    else return QStringLiteral("the run kind is pre or post, not \"%1\"").arg(positional[0]);
    if (out.kind == RunKind::PostProcess && preOption)
        return QStringLiteral("--despeckle, --deskew and --margin belong to a pre run");
    out.source = positional[1];
    out.output = positional[2];
    return {};
}

// An empty text when `folder` is a folder this program can use, else why not.
QString checkFolder(const QString& folder, bool writable) {
    const QFileInfo info(folder);
    if (!info.exists()) return QStringLiteral("no such folder: ") + folder;
    if (!info.isDir()) return QStringLiteral("not a folder: ") + folder;
    if (!info.isReadable()) return QStringLiteral("cannot read the folder ") + folder;
    if (writable) {
        QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".leafmark-probe-XXXXXX")));
        if (!probe.open()) return QStringLiteral("cannot write into the folder ") + folder;
    }
    return {};
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
    Arguments args;
    if (const QString error = parse(app.arguments(), args); !error.isEmpty()) {
        std::fputs(kUsage, stderr);
        return fail(error);
    }
    if (const QString error = checkFolder(args.source, false); !error.isEmpty()) return fail(error);
    if (const QString error = checkFolder(args.output, true); !error.isEmpty()) return fail(error);

    FileList list;
    list.read(QFileInfo(args.source).absoluteFilePath(), kPagePatterns);
    const QString source = QFileInfo(args.source).absoluteFilePath();
    const QString output = QFileInfo(args.output).absoluteFilePath();
    QStringList names = shardOf(list.names(), args.shard, args.shards);

    ReportWriter report;
    if (!args.report.isEmpty())
        if (const QString error = report.open(args.report); !error.isEmpty()) return fail(error);

    // Every run keeps its done-list in the output folder; --resume reads it back.
    ResumeJournal journal;
    const QString journalName =
        args.shards > 1 ? QStringLiteral(".leafmark-done-%1-of-%2").arg(args.shard).arg(args.shards)
                        : QStringLiteral(".leafmark-done");
    if (const QString error =
            journal.open(QDir(output).filePath(journalName), runSignature(args, source, output), args.resume);
        !error.isEmpty())
        return fail(error);
    int skipped = 0;
    if (args.resume) {
        QStringList left;
        for (const QString& name : names) {
            if (journal.isDone(name, QDir(source).filePath(name), QDir(output).filePath(name))) {
                ++skipped;
                report.write(skippedLine(name));
            } else {
                left << name;
            }
        }
        names = left;
    }
    int total = 0;
    for (const QString& name : names)
        if (!isEndOfDocument(name)) ++total;

    BatchRun::Setup setup;
    setup.kind = args.kind;
    setup.source = source;
    setup.output = output;
    setup.names = names;
    setup.workers = args.jobs;
    BatchRun run(std::move(setup));
    run.setOptionsProvider([&args] { return args.options; });
    run.setStopCheck([] { return interrupted.load(); });

    const bool tty = isatty(STDOUT_FILENO) == 1;
    int done = 0;
    QObject::connect(&run, &BatchRun::pageCommitted, [&](const PageOutcome& outcome) {
        if (outcome.kind == PageOutcome::Kind::Failed)
            std::fprintf(stderr, "%s%s: not processed: %s\n", tty ? "\r\n" : "",
                         qPrintable(outcome.name), qPrintable(outcome.reason));
        else
            journal.record(outcome.name, QDir(source).filePath(outcome.name),
                           QDir(output).filePath(outcome.name));
        if (report.isOpen() && !report.write(reportLine(outcome)))
            std::fprintf(stderr, "leafmark-batch: cannot write the report %s\n", qPrintable(args.report));
        if (outcome.endOfDocument) return;
        ++done;
        if (tty) drawProgress(done, total, outcome.name);
    });
    QObject::connect(&run, &BatchRun::finished, &app, [&app] { app.quit(); },
                     Qt::QueuedConnection);
    std::signal(SIGINT, onInterrupt);

    run.start();
    if (run.isRunning()) app.exec();
    else QCoreApplication::processEvents();

    if (tty && total > 0) std::printf("\n");
    if (skipped > 0) std::printf("%d entries done by an earlier run were skipped\n", skipped);
    std::printf("%s\n", qPrintable(summaryLine(run.summary())));
    if (!run.summary().completed) return 130;
    return run.summary().failures > 0 ? 1 : 0;
}
