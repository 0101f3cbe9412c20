// The run core on real page files: markers, copies, failures, stops, and the
// parallel run's outputs against a one-thread run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "batch/core/BatchRun.h"
#include "batch/core/PageJob.h"
#include "batch/core/PageShards.h"
#include "batch/core/RunReport.h"
#include "batch/core/RunText.h"
#include "imaging/engine/PageEngine.h"
#include "shared/FileList.h"
#include "shared/NativePath.h"
#include "support/TestPages.h"

using namespace leafmark;
using namespace leafmark::batch;
using namespace leafmark::testing;

namespace {

constexpr int kDescription = 270;  // comment slot 3
constexpr int kModel = 272;        // comment slot 6

struct Folders {
    QTemporaryDir root;
    QString in, out;
    Folders() {
        in = root.filePath("in");
        out = root.filePath("out");
        QDir().mkpath(in);
        QDir().mkpath(out);
    }
    QString src(const QString& n) const { return in + '/' + n; }
    QString dst(const QString& n) const { return out + '/' + n; }
};

struct Outcome {
    RunSummary summary;
    std::vector<PageOutcome> pages;
};

// Runs over the page list of `source` and waits for the end. `stopAfter` >= 0
// asks for a stop once that many entries have been committed.
Outcome runNames(RunKind kind, const QString& source, const QString& output,
                 const QStringList& names, int workers, PageOptions options = {},
                 int stopAfter = -1) {
    BatchRun run({kind, source, output, names, workers});
    run.setOptionsProvider([options] { return options; });
    Outcome result;
    QObject::connect(&run, &BatchRun::pageCommitted, [&](const PageOutcome& o) {
        result.pages.push_back(o);
        if (stopAfter >= 0 && static_cast<int>(result.pages.size()) >= stopAfter) run.requestStop();
    });
    QSignalSpy finished(&run, &BatchRun::finished);
    run.start();
    if (finished.isEmpty()) {
        EXPECT_TRUE(finished.wait(60000));
    }
    result.summary = run.summary();
    return result;
}

Outcome runOver(RunKind kind, const QString& source, const QString& output, int workers,
                PageOptions options = {}, int stopAfter = -1) {
    FileList list;
    list.read(source, kPageAndEodPatterns);
    return runNames(kind, source, output, list.names(), workers, options, stopAfter);
}

PageSpec pageWith(int seed, const std::map<int, std::string>& comments = {}, int width = 160,
                  int height = 120) {
    PageSpec p = seededPage(seed, width, height);
    for (const auto& [tag, text] : comments) p.tag(static_cast<std::uint32_t>(tag), text);
    return p;
}

}  // namespace

TEST(PostProcessRun, DeskewsExactlyChangedPagesAndCarriesTheDocumentMarker) {
    Folders f;
    writePage(f.src("a.tif"), pageWith(1, {{kDescription, "BOD"}, {kModel, "Changed"}}));
    writePage(f.src("b.tif"), pageWith(2, {{kDescription, "BOD"}, {kModel, "changed"}}));
    writePage(f.src("c.tif"), pageWith(3, {{kModel, "Changed "}}));
    writePage(f.src("d.tif"), pageWith(4, {{kDescription, "   "}, {kModel, "Changed"}}));
    writePage(f.src("e.tif"), pageWith(5));

    const Outcome r = runOver(RunKind::PostProcess, f.in, f.out, 2);
    EXPECT_TRUE(r.summary.completed);
    EXPECT_EQ(r.summary.pagesProcessed, 2);
    EXPECT_EQ(r.summary.pagesCopied, 3);
    EXPECT_EQ(r.summary.failures, 0);

    // Written by the engine: change marker gone, document marker kept as read.
    EXPECT_EQ(asciiTag(f.dst("a.tif"), kDescription), std::optional<std::string>("BOD"));
    EXPECT_EQ(asciiTag(f.dst("a.tif"), kModel), std::nullopt);
    // A slot 3 of blanks only is written as no comment at all.
    EXPECT_EQ(asciiTag(f.dst("d.tif"), kDescription), std::nullopt);
    EXPECT_EQ(asciiTag(f.dst("d.tif"), kModel), std::nullopt);
    // Anything but "Changed" exactly is copied byte for byte, markers and all.
    for (const char* n : {"b.tif", "c.tif", "e.tif"})
        EXPECT_EQ(fileBytes(f.dst(n)), fileBytes(f.src(n))) << n;
}

