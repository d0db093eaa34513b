#pragma once

// The messages between the application and zelmo2-cli. Each message is one frame on a local
// socket: a little-endian u32 identifier, a little-endian u32 byte count and that many payload
// bytes. The application receives requests (open a project, run a tab on a device, close) and
// sends answers (one int32 code) to the socket the request's kind names.
//
// Reading never trusts the peer: a byte count above the largest payload any message carries
// fails the stream at once, before its payload is waited for or stored, and a frame whose
// payload does not fit its identifier is refused by the parser.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zelmo::controller {

// Request identifiers (application side) and the one answer identifier (command-line side).
inline constexpr std::uint32_t kOpenProject = 0;
inline constexpr std::uint32_t kRunProgram = 1;
inline constexpr std::uint32_t kRunRead = 2;
inline constexpr std::uint32_t kRunErase = 3;
inline constexpr std::uint32_t kCloseApplication = 99;
inline constexpr std::uint32_t kAnswer = 1;

// Answer codes.
inline constexpr std::int32_t kAnswerSuccess = 0;
inline constexpr std::int32_t kAnswerFailed = 1; // open failed, close refused, run refused
inline constexpr std::int32_t kAnswerOperationFailed = 10;
inline constexpr std::int32_t kAnswerPinCheckFailed = 11;
inline constexpr std::int32_t kAnswerDemoMode = 100;

inline constexpr std::size_t kFrameHeaderSize = 8;
// A project path is a wide buffer of 32767 characters including its terminator.
inline constexpr std::uint32_t kMaxPathChars = 32767;
inline constexpr std::uint32_t kMaxPayload = 2 * kMaxPathChars;

enum class ControllerTab { Program, Read, Erase };

struct Frame {
    std::uint32_t Id = 0;
    QByteArray Payload;
};

// One frame: header and payload. The payload must not exceed kMaxPayload.
QByteArray EncodeFrame(std::uint32_t id, QByteArrayView payload = {});
// The frames of each message. The path travels as UTF-16LE with its terminator.
QByteArray OpenProjectFrame(const QString& path);
QByteArray RunFrame(ControllerTab tab, std::int32_t device);
QByteArray CloseFrame();
QByteArray AnswerFrame(std::int32_t code);

// Cuts a byte stream into frames. Bytes may arrive in any pieces; the reader never holds more
// than one header and one payload of at most kMaxPayload bytes.
class CFrameReader {
public:
    // Adds bytes read from the peer. After a failure further bytes are ignored.
    void Append(QByteArrayView bytes);
    // The next complete frame, if one has arrived.
    std::optional<Frame> Next();
    // The stream announced a payload larger than kMaxPayload.
    bool Failed() const { return failed_; }
    // Bytes of an incomplete frame are waiting.
    bool Pending() const { return !buffer_.isEmpty(); }

private:
    void CheckHeader();

    QByteArray buffer_;
    bool failed_ = false;
};

// A request the application accepts.
struct ControllerRequest {
    enum Kind { Open, Run, Close };
    Kind Type = Open;
    QString Path;            // Open: the project file
    std::int32_t Device = 0; // Run: 1-based device number as sent
    ControllerTab Tab = ControllerTab::Program;
};

// The request a frame carries; nothing for an unknown identifier or a payload that does not fit
// it (an open request needs a non-empty path without NUL characters but its optional
// terminator, a run request exactly one int32, a close request nothing).
std::optional<ControllerRequest> ParseRequest(const Frame& frame);
// The code an answer frame carries; nothing unless the identifier is kAnswer with one int32.
std::optional<std::int32_t> ParseAnswer(const Frame& frame);

} // namespace zelmo::controller
