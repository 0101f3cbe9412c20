#pragma once
// The open request: one running Leafmark per user, display and executable name,
// listening in a folder only the user can enter and hearing only the user's own
// programs. A second
// start with a page path hands the path to the running one over a local socket.
// Each message is a 4-byte big-endian length and that many bytes of path, as the
// file system names it (UTF-8, or any bytes for a name that is not);
// the server answers "1" for a path taken and "0" for a message it refused.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

#include "imaging/engine/Status.h"

class QLocalServer;
class QLocalSocket;

namespace leafmark::app {

// Longest path accepted in an open request, in bytes.
constexpr int kMaxRequestBytes = 64 * 1024;

// The folder for the user's open-request sockets: the session's runtime folder
// when it is private (the user's own, mode 0700), else a private folder of the
// user's own under the temporary folder; empty when neither can be had.
QString openRequestFolder();

// The socket path for an executable base name in the user's open-request folder,
// one per display; empty when there is no private folder (no open requests then).
QString openRequestServerName(const QString& executableBaseName);

// Frames `path` as one request message.
QByteArray encodeOpenRequest(const QString& path);

enum class HandOver { Delivered, NoServer, Failed };

// Connects to `serverName` and sends `path`; waits up to `timeoutMs` for each step.
// Delivered when the running instance accepted it; NoServer when none listens.
HandOver sendOpenRequest(const QString& serverName, const QString& path, int timeoutMs = 5000);

// True when a server answers under `serverName`.
bool openRequestServerRunning(const QString& serverName, int timeoutMs = 1000);

// Listens for open requests and passes each received path to its handler.
class OpenRequestServer : public QObject {
    Q_OBJECT
  public:
    explicit OpenRequestServer(std::function<void(const QString&)> handler,
                               QObject* parent = nullptr);
    ~OpenRequestServer() override;

    // Starts listening under `serverName` (only this user may connect), replacing a
    // stale socket left by an instance that ended without closing it. Fails when the
    // name is empty (no private folder), when another instance listens under it, or
    // when the socket cannot be made.
    imaging::Status listen(const QString& serverName);

  private:
    void acceptConnections();
    void readFrom(QLocalSocket* socket);

    std::function<void(const QString&)> handler_;
    QLocalServer* server_;
    int connections_ = 0;
};

}  // namespace leafmark::app
