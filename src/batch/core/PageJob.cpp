#include "batch/core/PageJob.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "batch/core/MarginCleanup.h"
#include "batch/core/RunText.h"
#include "imaging/engine/FileAccess.h"
#include "imaging/engine/OutputFile.h"
#include "imaging/engine/PageEngine.h"
#include "shared/NativePath.h"
#include "shared/RegularFile.h"

namespace leafmark::batch {

namespace {

using imaging::PageEngine;

bool isBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Copies the entry unless source and output are one file.
PageOutcome copyEntry(const PageTask& task, PageOutcome outcome) {
    if (task.sameFile) {
        outcome.kind = PageOutcome::Kind::Unchanged;
        return outcome;
    }
    if (const imaging::Status copied = copyReplacing(task.sourcePath, task.outputPath); copied) {
        outcome.kind = PageOutcome::Kind::Copied;
    } else {
        outcome.kind = PageOutcome::Kind::Failed;
        outcome.reason = fromNativePath(copied.reason());
    }
    return outcome;
}

// The page could not be processed: keep it as it is (a copy in the output folder).
PageOutcome fallBack(PageEngine& engine, const PageTask& task, PageOutcome outcome,
                     const QString& reason) {
    engine.clearImage();
    outcome = copyEntry(task, outcome);
    const QString copyError =
        outcome.kind == PageOutcome::Kind::Failed ? outcome.reason : QString();
    outcome.kind = PageOutcome::Kind::Failed;
    outcome.reason = reason;
    if (!copyError.isEmpty()) outcome.reason += QStringLiteral("; not copied either: ") + copyError;
    return outcome;
}

// "cannot read FROM: WHY", with the bytes of the path kept.
imaging::Status cannotRead(const QString& from, const QString& why) {
    return imaging::Status::failure(
        nativePathString(QStringLiteral("cannot read %1: %2").arg(from, why)));
}

// Writes the regular file `in` (opened from `from`) into `out`, no more than the
// size it had when opened.
imaging::Status copyInto(const RegularFile& in, const QString& from, imaging::OutputFile& out) {
    char buffer[64 * 1024];
    qint64 left = in.size();
    while (left > 0) {
        const ssize_t n =
            ::read(in.fd(), buffer, static_cast<size_t>(std::min<qint64>(left, sizeof buffer)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return cannotRead(from, systemErrorText(errno));
        if (n == 0) return cannotRead(from, QStringLiteral("the file shrank while it was copied"));
        if (const imaging::Status written = out.write(buffer, static_cast<std::size_t>(n));
            !written)
            return written;
        left -= n;
    }
    return imaging::Status::success();
}

// Saving over a file keeps that file's tags and later pages. A page written into
// another folder must take them from its source, never from a stale file of the
// same name there: the page is saved over the temporary file of the output with
// its source's tags and later pages, and that file put in place of the old one.
// Its data is synced before it is put in place and the output folder after.
imaging::Status saveAsNewFile(PageEngine& engine, const QString& sourcePath,
                              const QString& outputPath, int format, int depth) {
    const std::string output = enginePath(outputPath);
    if (imaging::isWriteProtected(output))
        return imaging::Status::failure(imaging::writeProtectedText(output));
    imaging::OutputFile out("cannot write " + output + ": ");
    if (const imaging::Status opened = out.open(output); !opened) return opened;
    // The save replaces the temporary file: its owner may always read and write it,
    // whatever permissions it took from the file it replaces.
    struct stat st {};
    if (::fstat(out.fd(), &st) == 0) ::fchmod(out.fd(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR);
    // The save replaces the temporary file whole (synced); the commit then puts it in place.
    if (const imaging::Status saved =
            engine.SavePageFrom(enginePath(sourcePath), out.temporaryPath(), format, depth);
        !saved)
        return saved;
    return out.commit();
}

}  // namespace

imaging::Status copyReplacing(const QString& from, const QString& to) {
    if (imaging::isWriteProtected(enginePath(to)))
        return imaging::Status::failure(imaging::writeProtectedText(enginePath(to)));
    // Only a regular file is copied, and no more than the size it had when opened:
    // a page swapped for a pipe or a device link cannot block the run or fill the disk.
    const RegularFile in(from);
    if (!in.isOpen()) return cannotRead(from, in.error());
    imaging::OutputFile out(QStringLiteral("cannot write %1: ").arg(to).toStdString());
    if (const imaging::Status opened = out.open(enginePath(to)); !opened) return opened;
    if (const imaging::Status copied = copyInto(in, from, out); !copied) return copied;
    return out.commit();
}

namespace {
PageOutcome processEntry(PageEngine& engine, const PageTask& task);
}  // namespace

PageOutcome processPage(PageEngine& engine, const PageTask& task) {
    QElapsedTimer clock;
    clock.start();
    PageOutcome outcome = processEntry(engine, task);
    outcome.milliseconds = clock.nsecsElapsed() / 1e6;
    return outcome;
}

namespace {

// Straightens the page and notes what was found and done; a failure when the
// page was to be turned but could not be.
imaging::Status deskewInto(PageEngine& engine, PageOutcome& outcome) {
    const imaging::DeskewResult r = engine.Deskew();
    outcome.deskewed = true;
    outcome.angleFound = r.angle;
    outcome.angleApplied = r.applied ? -r.angle : 0.0;
    return r.status;
}

// The task itself: copy, or load, clean up and write.
PageOutcome processEntry(PageEngine& engine, const PageTask& task) {
    PageOutcome outcome;
    outcome.index = task.index;
    outcome.name = task.name;
    outcome.endOfDocument = hasEodExtension(task.name);
    if (outcome.endOfDocument) return copyEntry(task, outcome);

    const std::string source = enginePath(task.sourcePath);
    if (task.kind == RunKind::PostProcess &&
        PageEngine::ReadComment(source, 1, imaging::kSlotChangeMarker) !=
            kChangeMarker.toStdString())
        return copyEntry(task, outcome);

    imaging::Status status = engine.ReadFileInfo(source);
    if (!status) return fallBack(engine, task, outcome, QString::fromStdString(status.reason()));
    const int format = engine.StoredFormat();
    const int depth = engine.StoredBitDepth();

    // A page whose data ends early would be refused after decoding anyway; the
    // structure says so without padding it out to its full size first.
    if (const auto cut = PageEngine::TruncationOf(source))
        return fallBack(engine, task, outcome,
                        QStringLiteral("damaged page: ") + QString::fromStdString(*cut));
    status = engine.LoadPage(source);
    if (!status) return fallBack(engine, task, outcome, QString::fromStdString(status.reason()));
    // Writing a partly decoded page would replace the lost part with blank image.
    if (engine.damaged())
        return fallBack(
            engine, task, outcome,
            QStringLiteral("damaged page: ") + QString::fromStdString(engine.damageReason()));

    // Written back, a page held in fewer bits a sample than its file stores (16-bit
    // colour) would lose the rest: it stays as it is and is reported.
    if (engine.samplesNarrowed())
        return fallBack(
            engine, task, outcome,
            QStringLiteral("16-bit colour page: cleaning it up would lose the low 8 bits "
                           "of every sample"));

    // A clean-up step that fails leaves the page not done: it is a failure, never
    // reported as processed.
    QString stepFailed;
    if (task.kind == RunKind::PostProcess) {
        if (!deskewInto(engine, outcome).ok()) stepFailed = QStringLiteral("deskew failed");
    } else {
        if (task.options.marginCleanup && !margincleanup(engine, task.options.marginInches).ok())
            stepFailed = QStringLiteral("margin clean-up failed");
        if (stepFailed.isEmpty() && task.options.despeckle) {
            const imaging::Status despeckled = engine.Despeckle();
            if (!despeckled)
                stepFailed = QStringLiteral("despeckle failed: ") +
                             QString::fromStdString(despeckled.reason());
            else
                outcome.specksRemoved = engine.specksRemoved();
        }
        if (stepFailed.isEmpty() && task.options.deskew && !deskewInto(engine, outcome).ok())
            stepFailed = QStringLiteral("deskew failed");
    }
    if (!stepFailed.isEmpty()) return fallBack(engine, task, outcome, stepFailed);

    const std::string c3 =
        PageEngine::ReadComment(source, 1, imaging::kSlotDocumentMarker).value_or("");
    engine.SetComment(imaging::kSlotDocumentMarker, isBlank(c3) ? std::string() : c3);
    engine.SetComment(imaging::kSlotChangeMarker, std::string());

    status = task.sameFile ? engine.SavePage(enginePath(task.outputPath), format, depth)
                           : saveAsNewFile(engine, task.sourcePath, task.outputPath, format, depth);
    if (!status) return fallBack(engine, task, outcome, QString::fromStdString(status.reason()));
    engine.clearImage();
    outcome.kind = PageOutcome::Kind::Processed;
    return outcome;
}

}  // namespace

}  // namespace leafmark::batch
