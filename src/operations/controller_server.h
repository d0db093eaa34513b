#pragma once

// The application's side of the command-line controller: it listens under "Zelmo 2" and turns
// each accepted request into a call on its host (the main window), then answers on the socket
// the request's kind names. Requests are handled one at a time from the event loop, never
// inside the socket's own notification, so a host that shows a dialog meanwhile is safe.

#include "operations/controller_frame.h"
#include "operations/controller_socket.h"
#include "platform/result.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace zelmo::controller {

class ControllerHost {
public:
    virtual ~ControllerHost() = default;

    // Opens the project file; true when it is open.
    virtual bool ControllerOpen(const QString& path) = 0;
    // Makes device `device` (0-based, below 16) the active device with `tab` selected and
    // starts Run without a sender: no confirmation, threads not interactive. Returns the answer
    // when no run started (kAnswerDemoMode in demo mode, kAnswerFailed when the device does
    // not exist or the run was refused); nothing when a run started, whose end step answers
    // through CControllerServer::RunEnded.
    virtual std::optional<std::int32_t> ControllerRun(int device, ControllerTab tab) = 0;
    // The close check (it shows its own refusal); true when the application may close.
    virtual bool ControllerMayClose() = 0;
    // Shuts the application down; called once the answer 0 is on its way.
    virtual void ControllerClose() = 0;
};

class CControllerServer : public QObject {
    Q_OBJECT
public:
    explicit CControllerServer(ControllerHost& host, QObject* parent = nullptr);

    // Listens under "Zelmo 2" in the user's runtime folder.
    Result Listen();
    bool IsListening() const { return listener_.IsListening(); }

    // The end step of a run on device `slot`: the completion code (0 success, 10 an
    // operation failed, 11 pin-check failure) goes to the socket of device number slot + 1.
    void RunEnded(int slot, std::int32_t code);

signals:
    // An answer was sent to the socket `name`; `delivered` is false when nobody listened.
    void answerSent(const QString& name, std::int32_t code, bool delivered);
    // A connection was dropped (another user, a malformed or oversized frame).
    void requestRejected(const QString& reason);

private:
    void Handle(const ControllerRequest& request);
    void Answer(const QString& name, std::int32_t code);

    ControllerHost& host_;
    CFrameListener listener_;
};

} // namespace zelmo::controller
