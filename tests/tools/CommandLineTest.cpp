// The command-line conventions of the three tools, run as an operator or a
// script would: help and version on standard output with status 0, unknown
// options and bad values refused on standard error with status 2.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "cli/CommandLine.h"

namespace {

struct ToolRun {
    int status = -1;
    QString out, err;
};

ToolRun run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST(CommandLine, EveryToolFollowsTheConventions) {
    QTemporaryDir dir;
    const QString in = dir.path();
    struct Case {
        const char* program;
        QStringList args;
        int status;
        const char* outHas;  // on standard output ("" for nothing asked)
        const char* errHas;  // on standard error
    };
    const QString batch = LEAFMARK_BATCH_EXE, info = LEAFMARK_INFO_EXE,
                  maker = LEAFMARK_PAGEMAKER_EXE;
    const std::vector<std::pair<QString, Case>> cases = {
        {batch, {"", {"--help"}, 0, "Exit status", ""}},
        {batch, {"", {"-h"}, 0, "post", ""}},
        {batch, {"", {"--version"}, 0, "leafmark-batch ", ""}},
        {batch, {"", {"pre", in, in, "--frobnicate"}, 2, "", "unknown option --frobnicate"}},
        {batch, {"", {"pre", in, in, "--margin=nan"}, 2, "", "--margin wants"}},
        {batch, {"", {"pre", in, in, "--margin", "inf"}, 2, "", "--margin wants"}},
        {batch, {"", {"pre", in, in, "-j", "0"}, 2, "", "--jobs wants"}},
        {batch, {"", {"pre", in, in, "--deskew=yes"}, 2, "", "takes no value"}},
        {batch,
         {"", {"pre", in, in, "-q", "-j", "2", "--margin=0.25"}, 0, "0 pages processed", ""}},
        {batch, {"", {"pre", in, in, "-j2", "--jobs"}, 2, "", "needs a value"}},
        {info, {"", {"--help"}, 0, "Exit status", ""}},
        {info, {"", {"--version"}, 0, "leafmark-info ", ""}},
        {info, {"", {"--bogus", in + "/x.tif"}, 2, "", "unknown option --bogus"}},
        {info, {"", {"--", "--bogus"}, 1, "--bogus  error: ", ""}},
        {maker, {"", {"-h"}, 0, "--out", ""}},
        {maker, {"", {"--version"}, 0, "leafmark-pagemaker ", ""}},
        {maker, {"", {"--bogus"}, 2, "", "bogus"}},
        {maker, {"", {"--out=" + in, "--angle=nan"}, 2, "", "--angle"}},
    };
    for (const auto& [program, c] : cases) {
        const ToolRun r = run(program, c.args);
        const std::string what =
            program.section('/', -1).toStdString() + " " + c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, c.status) << what << "\n" << r.err.toStdString();
        if (*c.outHas) {
            EXPECT_TRUE(r.out.contains(c.outHas)) << what << "\n" << r.out.toStdString();
        }
        if (*c.errHas) {
            EXPECT_TRUE(r.err.contains(c.errHas)) << what << "\n" << r.err.toStdString();
            EXPECT_FALSE(r.out.contains(c.errHas)) << what << ": errors go to standard error only";
        }
    }
}

TEST(CommandLine, NumbersMustBeWholeAndFiniteAndNamesCannotForgeLines) {
    EXPECT_EQ(leafmark::cli::finiteNumber("0.5"), 0.5);
    for (const char* bad : {"", " 1", "1 ", "inf", "-nan", "1e999", "2cm"})
        EXPECT_FALSE(leafmark::cli::finiteNumber(bad)) << bad;
    EXPECT_EQ(leafmark::cli::escaped("a\nb\xff\"c"), "a\\nb\\udcff\\\"c");
    EXPECT_EQ(leafmark::cli::escaped("\xc0\xaf\xed\xb2\x80"),
              "\\udcc0\\udcaf\\udced\\udcb2\\udc80");
}
