// The headless command leafmark-batch: arguments, folder checks, exit status and
// the summary line.
#include "support/FolderRunTest.h"
#include "support/TestPages.h"

#include <QDir>

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
    writeFile(in + "/1ZZZ.EOD", "EOD\r\n");

    CommandResult r = runCommand({"post", in, out, "--jobs", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("1 pages processed, 1 copied, 1 EOD files, 0 failures, "))
        << r.out.toStdString();

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
