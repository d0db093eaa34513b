#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace zelmo {

namespace {

constexpr char kInstanceName[] = "Zelmo2Application";

QString DefaultFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder;
}

} // namespace

CSingleInstance::CSingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::LockFilePath() const {
    return QDir(folder_).filePath(QLatin1String(kInstanceName) + QStringLiteral(".lock"));
}

QString CSingleInstance::SocketPath() const {
    return QDir(folder_).filePath(QLatin1String(kInstanceName));
}

bool CSingleInstance::Acquire() {
    if (lock_) {
        return true;
    }
    auto lock = std::make_unique<QLockFile>(LockFilePath());
    // A lock is stale only when its owner has gone, never because it is old: the application
    // may run for days.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return false;
    }
    lock_ = std::move(lock);
    // Holding the lock, any socket left at the path belongs to a run that crashed.
    QLocalServer::removeServer(SocketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &CSingleInstance::ReadHandOver);
    // Without the socket the instance still runs; only hand-overs are lost.
    server_->listen(SocketPath());
    return true;
}

void CSingleInstance::ReadHandOver() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // One UTF-8 path per line; the sender closes after it, so whatever is left when it has
        // gone is a last line without its end.
        const auto drain = [this, socket](bool closing) {
            while (socket->canReadLine() || (closing && socket->bytesAvailable() > 0)) {
                const QString path = QString::fromUtf8(socket->readLine()).trimmed();
                if (!path.isEmpty()) {
                    emit projectHandedOver(path);
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, [drain] { drain(false); });
        connect(socket, &QLocalSocket::disconnected, this, [socket, drain] {
            drain(true);
            socket->deleteLater();
        });
    }
}

bool CSingleInstance::HandOver(const QString& projectPath, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    QByteArray line = projectPath.toUtf8();
    line.replace('\n', ' ');
    line.append('\n');
    socket.write(line);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) {
            return false;
        }
    }
    socket.disconnectFromServer();
    return true;
}

} // namespace zelmo
