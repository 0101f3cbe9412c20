// leafmark-batch: the batch window's pre- and post-process run without a window.
//   leafmark-batch pre|post SOURCE OUTPUT [--despeckle] [--deskew] [--margin INCHES] [--jobs N]
// Exit status: 0 every page done; 1 some pages could not be processed; 2 bad
// arguments or folders; 130 stopped by Ctrl-C (pages in progress are finished first).
#include "batch/core/BatchRun.h"
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
    "[--margin INCHES] [--jobs N]\n";

int fail(const QString& message) {
    std::fprintf(stderr, "leafmark-batch: %s\n", qPrintable(message));
    return 2;
}

struct Arguments {
    RunKind kind = RunKind::PreProcess;
    QString source, output;
    PageOptions options;
    int jobs = 0;
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
    int total = 0;
    for (const QString& name : list.names())
        if (!isEndOfDocument(name)) ++total;

    BatchRun::Setup setup;
    setup.kind = args.kind;
    setup.source = QFileInfo(args.source).absoluteFilePath();
    setup.output = QFileInfo(args.output).absoluteFilePath();
    setup.names = list.names();
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
    std::printf("%s\n", qPrintable(summaryLine(run.summary())));
    if (!run.summary().completed) return 130;
    return run.summary().failures > 0 ? 1 : 0;
}
