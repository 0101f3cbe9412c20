// The command's run report, a run killed half-way and resumed, and a folder split
// into slices run at once: each compared with one uninterrupted run, byte for byte.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include "support/FolderRunTest.h"
#include "support/TestPages.h"

using namespace leafmark::testing;

namespace {

const QString kCommand = QStringLiteral(LEAFMARK_BATCH_COMMAND);

int run(const QStringList& args, QString* said = nullptr) {
    const CommandResult r = runProgram(kCommand, args);
    if (said) *said = r.out;
    return r.status;
}

// `count` pages of `width` x `height`, each with its own block of ink, and an
// end-of-document file after page 2.
void makeFolder(const QString& in, int count, int width, int height) {
    for (int i = 1; i <= count; ++i)
        writePage(in + QStringLiteral("/%1.tif").arg(i, 2, 10, QLatin1Char('0')),
                  seededPage(i, width, height));
    writeFile(in + "/02ZZZ.EOD", "EOD\r\n");
}

// The pages and end-of-document files of a folder.
std::map<QString, QByteArray> contents(const QString& folder) {
    return folderBytes(folder, {"*.tif", "*.EOD"});
}

std::vector<QJsonObject> reportOf(const QString& path) { return jsonLines(fileBytes(path)); }

using BatchScale = FolderRunTest;

}  // namespace

TEST_F(BatchScale, ReportHasALinePerEntryWithOutcomeAngleSpecksAndTime) {
    writePage(in + "/1.tif", seededPage(0).tag(TIFFTAG_MODEL, "Changed"));
    writePage(in + "/2.tif", seededPage(0));
    writeFile(in + "/3.tif", "not a page");
    writeFile(in + "/2ZZZ.EOD", "EOD\r\n");

    EXPECT_EQ(run({"post", in, out, "--report", root.filePath("post.jsonl")}), 0);
    const auto post = reportOf(root.filePath("post.jsonl"));
    ASSERT_EQ(post.size(), 4u);
    EXPECT_EQ(post[0]["file"].toString(), "1.tif");
    EXPECT_EQ(post[0]["outcome"].toString(), "processed");
    EXPECT_TRUE(post[0]["angle_found"].isDouble());
    EXPECT_TRUE(post[0]["angle_applied"].isDouble());
    EXPECT_TRUE(post[0]["ms"].isDouble());
    EXPECT_EQ(post[1]["outcome"].toString(), "copied");
    EXPECT_TRUE(post[1]["angle_found"].isNull()) << "a copied page was not measured";
    EXPECT_EQ(post[2]["file"].toString(), "2ZZZ.EOD");
    EXPECT_TRUE(post[2]["end_of_document"].toBool());
    EXPECT_EQ(post[3]["outcome"].toString(), "copied") << "no change marker can be read";

    EXPECT_EQ(run({"pre", in, out, "--despeckle", "--report", root.filePath("pre.jsonl")}), 1);
    const auto pre = reportOf(root.filePath("pre.jsonl"));
    ASSERT_EQ(pre.size(), 4u);
    EXPECT_EQ(pre[1]["specks_removed"].toInt(-1), 0);
    EXPECT_TRUE(pre[1]["angle_found"].isNull()) << "no deskew was asked for";
    EXPECT_EQ(pre[3]["outcome"].toString(), "failed");
    EXPECT_FALSE(pre[3]["reason"].toString().isEmpty());
}

TEST_F(BatchScale, RunKilledHalfWayThenResumedEqualsAnUninterruptedRun) {
    const QString whole = root.filePath("whole"), cut = root.filePath("cut");
    makeFolder(in, 10, 1200, 900);
    QDir().mkpath(whole);
    QDir().mkpath(cut);
    const QStringList options = {"--despeckle", "--deskew", "--margin", "0.1", "--jobs", "1"};
    ASSERT_EQ(run(QStringList{"pre", in, whole} + options), 0);

    // Killed (no chance to tidy up) once its done-list holds two entries.
    QProcess p;
    p.start(kCommand, QStringList{"pre", in, cut} + options);
    ASSERT_TRUE(p.waitForStarted());
    while (fileBytes(cut + "/.leafmark-done").count('\n') < 3 && !p.waitForFinished(20)) {
    }
    ASSERT_EQ(p.state(), QProcess::Running) << "the run ended before it could be killed";
    p.kill();
    p.waitForFinished();
    EXPECT_NE(contents(cut), contents(whole));

    QString said;
    EXPECT_EQ(run(QStringList{"pre", in, cut} + options +
                      QStringList{"--resume", "--report", root.filePath("r.jsonl")},
                  &said),
              0);
    EXPECT_EQ(contents(cut), contents(whole));
    // Nothing the killed run had in progress is left: only the done-list is hidden.
    EXPECT_EQ(QDir(cut)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .filter(QRegularExpression("^\\.")),
              QStringList{".leafmark-done"});
    int skipped = 0;
    for (const QJsonObject& line : reportOf(root.filePath("r.jsonl")))
        if (line["outcome"].toString() == "skipped") ++skipped;
    EXPECT_GE(skipped, 2) << said.toStdString();
    EXPECT_EQ(reportOf(root.filePath("r.jsonl")).size(), 11u);

    // A finished run does nothing; other options start over.
    EXPECT_EQ(run(QStringList{"pre", in, cut} + options + QStringList{"--resume"}, &said), 0);
    EXPECT_TRUE(said.contains("11 entries done by an earlier run were skipped"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("0 pages processed")) << said.toStdString();
    EXPECT_EQ(run({"pre", in, cut, "--resume", "--jobs", "1"}, &said), 0);
    EXPECT_TRUE(said.startsWith("10 pages processed")) << said.toStdString();
}

TEST_F(BatchScale, TwoSlicesRunAtOnceTogetherEqualOneRun) {
    const QString whole = root.filePath("whole");
    makeFolder(in, 5, 400, 300);
    QDir().mkpath(whole);
    ASSERT_EQ(run({"pre", in, whole, "--despeckle", "--deskew"}), 0);

    QProcess first, second;
    const QString a = root.filePath("a"), b = root.filePath("b");
    QDir().mkpath(a);
    QDir().mkpath(b);
    first.start(kCommand, {"pre", in, a, "--despeckle", "--deskew", "--shard", "1/2"});
    second.start(kCommand, {"pre", in, b, "--despeckle", "--deskew", "--shard", "2/2"});
    ASSERT_TRUE(first.waitForFinished(120000) && second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    auto together = contents(a);
    const auto other = contents(b);
    for (const auto& [name, bytes] : other)
        EXPECT_TRUE(together.emplace(name, bytes).second) << "in both: " << name.toStdString();
    EXPECT_EQ(together, contents(whole));
    EXPECT_EQ(contents(a).count("02ZZZ.EOD"), 1u) << "the end-of-document file goes with page 02";
    EXPECT_EQ(contents(b).size(), 2u);
    EXPECT_EQ(run({"pre", in, a, "--shard", "3/2"}), 2);
}
