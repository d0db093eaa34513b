#pragma once

// The local sockets of the controller messages. Every socket lives in the user's runtime folder
// and is reachable by its owner only: the listener refuses connections of any other user
// (checked on the connection itself, not only by the folder's permissions), drops a connection
// that sends a frame it does not accept, announces an oversized payload or leaves a frame
// incomplete for too long, and delivers the frames it accepts one by one.

#include "operations/controller_frame.h"
#include "platform/result.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace zelmo::controller {

// The application listens here for requests.
inline constexpr char kApplicationSocket[] = "Zelmo 2";
// zelmo2-cli listens here for answers: the unnumbered socket, or "Zelmo 2 CLI 1" to "... 3".
inline constexpr char kAnswerSocket[] = "Zelmo 2 CLI";

// Where the answer for device number `number` (1-based) goes: "Zelmo 2 CLI <number>" for the
// numbers 1, 2 and 3, else "Zelmo 2 CLI". Open and close answers go to the unnumbered one.
QString AnswerSocketName(int number);
// The socket `name` in the user's runtime folder.
QString SocketPath(const QString& name);

// Sends one frame to whoever listens at `path`. False when nobody does (the message is
// dropped) or the bytes could not be handed over within `timeoutMs`.
bool SendFrame(const QString& path, const QByteArray& frame, int timeoutMs = 2000);

class CFrameListener : public QObject {
    Q_OBJECT
public:
    // `accept` decides which frames are delivered; a frame it refuses ends its connection.
    explicit CFrameListener(std::function<bool(const Frame&)> accept, QObject* parent = nullptr);
    ~CFrameListener() override;

    // Listens at `path`, owner-only. Fails when another program already listens there; a
    // socket file left behind by a program that has gone is replaced.
    Result Listen(const QString& path);
    void Close();
    bool IsListening() const;

    // The user a peer must run as: this process's own unless a test says otherwise.
    void SetOwner(std::uint32_t uid) { owner_ = uid; }
    // How long a connection may hold an incomplete frame before it is dropped.
    void SetIdleTimeout(int milliseconds) { idleMs_ = milliseconds; }

signals:
    void frameReceived(const zelmo::controller::Frame& frame);
    // A connection was dropped; `reason` says why, for the log or a test.
    void connectionRejected(const QString& reason);

private:
    void AcceptConnections();
    void Serve(QLocalSocket* socket);

    std::function<bool(const Frame&)> accept_;
    QLocalServer* server_ = nullptr;
    std::uint32_t owner_;
    int idleMs_ = 5000;
};

} // namespace zelmo::controller
