#pragma once

// zelmo2-cli's side of the controller: listen on the answer socket first (so that a quick
// answer is never missed), send the request to the application, wait for the answer, and turn
// the outcome into the program's exit status.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace zelmo::controller {

// Exit statuses besides the answer codes 0, 1, 10, 11 and 100, which are passed on as they are
// (2 stays the command line's "bad arguments").
inline constexpr int kExitNotRunning = 3;    // nobody listens under "Zelmo 2"
inline constexpr int kExitNoAnswer = 4;      // no answer within the time allowed
inline constexpr int kExitAnswerSocket = 5;  // the answer socket is taken or cannot be made
inline constexpr int kExitUnknownAnswer = 6; // an answer code outside the list

struct ControllerReply {
    enum Outcome { Answered, NotRunning, NoAnswer, AnswerSocketUnavailable };
    Outcome Status = NoAnswer;
    std::int32_t Code = 0; // the answer, when Answered
    QString Message;       // what went wrong otherwise
};

// Listens under `answerName`, sends `request` to the application and waits up to `timeoutMs`
// (0 or less: without limit) for one answer. Frames that are not answers are dropped and the
// wait goes on. Runs its own event loop; needs a QCoreApplication.
ControllerReply AskApplication(const QByteArray& request, const QString& answerName, int timeoutMs);

int ExitStatus(const ControllerReply& reply);
// One line for the user: what the answer or the failure means.
QString Describe(const ControllerReply& reply);

} // namespace zelmo::controller