// A 1-bit page of text-like lines turned by `degrees`, saved by the engine with
// the change marker.
void writeSkewedChangedPage(const QString& path, double degrees) {
    imaging::PixPtr page(pixCreate(1200, 1500, 1));
    for (int line = 0; line < 30; ++line)
        for (int word = 0; word < 8; ++word)
            pixRasterop(page.get(), 100 + word * 125, 120 + line * 42, 100, 14, PIX_SET, nullptr, 0,
                        0);
    imaging::PixPtr turned(pixRotate(page.get(), static_cast<float>(degrees * 3.14159265 / 180),
                                     L_ROTATE_SHEAR, L_BRING_IN_WHITE, 0, 0));
    imaging::PageEngine engine;
    engine.setImage(std::move(turned), 300, 300);
    engine.SetComment(imaging::kSlotChangeMarker, "Changed");
    ASSERT_TRUE(engine.SavePage(QFile::encodeName(path).toStdString(), imaging::kFormatGroup4, 1));
}

double measuredSkew(const QString& path) {
    imaging::PageEngine engine;
    EXPECT_TRUE(engine.LoadPage(QFile::encodeName(path).toStdString()));
    l_float32 angle = 99, confidence = 0;
    pixFindSkew(engine.pix(), &angle, &confidence);
    return angle;
}

TEST(PostProcessRun, ChangedPageComesOutStraight) {
    Folders f;
    writeSkewedChangedPage(f.src("s.tif"), 2.0);
    ASSERT_GT(std::abs(measuredSkew(f.src("s.tif"))), 1.5);
    const Outcome r = runOver(RunKind::PostProcess, f.in, f.out, 1);
    EXPECT_EQ(r.summary.pagesProcessed, 1);
    EXPECT_LT(std::abs(measuredSkew(f.dst("s.tif"))), 0.3);
}

