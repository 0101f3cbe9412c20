// The open request: a page path sent by another start of the program reaches
// OpenMaster and nothing else.
#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <QtEndian>
#include <atomic>
#include <cstring>
#include <set>
#include <thread>

#include "AppTestSupport.h"
#include "app/DocumentMarkerButton.h"
#include "app/OpenRequest.h"
#include "imaging/engine/PageEngine.h"
#include "imaging/widget/PageView.h"
#include "shared/NativePath.h"

namespace leafmark::testing {

namespace {

QString uniqueBaseName() {
    return QStringLiteral("lmtest") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// Sends from a second thread (the client blocks) while this thread serves.
app::HandOver sendWhileServing(const QString& server, const QString& path) {
    std::atomic<bool> done{false};
    app::HandOver result = app::HandOver::Failed;
    std::thread client([&] {
        result = app::sendOpenRequest(server, path, 5000);
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done.load(); }, 20000));
    client.join();
    return result;
}

}  // namespace

TEST(OpenRequest, SocketLivesInAPrivateFolderPerExecutableAndDisplay) {
    const QString a = app::openRequestServerName(QStringLiteral("leafmark"));
    EXPECT_NE(a, app::openRequestServerName(QStringLiteral("viewer")));
    const QFileInfo folder(QFileInfo(a).path());
    EXPECT_EQ(folder.absoluteFilePath(), app::openRequestFolder());
    EXPECT_EQ(folder.ownerId(), ::getuid());
    EXPECT_EQ(QFile::permissions(folder.absoluteFilePath()) &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                   QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_EQ(QFileInfo(app::openRequestServerName(QStringLiteral("a/b c"))).path(),
              folder.absoluteFilePath());
    const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":7");
    const QString seven = app::openRequestServerName(QStringLiteral("leafmark"));
    qputenv("DISPLAY", ":8");
    EXPECT_NE(seven, app::openRequestServerName(QStringLiteral("leafmark")));
    qputenv("DISPLAY", display);
    if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);

    // A runtime folder others may enter is not used.
    QTemporaryDir open;
    QFile::setPermissions(open.path(), QFile::permissions(open.path()) | QFile::ReadOther |
                                           QFile::ExeOther | QFile::WriteOther);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open.path()));
    EXPECT_NE(app::openRequestFolder(), open.path());
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (runtime.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
}

TEST(OpenRequest, ProgramsOfAnotherUserAreNotHeard) {
    if (::getuid() != 0) GTEST_SKIP() << "switching to another user needs root";
    QTemporaryDir dir;
    ASSERT_TRUE(
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther));
    const QString name = dir.filePath(QStringLiteral("open"));
    QStringList received;
    app::OpenRequestServer server([&](const QString& p) { received << p; });
    ASSERT_TRUE(server.listen(name));
    ::chmod(QFile::encodeName(name).constData(),
            0777);  // reachable, so only the peer check stops it

    const QByteArray socketPath = QFile::encodeName(name);
    const QByteArray message = app::encodeOpenRequest(QStringLiteral("/victim/page.tif"));
    const pid_t child = ::fork();
    if (child == 0) {
        // As "nobody": connect, send a request, report what came back.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, socketPath.constData(), sizeof addr.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) ::_exit(4);
        if (::write(fd, message.constData(), message.size()) != message.size()) ::_exit(5);
        char answer = 0;
        ::_exit(::read(fd, &answer, 1) == 1 && answer == '1' ? 1 : 0);
    }
    ASSERT_GT(child, 0);
    int status = -1;
    EXPECT_TRUE(waitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 20000));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: taken; 3: cannot switch user; 4/5: cannot reach the socket";
    EXPECT_TRUE(received.isEmpty());
    // The user's own programs still are.
    EXPECT_EQ(sendWhileServing(name, QStringLiteral("/mine.tif")), app::HandOver::Delivered);
    EXPECT_EQ(received, QStringList{QStringLiteral("/mine.tif")});
}

TEST(OpenRequest, NoServerIsReportedAsSuch) {
    EXPECT_EQ(app::sendOpenRequest(app::openRequestServerName(uniqueBaseName()),
                                   QStringLiteral("/x.tif"), 500),
              app::HandOver::NoServer);
}

