// The headless command leafmark-batch: arguments, folder checks, exit status and
// the summary line.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "imaging/engine/PageEngine.h"
#include "shared/NativePath.h"
#include "support/FolderRunTest.h"
#include "support/TestPages.h"

using namespace leafmark::testing;

namespace {

CommandResult runCommand(const QStringList& args) {
    return runProgram(QStringLiteral(LEAFMARK_BATCH_COMMAND), args);
}

using BatchCommand = FolderRunTest;

}  // namespace

TEST_F(BatchCommand, BadArgumentsAndMissingFoldersExitWithAReasonAndTouchNothing) {
    writePage(in + "/1.tif", seededPage(0));

    const QList<QStringList> bad = {
        {},
        {"pre", in},
        {"sideways", in, out},
        {"pre", in, out, "--margin", "wide"},
        {"pre", in, out, "--jobs", "0"},
        {"post", in, out, "--despeckle"},
        {"pre", in, out, "--unknown"},
        {"pre", root.filePath("absent"), out},
        {"pre", in, root.filePath("absent")},
        {"pre", in, in + "/1.tif"},
    };
    for (const QStringList& args : bad) {
        const CommandResult r = runCommand(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("leafmark-batch: ") || r.err.startsWith("usage: "))
            << r.err.toStdString();
    }
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchCommand, RunReportsCountsAndFailsWhenAPageCouldNotBeProcessed) {
    writePage(in + "/1.tif", seededPage(0).tag(TIFFTAG_MODEL, "Changed"));
    writePage(in + "/2.tif", seededPage(0));
    // The end-of-document file waits where a killed save had moved it aside: the run
    // puts it back in the source folder before listing it, so it is copied too.
    writeFile(in + "/.1ZZZ.EOD.leafmark-Mn78Bv", "EOD\r\n");

    CommandResult r = runCommand({"post", in, out, "--jobs", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("1 pages processed, 1 copied, 1 EOD files, 0 failures, "))
        << r.out.toStdString();
    EXPECT_EQ(fileBytes(out + "/1ZZZ.EOD"), QByteArray("EOD\r\n"));

    writeFile(in + "/3.tif", "not a page");
    r = runCommand({"pre", in, out, "--deskew", "--margin", "0.1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.startsWith("2 pages processed, 0 copied, 1 EOD files, 1 failures, "))
        << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("3.tif: not processed: ")) << r.err.toStdString();
    EXPECT_EQ(fileBytes(out + "/3.tif"), QByteArray("not a page"));

    // A name with a line break is escaped: it cannot forge a line of its own.
    writeFile(in + "/4\nforged.tif", "not a page either");
    r = runCommand({"pre", in, out, "-q"});
    EXPECT_TRUE(r.err.contains("4\\nforged.tif: not processed: ")) << r.err.toStdString();
    for (const QString& errLine : r.err.split('\n'))
        EXPECT_FALSE(errLine.startsWith("forged")) << r.err.toStdString();
}

// A page and an end-of-document file whose names are not UTF-8 go through a run
// under their own bytes: written, reported with the byte kept, and remembered by
// the done-list, so a resumed run skips them.
TEST_F(BatchCommand, NamesThatAreNotUtf8KeepTheirBytesThroughTheRun) {
    const QString report = root.filePath("report.jsonl");
    const QByteArray page = "p\xe9ge.tif", eod = "p\xe9geZZZ.EOD";
    writePage(in + "/page.tif", seededPage(0));
    writeFile(in + "/eod", "EOD\r\n");
    ASSERT_TRUE(leafmark::renameFile(in + "/page.tif", in + '/' + leafmark::fromNativePath(page)));
    ASSERT_TRUE(leafmark::renameFile(in + "/eod", in + '/' + leafmark::fromNativePath(eod)));

    CommandResult r = runCommand({"pre", in, out, "--report", report});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("1 pages processed, 0 copied, 1 EOD files, 0 failures, "))
        << r.out.toStdString();
    std::set<QByteArray> written;
    DIR* dir = ::opendir(QFile::encodeName(out).constData());
    ASSERT_NE(dir, nullptr);
    while (const dirent* e = ::readdir(dir))
        if (e->d_name[0] != '.') written.insert(e->d_name);
    ::closedir(dir);
    EXPECT_EQ(written, (std::set<QByteArray>{page, eod}));
    leafmark::imaging::PageEngine engine;
    EXPECT_TRUE(engine.LoadPage((QFile::encodeName(out) + '/' + page).toStdString()).ok());
    const QByteArray lines = fileBytes(report);
    const qsizetype at = lines.indexOf(R"("file":"p\udce9ge.tif")");
    ASSERT_GE(at, 0) << lines.toStdString();
    const QByteArray line = lines.mid(at).split('\n').first();
    EXPECT_TRUE(line.contains(R"("outcome":"processed")")) << lines.toStdString();

    // A report that cannot take the skipped entries' lines says so for each.
    r = runCommand({"pre", in, out, "--resume", "--report", "/dev/full"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("2 entries done by an earlier run were skipped"))
        << r.out.toStdString();
    EXPECT_EQ(r.err.count("cannot write the report /dev/full"), 2) << r.err.toStdString();
    // Qt cannot remove names it cannot spell.
    for (const QString& folder : {in, out})
        for (const QByteArray& n : {page, eod})
            leafmark::removeFile(folder + '/' + leafmark::fromNativePath(n));
}

// Folders named in bytes that are not UTF-8, given relative to the working folder:
// the run finds them, writes into the output one, and a resumed run skips what it did.
TEST_F(BatchCommand, FoldersNamedInBytesThatAreNotUtf8AreUsedAndResumed) {
    writePage(in + "/1.tif", seededPage(0));
    const QString src = root.filePath(leafmark::fromNativePath("s\xe9"));
    const QString dst = root.filePath(leafmark::fromNativePath("d\xe9"));
    ASSERT_TRUE(leafmark::renameFile(in, src));
    ASSERT_TRUE(leafmark::renameFile(out, dst));
    // The shell spells the byte, which a QString argument could not carry.
    const auto run = [&](const QString& options) {
        return runProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral(
                 R"sh(cd "$1" && exec "$0" pre "s$(printf '\351')" "d$(printf '\351')" -q )sh") +
                 options,
             QStringLiteral(LEAFMARK_BATCH_COMMAND), root.path()});
    };
    const CommandResult first = run({});
    const CommandResult again = run(QStringLiteral("--resume"));
    const bool written = leafmark::pathExists(dst + "/1.tif");
    // Qt cannot remove names it cannot spell.
    EXPECT_TRUE(leafmark::renameFile(src, in) && leafmark::renameFile(dst, out));
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith("1 pages processed")) << first.out.toStdString();
    EXPECT_TRUE(written);
    EXPECT_TRUE(again.out.startsWith("1 entries done by an earlier run were skipped"))
        << again.out.toStdString() << again.err.toStdString();
}

