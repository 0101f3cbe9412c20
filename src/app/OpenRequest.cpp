#include "app/OpenRequest.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>

#include <unistd.h>

namespace leafmark::app {

QString openRequestServerName(const QString& executableBaseName) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QString::number(::getuid());
    // Only letters, digits, '-' and '_' go into the socket name.
    QString name = executableBaseName + QLatin1Char('-') + user;
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    return name + QStringLiteral("-open");
}

QByteArray encodeOpenRequest(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    QByteArray msg(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(utf8.size()), msg.data());
    return msg + utf8;
}

HandOver sendOpenRequest(const QString& serverName, const QString& path, int timeoutMs) {
    if (path.toUtf8().size() > kMaxRequestBytes) return HandOver::Failed;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return HandOver::NoServer;
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
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool up = socket.waitForConnected(timeoutMs);
    socket.abort();
    return up;
}

OpenRequestServer::OpenRequestServer(std::function<void(const QString&)> handler,
                                     QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &OpenRequestServer::acceptConnections);
}

OpenRequestServer::~OpenRequestServer() = default;

bool OpenRequestServer::listen(const QString& serverName) {
    // Listening with access options replaces an existing socket file, so a live
    // instance must be asked first, or a second start would take its requests.
    if (openRequestServerRunning(serverName)) return false;
    if (server_->listen(serverName)) return true;
    if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
    QLocalServer::removeServer(serverName);
    return server_->listen(serverName);
}

bool OpenRequestServer::isListening() const { return server_->isListening(); }

void OpenRequestServer::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
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
        const QByteArray utf8 = socket->read(length);
        const QString path = QString::fromUtf8(utf8);
        const bool usable = !path.isEmpty() && !path.contains(QChar(0));
        // Answer first: a message box raised while opening must not keep the
        // requesting program waiting.
        socket->write(usable ? "1" : "0");
        socket->flush();
        if (usable && handler_) handler_(path);
    }
}

}  // namespace leafmark::app