TEST(OpenRequest, PathsArriveWholeAndBadMessagesAreRefused) {
    QStringList received;
    app::OpenRequestServer server([&](const QString& p) { received << p; });
    const QString name = app::openRequestServerName(uniqueBaseName());
    ASSERT_TRUE(server.listen(name));
    const QString odd = QStringLiteral("/scans/Box 1/p\xE9ge\n2.tif");
    EXPECT_EQ(sendWhileServing(name, odd), app::HandOver::Delivered);
    ASSERT_EQ(received, QStringList{odd});

    // A length beyond the limit is refused without reading it, and nothing opens.
    std::atomic<char> answer{0};
    std::thread raw([&] {
        QLocalSocket s;
        s.connectToServer(name);
        if (!s.waitForConnected(3000)) return;
        char head[4];
        qToBigEndian<quint32>(1u << 30, head);
        s.write(head, 4);
        s.waitForBytesWritten(3000);
        if (s.waitForReadyRead(3000)) {
            char c = 0;
            s.getChar(&c);
            answer = c;
        }
    });
    EXPECT_TRUE(waitFor([&] { return answer.load() != 0; }, 10000));
    raw.join();
    EXPECT_EQ(answer.load(), '0');
    EXPECT_EQ(received.size(), 1);
}

TEST(OpenRequest, StaleSocketOfAnEndedInstanceIsReplaced) {
    const QString name = app::openRequestServerName(uniqueBaseName());
    {
        // A socket file with nobody behind it, as a crashed instance leaves.
        QLocalServer stale;
        ASSERT_TRUE(stale.listen(name));
        const QString file = stale.fullServerName();
        stale.close();
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QStringList received;
    app::OpenRequestServer server([&](const QString& p) { received << p; });
    EXPECT_TRUE(server.listen(name));
    EXPECT_EQ(sendWhileServing(name, QStringLiteral("/a.tif")), app::HandOver::Delivered);
    // A second server under a live name does not take it over.
    app::OpenRequestServer second([](const QString&) {});
    const imaging::Status taken = second.listen(name);
    EXPECT_FALSE(taken.ok());
    EXPECT_NE(taken.reason().find("another Leafmark"), std::string::npos) << taken.reason();
    EXPECT_FALSE(second.listen(QString()).ok());
    EXPECT_EQ(sendWhileServing(name, QStringLiteral("/b.tif")), app::HandOver::Delivered);
    EXPECT_EQ(received, (QStringList{"/a.tif", "/b.tif"}));
}

// The request opens the page as Open File does: the page is shown, and the buttons
// and the page menu items are enabled.
TEST_F(AppTest, OpenRequestOpensThePageAndEnablesThePageCommands) {
    makePages(3);
    app::MainWindow& w = makeWindow();
    app::OpenRequestServer server([&w](const QString& p) { w.openRequest(p); });
    const QString name = app::openRequestServerName(uniqueBaseName());
    ASSERT_TRUE(server.listen(name));
    EXPECT_EQ(sendWhileServing(name, page(2)), app::HandOver::Delivered);
    ASSERT_TRUE(waitFor([&] { return !state.currentfile.isEmpty(); }));
    EXPECT_EQ(QFileInfo(state.currentfile).fileName().toLower(), QStringLiteral("00000002.tif"));
    EXPECT_TRUE(w.pageView().engine().hasImage());
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("00000002"), Qt::CaseInsensitive));
    for (int i : {1, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19}) EXPECT_TRUE(w.toolbarEnabled(i)) << i;
    for (auto item :
         {PageMenuItem::First, PageMenuItem::Prior, PageMenuItem::Next, PageMenuItem::Last,
          PageMenuItem::Save, PageMenuItem::SaveAs, PageMenuItem::Revert})
        EXPECT_TRUE(w.menuEnabled(item));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A page whose name is not UTF-8, handed over like a second start, is shown, turned
