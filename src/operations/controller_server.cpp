#include "operations/controller_server.h"

#include "project/project.h"

#include <QTimer>

namespace zelmo::controller {

CControllerServer::CControllerServer(ControllerHost& host, QObject* parent)
    : QObject(parent), host_(host),
      listener_([](const Frame& frame) { return ParseRequest(frame).has_value(); }, this) {
    connect(&listener_, &CFrameListener::frameReceived, this, [this](const Frame& frame) {
        const std::optional<ControllerRequest> request = ParseRequest(frame);
        if (request) {
            QTimer::singleShot(0, this, [this, r = *request] { Handle(r); });
        }
    });
    connect(&listener_, &CFrameListener::connectionRejected, this,
            &CControllerServer::requestRejected);
}

Result CControllerServer::Listen() {
    return listener_.Listen(SocketPath(QLatin1String(kApplicationSocket)));
}

void CControllerServer::RunEnded(int slot, std::int32_t code) {
    Answer(AnswerSocketName(slot + 1), code);
}

void CControllerServer::Handle(const ControllerRequest& request) {
    switch (request.Type) {
    case ControllerRequest::Open:
        Answer(QLatin1String(kAnswerSocket),
               host_.ControllerOpen(request.Path) ? kAnswerSuccess : kAnswerFailed);
        break;
    case ControllerRequest::Run: {
        // A number outside the project's slots is refused here, so the host only ever sees
        // a slot index.
        const int number = request.Device;
        std::optional<std::int32_t> answer = kAnswerFailed;
        if (number >= 1 && number <= kMaxDevices) {
            answer = host_.ControllerRun(number - 1, request.Tab);
        }
        if (answer) {
            Answer(AnswerSocketName(number), *answer);
        }
        break;
    }
    case ControllerRequest::Close:
        if (host_.ControllerMayClose()) {
            Answer(QLatin1String(kAnswerSocket), kAnswerSuccess);
            host_.ControllerClose();
        } else {
            Answer(QLatin1String(kAnswerSocket), kAnswerFailed);
        }
        break;
    }
}

void CControllerServer::Answer(const QString& name, std::int32_t code) {
    const bool delivered = SendFrame(SocketPath(name), AnswerFrame(code));
    emit answerSent(name, code, delivered);
}

} // namespace zelmo::controller