// A clean-up step that fails makes the page a failure, in the summary and in the
// report, with the step named; the page is copied as it was, never written half-done.
TEST(PreProcessRun, AFailedCleanupStepMakesThePageAFailureNeverProcessed) {
    struct Case {
        imaging::EditFault fault;
        PageOptions options;
        const char* reason;
    } cases[] = {
        {imaging::EditFault::Fill, {true, false, false, 0.1}, "margin clean-up failed"},
        {imaging::EditFault::Despeckle, {false, true, false, 0.0}, "despeckle failed"},
        {imaging::EditFault::Straighten, {false, false, true, 0.0}, "deskew failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Folders f;
        writeSkewedChangedPage(f.src("s.tif"), 2.0);
        imaging::setEditFaultForTesting(c.fault);
        const Outcome r = runOver(RunKind::PreProcess, f.in, f.out, 1, c.options);
        imaging::setEditFaultForTesting(imaging::EditFault::None);
        EXPECT_EQ(r.summary.pagesProcessed, 0);
        EXPECT_EQ(r.summary.failures, 1);
        ASSERT_EQ(r.pages.size(), 1u);
        EXPECT_TRUE(r.pages[0].reason.startsWith(c.reason)) << r.pages[0].reason.toStdString();
        EXPECT_TRUE(reportLine(r.pages[0]).contains("\"outcome\":\"failed\""))
            << reportLine(r.pages[0]).constData();
        EXPECT_EQ(fileBytes(f.dst("s.tif")), fileBytes(f.src("s.tif")));
    }
}

TEST(PreProcessRun, CopiesEndOfDocumentFilesAndRewritesEveryPage) {
    Folders f;
    writePage(f.src("00000001.tif"), pageWith(1, {{kDescription, "BOD"}, {kModel, "Changed"}}));
    writeFile(f.src("00000001ZZZ.EOD"), "EOD\r\n");
    writePage(f.src("00000002.TIF"), pageWith(2));
    writeFile(f.src("00000002zzz.eod"), "EOD\r\n");
    writeFile(f.src("notes.txt"), "not a page");

    const Outcome r = runOver(RunKind::PreProcess, f.in, f.out, 2, PageOptions{});
    EXPECT_TRUE(r.summary.completed);
    EXPECT_EQ(r.summary.pagesProcessed, 2);
    EXPECT_EQ(r.summary.eodFiles, 2);
    EXPECT_EQ(fileBytes(f.dst("00000001ZZZ.EOD")), QByteArray("EOD\r\n"));
    EXPECT_EQ(fileBytes(f.dst("00000002zzz.eod")), QByteArray("EOD\r\n"));
    EXPECT_FALSE(QFile::exists(f.dst("notes.txt")));
    // Even with no operation ticked the page is written again, without its change marker.
    EXPECT_EQ(asciiTag(f.dst("00000001.tif"), kDescription), std::optional<std::string>("BOD"));
    EXPECT_EQ(asciiTag(f.dst("00000001.tif"), kModel), std::nullopt);
    ASSERT_EQ(r.pages.size(), 4u);
    for (std::size_t i = 0; i < r.pages.size(); ++i) EXPECT_EQ(r.pages[i].index, int(i));
}

TEST(PreProcessRun, SameFolderWritesPagesInPlaceAndCopiesNothingOntoItself) {
    Folders f;
    writePage(f.src("p1.tif"), pageWith(1, {{kModel, "Changed"}}));
    writeFile(f.src("p1ZZZ.EOD"), "EOD\r\n");
    const QString sameFolderOtherSpelling = f.in + "/./";

    const Outcome post = runOver(RunKind::PostProcess, f.in, sameFolderOtherSpelling, 1);
    EXPECT_EQ(post.summary.pagesProcessed, 1);
    EXPECT_EQ(asciiTag(f.src("p1.tif"), kModel), std::nullopt);  // rewritten over its source
    EXPECT_EQ(fileBytes(f.src("p1ZZZ.EOD")), QByteArray("EOD\r\n"));
    EXPECT_EQ(QDir(f.in).entryList(QDir::Files).size(), 2);  // no temporary files left
    for (const PageOutcome& o : post.pages)
        if (o.endOfDocument) {
            EXPECT_EQ(o.kind, PageOutcome::Kind::Unchanged);
        }

    // The page, now unmarked, is left as it is by a second post-process run.
    const QByteArray before = fileBytes(f.src("p1.tif"));
    const Outcome again = runOver(RunKind::PostProcess, f.in, f.in, 1);
    EXPECT_EQ(again.summary.pagesCopied, 1);
    EXPECT_EQ(fileBytes(f.src("p1.tif")), before);
}

TEST(PreProcessRun, UnreadablePageIsCopiedUnchangedAndReportedNeverReplaced) {
    Folders f;
    writePage(f.src("1.tif"), pageWith(1));
    writeFile(f.src("2.tif"), "this is not a TIFF file");
    writePage(f.src("3.tif"), pageWith(3));
    // A page that reads only in part: written back, its lost part would become blank.
    writePage(f.src("4.tif"), pageWith(4));
    makeDataRunPastTheEnd(f.src("4.tif"));
    const QByteArray partial = fileBytes(f.src("4.tif"));

    const Outcome r = runOver(RunKind::PreProcess, f.in, f.out, 1, PageOptions{false, true, true});
    EXPECT_TRUE(r.summary.completed);
    EXPECT_EQ(r.summary.pagesProcessed, 2);
    EXPECT_EQ(r.summary.failures, 2);
    ASSERT_EQ(r.summary.failed.size(), 2);
    EXPECT_TRUE(r.summary.failed[0].startsWith("2.tif: ")) << r.summary.failed[0].toStdString();
    EXPECT_TRUE(r.summary.failed[1].startsWith("4.tif: damaged page"))
        << r.summary.failed[1].toStdString();
    // Never the previous page's image under this page's name: the bytes as they were.
    EXPECT_EQ(fileBytes(f.dst("2.tif")), QByteArray("this is not a TIFF file"));
    EXPECT_EQ(fileBytes(f.dst("4.tif")), partial);

    // In place, the bad pages are left exactly as they were.
    const Outcome inPlace = runOver(RunKind::PreProcess, f.in, f.in, 1);
    EXPECT_EQ(inPlace.summary.failures, 2);
    EXPECT_EQ(fileBytes(f.src("2.tif")), QByteArray("this is not a TIFF file"));
    EXPECT_EQ(fileBytes(f.src("4.tif")), partial);
}

TEST(PreProcessRun, PipesAndDeviceLinksAsPagesAreRefusedAtOnceAndNeverCopied) {
    Folders f;
    for (int i = 1; i <= 3; ++i) writePage(f.src(QString::number(i) + ".tif"), pageWith(i));
    FileList list;
    list.read(f.in, kPageAndEodPatterns);
    // Swapped after the folder was listed.
    QFile::remove(f.src("2.tif"));
    QFile::remove(f.src("3.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(f.src("2.tif")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), f.src("3.tif")));

    const Outcome r = runNames(RunKind::PreProcess, f.in, f.out, list.names(), 2);
    EXPECT_TRUE(r.summary.completed);
    EXPECT_EQ(r.summary.pagesProcessed, 1);
    EXPECT_EQ(r.summary.failures, 2);
    const QString reasons = r.summary.failed.join('\n');
    EXPECT_TRUE(reasons.contains("named pipe")) << reasons.toStdString();
    EXPECT_TRUE(reasons.contains("device")) << reasons.toStdString();
    EXPECT_FALSE(QFileInfo::exists(f.dst("2.tif")));
    EXPECT_FALSE(QFileInfo::exists(f.dst("3.tif")));

    // The fall-back copy itself refuses a device instead of filling the disk with zeros.
    const imaging::Status copied = copyReplacing(f.src("3.tif"), f.dst("3.tif"));
    EXPECT_NE(copied.reason().find("not a regular file (a device)"), std::string::npos)
        << copied.reason();
    EXPECT_FALSE(QFileInfo::exists(f.dst("3.tif")));
}

TEST(PreProcessRun, UnwritableOutputIsReportedAsFailureNotSuccess) {
    Folders f;
    writePage(f.src("1.tif"), pageWith(1));
    const Outcome r = runOver(RunKind::PreProcess, f.in, f.root.filePath("missing"), 1);
    EXPECT_EQ(r.summary.pagesProcessed, 0);
    EXPECT_EQ(r.summary.failures, 1);
}

TEST(RunStop, StopAfterPageKLeavesExactlyTheFirstKPagesWithOneWorker) {
    Folders f;
    for (int i = 0; i < 6; ++i) writePage(f.src(QString("p%1.tif").arg(i)), pageWith(i));
    const Outcome r = runOver(RunKind::PreProcess, f.in, f.out, 1, PageOptions{}, 2);
    EXPECT_FALSE(r.summary.completed);
    EXPECT_EQ(r.pages.size(), 2u);
    EXPECT_EQ(QDir(f.out).entryList(QDir::Files), QStringList({"p0.tif", "p1.tif"}));
}

TEST(RunStop, ParallelStopFinishesStartedPagesAndKeepsAPrefix) {
    Folders f;
    for (int i = 0; i < 8; ++i) writePage(f.src(QString("p%1.tif").arg(i)), pageWith(i));
    const Outcome r = runOver(RunKind::PreProcess, f.in, f.out, 2, PageOptions{}, 3);
    EXPECT_FALSE(r.summary.completed);
    const QStringList written = QDir(f.out).entryList(QDir::Files, QDir::Name);
    ASSERT_GE(written.size(), 3);
    ASSERT_LE(written.size(), 3 + 2);  // at most the pages in progress on the two workers
    EXPECT_EQ(written.size(), static_cast<int>(r.pages.size()));
    for (int i = 0; i < written.size(); ++i) EXPECT_EQ(written[i], QString("p%1.tif").arg(i));
}

TEST(RunStop, ASlowPageDoesNotLetTheOtherWorkerRunAhead) {
    // While the large first page is worked on, the second worker must wait rather
    // than race through the list: a stop asked for at the first page committed then
    // leaves exactly the two pages that were in progress.
    Folders f;
    writePage(f.src("p0.tif"), seededPage(0, 3000, 4000));
    for (int i = 1; i < 8; ++i) writePage(f.src(QString("p%1.tif").arg(i)), pageWith(i));
    const Outcome r =
        runOver(RunKind::PreProcess, f.in, f.out, 2, PageOptions{false, true, true}, 1);
    EXPECT_FALSE(r.summary.completed);
    EXPECT_EQ(r.pages.size(), 2u);
    EXPECT_EQ(QDir(f.out).entryList(QDir::Files, QDir::Name), QStringList({"p0.tif", "p1.tif"}));
}

TEST(ParallelRun, WritesTheSameBytesAsAOneThreadRun) {
    Folders f;
    const QString one = f.root.filePath("one"), many = f.root.filePath("many");
    QDir().mkpath(one);
    QDir().mkpath(many);
    for (int i = 0; i < 12; ++i) {
        writePage(f.src(QString("%1.tif").arg(i, 8, 10, QChar('0'))),
                  pageWith(i, {{kDescription, i % 3 ? "" : "BOD"}}, 400, 300));
    }
    writeFile(f.src("00000003ZZZ.EOD"), "EOD\r\n");
    const PageOptions all{true, true, true, 0.1};
    const Outcome a = runOver(RunKind::PreProcess, f.in, one, 1, all);
    const Outcome b = runOver(RunKind::PreProcess, f.in, many, 4, all);
    EXPECT_EQ(a.summary.pagesProcessed, 12);
    EXPECT_EQ(b.summary.pagesProcessed, 12);
    const QStringList names = QDir(one).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, QDir(many).entryList(QDir::Files, QDir::Name));
    for (const QString& n : names)
        EXPECT_EQ(fileBytes(one + '/' + n), fileBytes(many + '/' + n)) << n.toStdString();
    ASSERT_EQ(b.pages.size(), 13u);
    for (std::size_t i = 0; i < b.pages.size(); ++i) EXPECT_EQ(b.pages[i].index, int(i));
}

TEST(PreProcessRun, PageWrittenOverAStaleOutputFileTakesNothingFromIt) {
    Folders f;
    writePage(f.src("p.tif"), pageWith(3));  // 300 dpi
    PageSpec stale = seededPage(4, 40);
    stale.xres = stale.yres = 100;
    writePage(f.dst("p.tif"), stale);

    const Outcome r = runOver(RunKind::PreProcess, f.in, f.out, 1, PageOptions{});
    ASSERT_EQ(r.summary.pagesProcessed, 1);
    imaging::PageEngine engine;
    ASSERT_TRUE(engine.ReadFileInfo(QFile::encodeName(f.dst("p.tif")).toStdString()).ok());
    EXPECT_EQ(engine.storedInfo().width, 160);
    EXPECT_EQ(engine.storedInfo().xResolution, 300);
    EXPECT_EQ(engine.storedInfo().yResolution, 300);
    EXPECT_EQ(engine.storedInfo().pageCount, 1);
    // Nothing but the page itself is left in the output folder.
    EXPECT_EQ(QDir(f.out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"p.tif"}));
}

// An end-of-document file goes into the slice of its own page, also when another
// page's name differs from that page's only in a byte that is not UTF-8.
TEST(PageSlices, EndOfDocumentFileFollowsItsOwnPage) {
    const QString e4 = fromNativePath("Ab\xe4"), fc = fromNativePath("Ab\xfc");
    const QStringList names = {e4 + ".tif", e4 + "zzz.eod", fc + ".tif"};
    EXPECT_EQ(shardOf(names, 1, 2), names.mid(0, 2));
    EXPECT_EQ(shardOf(names, 2, 2), names.mid(2));
}