// to, saved and marked under its own bytes; no file under a replacement name appears.
TEST_F(AppTest, PageNamedByBytesThatAreNotUtf8IsOpenedSavedAndMarkedUnderThem) {
    makePages(2);
    const QByteArray dir = nativePath(pageDir) + '/';
    const QByteArray odd = "00000001\xe9.tif";  // listed between the two pages
    ASSERT_TRUE(renameFile(page(2), fromNativePath(dir + odd)));
    writePage(page(2));
    app::MainWindow& w = makeWindow();
    app::OpenRequestServer server([&w](const QString& p) { w.openRequest(p); });
    const QString name = app::openRequestServerName(uniqueBaseName());
    ASSERT_TRUE(server.listen(name));
    EXPECT_EQ(sendWhileServing(name, fromNativePath(dir + odd)), app::HandOver::Delivered);
    ASSERT_TRUE(waitFor([&] { return !state.currentfile.isEmpty(); }));
    EXPECT_EQ(nativePath(state.currentfile), dir + odd);
    EXPECT_TRUE(w.pageView().engine().hasImage());
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("00000001\ufffd.tif (2 of 3)")))
        << w.windowTitle().toStdString();

    // Turned away and back, turned a quarter and saved: the file of those bytes changes.
    trigger(app::MenuItem::Next);
    trigger(app::MenuItem::Prior);
    EXPECT_EQ(nativePath(state.currentfile), dir + odd);
    trigger(app::MenuItem::Rotate90);
    trigger(app::MenuItem::Save);
    imaging::PageEngine disk;
    ASSERT_TRUE(disk.ReadFileInfo((dir + odd).toStdString()).ok());
    EXPECT_EQ(disk.storedInfo().width, 48);

    // The marker on the page after it writes the end-of-document file named after it.
    trigger(app::MenuItem::Next);
    QTest::mouseClick(w.documentMarkerBox(), Qt::LeftButton);
    trigger(app::MenuItem::Save);
    EXPECT_EQ(readPage(page(2)).description, QStringLiteral("BOD"));
    std::set<QByteArray> files;
    DIR* d = ::opendir(dir.constData());
    ASSERT_NE(d, nullptr);
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') files.insert(e->d_name);
    ::closedir(d);
    EXPECT_EQ(files,
              (std::set<QByteArray>{"00000001.tif", odd, "00000002.tif", "00000001\xe9ZZZ.EOD"}));
    EXPECT_TRUE(dialogs.messages.empty());
    // Qt cannot remove names it cannot spell.
    for (const QByteArray& n : {odd, QByteArray("00000001\xe9ZZZ.EOD")})
        removeFile(fromNativePath(dir + n));
}

// A request that arrives while a modal box waits (the save-changes prompt runs its
// own event loop) must not change the page under it: the answer would then act on
// another page. It is opened once the box has closed.
TEST_F(AppTest, OpenRequestWaitsWhileAModalBoxIsOpen) {
    makePages(3);
    app::MainWindow& w = makeWindow();
    openThroughMenu(1);
    const QString first = state.currentfile;
    QString shownUnderTheBox;
    QDialog box(&w);
    box.setModal(true);
    QTimer::singleShot(0, &box, [&] {
        w.openRequest(page(3));
        // Give a wrongly immediate or timer-driven open every chance to happen.
        QTest::qWait(200);
        shownUnderTheBox = state.currentfile;
        box.reject();
    });
    box.exec();
    EXPECT_EQ(shownUnderTheBox, first);
    ASSERT_TRUE(waitFor([&] { return state.currentfile != first; }));
    EXPECT_EQ(QFileInfo(state.currentfile).fileName().toLower(), QStringLiteral("00000003.tif"));
}

// A second start of the real program with a relative page path hands the absolute
// path to the running instance and ends with status 0.
TEST(OpenRequest, SecondStartOfTheProgramHandsOver) {
    QTemporaryDir dir;
    const QString base = uniqueBaseName();
    const QString exe = dir.path() + QLatin1Char('/') + base;
    ASSERT_TRUE(QFile::copy(QStringLiteral(LEAFMARK_APP_EXE), exe));
    QFile(exe).setPermissions(QFile(exe).permissions() | QFileDevice::ExeOwner);

    QStringList received;
    app::OpenRequestServer server([&](const QString& p) { received << p; });
    ASSERT_TRUE(server.listen(app::openRequestServerName(base)));

    QProcess second;
    second.setWorkingDirectory(dir.path());
    second.start(exe, {QStringLiteral("page 1.tif")});
    ASSERT_TRUE(second.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(received, QStringList{dir.path() + QStringLiteral("/page 1.tif")});

    // Nobody listening: the program starts itself and becomes the one that listens.
    server.deleteLater();
    QCoreApplication::processEvents();
    QProcess first;
    first.setWorkingDirectory(dir.path());
    first.start(exe, {QStringLiteral("missing.tif")});
    ASSERT_TRUE(first.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(app::openRequestServerRunning(app::openRequestServerName(base), 200),
                             20000);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(10000);
}

}  // namespace leafmark::testing