// A done-list another user's run left in an output folder shared with them does
// not stop the next user's run: their run puts a list of its own in its place,
// keeping, when resumed, what the old one held.
TEST_F(BatchCommand, ADoneListOfAnotherUserInASharedFolderIsTakenOver) {
    if (::geteuid() != 0 || !QFile::exists(QStringLiteral("/usr/bin/setpriv")))
        GTEST_SKIP() << "needs the superuser and setpriv to run as another user";
    writePage(in + "/1.tif", seededPage(0));
    ASSERT_EQ(runCommand({"pre", in, out, "-q"}).status, 0);  // the superuser's list, 0644
    ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(out).constData(), 0777), 0);
    const auto asOtherUser = [&](const QStringList& command) {
        return runProgram(
            QStringLiteral("/usr/bin/setpriv"),
            QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command);
    };
    if (asOtherUser({"/bin/test", "-x", QStringLiteral(LEAFMARK_BATCH_COMMAND)}).status != 0)
        GTEST_SKIP() << "the program lies where another user cannot run it";
    for (int run = 0; run < 2; ++run) {
        const CommandResult r =
            asOtherUser({QStringLiteral(LEAFMARK_BATCH_COMMAND), "pre", in, out, "-q", "--resume"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith("1 entries done by an earlier run were skipped"))
            << r.out.toStdString();
    }
    EXPECT_EQ(QFileInfo(out + "/.leafmark-done").ownerId(), 65534u);
}
