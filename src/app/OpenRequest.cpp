#include "app/OpenRequest.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include "shared/NativePath.h"

namespace leafmark::app {

namespace {

// Letters, digits, '-' and '_' only, so any text can go into a socket name.
QString safeName(QString text) {
    for (QChar& c : text)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    return text;
}

// A folder only this user can enter: a real folder (not a link), owned by the
// user, with no access for group or others.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// True when the process at the other end of a connected local socket runs as this
// user; false also when that cannot be told.
bool peerIsThisUser(qintptr fd) {
    struct ucred cred {};
    socklen_t len = sizeof cred;
    return fd >= 0 &&
           ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 &&
           cred.uid == ::getuid();
}

constexpr int kMaxConnections = 16;
constexpr int kConnectionTimeoutMs = 5000;

}  // namespace

QString openRequestFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime)) return QFile::decodeName(runtime);
    // No session folder: one of this user's own under the temporary folder.
    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/leafmark-" + QByteArray::number(::getuid());
    ::mkdir(own.constData(), 0700);
    return isPrivateFolder(own) ? QFile::decodeName(own) : QString();
}

QString openRequestServerName(const QString& executableBaseName) {
    const QString folder = openRequestFolder();
    if (folder.isEmpty()) return {};
    // One instance per display: the display's name is part of the socket's name.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
    return folder + QLatin1Char('/') + safeName(executableBaseName) + QLatin1Char('-') +
           safeName(display) + QStringLiteral("-open");
}

QByteArray encodeOpenRequest(const QString& path) {
    const QByteArray bytes = nativePath(path);
    QByteArray msg(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(bytes.size()), msg.data());
    return msg + bytes;
}

HandOver sendOpenRequest(const QString& serverName, const QString& path, int timeoutMs) {
    if (nativePath(path).size() > kMaxRequestBytes) return HandOver::Failed;
    if (serverName.isEmpty()) return HandOver::NoServer;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return HandOver::NoServer;
    // Page paths go only to a program of the same user.
    if (!peerIsThisUser(socket.socketDescriptor())) return HandOver::Failed;
    socket.write(encodeOpenRequest(path));
    if (!socket.waitForBytesWritten(timeoutMs)) return HandOver::Failed;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs)) return HandOver::Failed;
    }
    char answer = 0;
    socket.getChar(&answer);
    socket.disconnectFromServer();
    return answer == '1' ? HandOver::Delivered : HandOver::Failed;
}

bool openRequestServerRunning(const QString& serverName, int timeoutMs) {
    if (serverName.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool up = socket.waitForConnected(timeoutMs);
    socket.abort();
    return up;
}

OpenRequestServer::OpenRequestServer(std::function<void(const QString&)> handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &OpenRequestServer::acceptConnections);
}

OpenRequestServer::~OpenRequestServer() = default;

imaging::Status OpenRequestServer::listen(const QString& serverName) {
    using imaging::Status;
    if (serverName.isEmpty()) return Status::failure("no private folder for the socket");
    // Listening with access options replaces an existing socket file, so a live
    // instance must be asked first, or a second start would take its requests.
    if (openRequestServerRunning(serverName))
        return Status::failure("another Leafmark takes them under " + serverName.toStdString());
    if (server_->listen(serverName)) return Status::success();
    if (server_->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(serverName);
        if (server_->listen(serverName)) return Status::success();
    }
    return Status::failure(server_->errorString().toStdString());
}

void OpenRequestServer::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // Only the user's own programs are heard, a few at a time, and briefly:
        // an idle or half-sent connection is dropped after a few seconds.
        if (!peerIsThisUser(socket->socketDescriptor()) || connections_ >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++connections_;
        connect(socket, &QObject::destroyed, this, [this] { --connections_; });
        QTimer::singleShot(kConnectionTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        if (socket->bytesAvailable() > 0) readFrom(socket);
    }
}

void OpenRequestServer::readFrom(QLocalSocket* raw) {
    // Opening a page may run a nested event loop in which the socket goes away.
    QPointer<QLocalSocket> socket(raw);
    while (socket && socket->bytesAvailable() >= 4) {
        char head[4];
        socket->peek(head, 4);
        const quint32 length = qFromBigEndian<quint32>(head);
        if (length > static_cast<quint32>(kMaxRequestBytes)) {
            // Not a request of ours: refuse it and drop the connection.
            socket->write("0");
            socket->flush();
            socket->disconnectFromServer();
            return;
        }
        if (socket->bytesAvailable() < 4 + static_cast<qint64>(length)) return;
        socket->skip(4);
        const QString path = fromNativePath(socket->read(length));
        const bool usable = !path.isEmpty() && !path.contains(QChar(0));
        // Answer first: a message box raised while opening must not keep the
        // requesting program waiting.
        socket->write(usable ? "1" : "0");
        socket->flush();
        if (usable && handler_) handler_(path);
    }
}

}  // namespace leafmark::app
