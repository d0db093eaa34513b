#include "operations/controller_socket.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <optional>

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace zelmo::controller {

namespace {

// The user at the other end of a connected local socket.
std::optional<std::uint32_t> peerUid(qintptr descriptor) {
    if (descriptor < 0) {
        return std::nullopt;
    }
#if defined(SO_PEERCRED)
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials,
                     &length) != 0 ||
        length != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(static_cast<int>(descriptor), &uid, &gid) != 0) {
        return std::nullopt;
    }
    return uid;
#endif
}

} // namespace

QString AnswerSocketName(int number) {
    if (number >= 1 && number <= 3) {
        return QStringLiteral("%1 %2").arg(QLatin1String(kAnswerSocket)).arg(number);
    }
    return QLatin1String(kAnswerSocket);
}

QString SocketPath(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return QDir(folder).filePath(name);
}

bool SendFrame(const QString& path, const QByteArray& frame, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    if (socket.write(frame) != frame.size()) {
        return false;
    }
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) {
            return false;
        }
    }
    socket.disconnectFromServer();
    return true;
}

CFrameListener::CFrameListener(std::function<bool(const Frame&)> accept, QObject* parent)
    : QObject(parent), accept_(std::move(accept)), server_(new QLocalServer(this)),
      owner_(static_cast<std::uint32_t>(::geteuid())) {
    connect(server_, &QLocalServer::newConnection, this, &CFrameListener::AcceptConnections);
}

CFrameListener::~CFrameListener() = default;

Result CFrameListener::Listen(const QString& path) {
    Close();
    {
        // A program listening there now must keep its socket; only a file left behind by one
        // that has gone may be replaced.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500)) {
            probe.abort();
            return Result::failure(
                QStringLiteral("another program is listening on '%1'").arg(path));
        }
    }
    QLocalServer::removeServer(path);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        return Result::failure(
            QStringLiteral("cannot listen on '%1': %2").arg(path, server_->errorString()));
    }
    return Result::success();
}

void CFrameListener::Close() {
    server_->close();
}

bool CFrameListener::IsListening() const {
    return server_->isListening();
}

void CFrameListener::AcceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        const std::optional<std::uint32_t> uid = peerUid(socket->socketDescriptor());
        if (!uid || *uid != owner_) {
            socket->abort();
            socket->deleteLater();
            emit connectionRejected(QStringLiteral("a connection of another user"));
            continue;
        }
        Serve(socket);
    }
}

void CFrameListener::Serve(QLocalSocket* socket) {
    // What one connection has read so far; shared by its handlers, which may still be called
    // while the dropped socket winds down.
    struct Connection {
        CFrameReader reader;
        bool dropped = false;
    };
    auto state = std::make_shared<Connection>();
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    auto drop = [this, socket, idle, state](const QString& reason) {
        if (state->dropped) {
            return;
        }
        state->dropped = true;
        idle->stop();
        socket->abort();
        socket->deleteLater();
        if (!reason.isEmpty()) {
            emit connectionRejected(reason);
        }
    };
    const QString incomplete = QStringLiteral("a frame left incomplete");
    auto readAll = [this, socket, idle, state, drop] {
        if (state->dropped) {
            return;
        }
        state->reader.Append(socket->readAll());
        while (std::optional<Frame> frame = state->reader.Next()) {
            if (!accept_(*frame)) {
                drop(QStringLiteral("a frame with identifier %1 and %2 bytes that is not accepted")
                         .arg(frame->Id)
                         .arg(frame->Payload.size()));
                return;
            }
            emit frameReceived(*frame);
            if (state->dropped) {
                return;
            }
        }
        if (state->reader.Failed()) {
            drop(QStringLiteral("a frame larger than %1 bytes").arg(kMaxPayload));
            return;
        }
        idle->start(idleMs_);
    };
    // A quiet connection is closed; it is a rejection only when it left a frame half sent.
    connect(idle, &QTimer::timeout, this,
            [state, drop, incomplete] { drop(state->reader.Pending() ? incomplete : QString()); });
    connect(socket, &QLocalSocket::readyRead, this, readAll);
    connect(socket, &QLocalSocket::disconnected, this, [state, readAll, drop, incomplete] {
        readAll(); // bytes that arrived with the end of the connection
        drop(state->reader.Pending() ? incomplete : QString());
    });
    readAll(); // bytes that arrived before the connection was served
}

} // namespace zelmo::controller
