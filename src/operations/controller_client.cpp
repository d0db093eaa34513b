#include "operations/controller_client.h"

#include "operations/controller_frame.h"
#include "operations/controller_socket.h"

#include <QEventLoop>
#include <QTimer>

namespace zelmo::controller {

ControllerReply AskApplication(const QByteArray& request, const QString& answerName,
                               int timeoutMs) {
    ControllerReply reply;
    CFrameListener answers([](const Frame& frame) { return ParseAnswer(frame).has_value(); });
    const Result listening = answers.Listen(SocketPath(answerName));
    if (!listening.ok) {
        reply.Status = ControllerReply::AnswerSocketUnavailable;
        reply.Message = listening.message;
        return reply;
    }
    QEventLoop loop;
    bool answered = false;
    QObject::connect(&answers, &CFrameListener::frameReceived, &loop, [&](const Frame& frame) {
        if (!answered) {
            answered = true;
            reply.Code = *ParseAnswer(frame);
            loop.quit();
        }
    });
    const QString application = SocketPath(QLatin1String(kApplicationSocket));
    if (!SendFrame(application, request)) {
        reply.Status = ControllerReply::NotRunning;
        reply.Message =
            QStringLiteral("Zelmo 2 is not running (nobody listens on '%1')").arg(application);
        return reply;
    }
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs > 0) {
        timer.start(timeoutMs);
    }
    if (!answered) {
        loop.exec();
    }
    if (answered) {
        reply.Status = ControllerReply::Answered;
    } else {
        reply.Status = ControllerReply::NoAnswer;
        reply.Message = QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000.0);
    }
    return reply;
}

int ExitStatus(const ControllerReply& reply) {
    switch (reply.Status) {
    case ControllerReply::Answered:
        switch (reply.Code) {
        case kAnswerSuccess:
        case kAnswerFailed:
        case kAnswerOperationFailed:
        case kAnswerPinCheckFailed:
        case kAnswerDemoMode:
            return reply.Code;
        default:
            return kExitUnknownAnswer;
        }
    case ControllerReply::NotRunning:
        return kExitNotRunning;
    case ControllerReply::NoAnswer:
        return kExitNoAnswer;
    case ControllerReply::AnswerSocketUnavailable:
        break;
    }
    return kExitAnswerSocket;
}

QString Describe(const ControllerReply& reply) {
    if (reply.Status != ControllerReply::Answered) {
        return reply.Message;
    }
    switch (reply.Code) {
    case kAnswerSuccess:
        return QStringLiteral("done (answer 0)");
    case kAnswerFailed:
        return QStringLiteral("refused or failed (answer 1)");
    case kAnswerOperationFailed:
        return QStringLiteral("an operation failed (answer 10)");
    case kAnswerPinCheckFailed:
        return QStringLiteral("pin-check failure (answer 11)");
    case kAnswerDemoMode:
        return QStringLiteral("refused in demo mode (answer 100)");
    default:
        return QStringLiteral("unexpected answer %1").arg(reply.Code);
    }
}

} // namespace zelmo::controller
