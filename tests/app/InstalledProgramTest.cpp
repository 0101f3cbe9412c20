// The program as installed: Help finds the installed help document, and
// --help / --version answer without a window or a display.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include "AppTestSupport.h"
#include "app/CommandLine.h"

namespace leafmark::testing {

namespace {
void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
}  // namespace

TEST_F(AppTest, HelpOpensTheInstalledDocumentUnlessOneLiesBesideTheProgram) {
    makeWindow();
    // appDir is <tmp>/app/, laid out like <prefix>/bin/.
    const QString installed = tmp.path() + QStringLiteral("/share/doc/leafmark/leafmark.pdf");
    EXPECT_EQ(window->location().installedHelpDocument(), installed);
    touch(installed);
    trigger(app::MenuItem::Help2);
    touch(appDir + QStringLiteral("leafmark.pdf"));
    trigger(app::MenuItem::Help2);
    ASSERT_EQ(openedUrls.size(), 2);
    EXPECT_EQ(openedUrls[0].toLocalFile(), installed);
    EXPECT_EQ(openedUrls[1].toLocalFile(), appDir + QStringLiteral("leafmark.pdf"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(MainProgramOptions, HelpAndVersionPrintWithoutADisplay) {
    const QString exe = QStringLiteral(LEAFMARK_APP_EXE);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A window would need a display here and fail: the options must end first.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));

    const auto run = [&](const QString& option, QString* out) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(exe, {option});
        EXPECT_TRUE(p.waitForFinished(30000));
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString out;
    EXPECT_EQ(run(QStringLiteral("--version"), &out), 0);
    EXPECT_EQ(out, QStringLiteral("leafmark 1.1.1016\n"));

    // The build folder can be written to: the settings file is the one beside the program.
    EXPECT_EQ(run(QStringLiteral("--help"), &out), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: leafmark [PAGE]\n"))) << out.toStdString();
    const QString dir = QFileInfo(exe).absolutePath();
    EXPECT_TRUE(out.contains(QStringLiteral("Settings file: %1/leafmark.ini\n").arg(dir)))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Help document: %1/leafmark.pdf\n").arg(dir)))
        << out.toStdString();
    EXPECT_EQ(run(QStringLiteral("-h"), &out), 0);
}

}  // namespace leafmark::testing
