#include "operations/controller_frame.h"

#include <QtEndian>

namespace zelmo::controller {

namespace {

QByteArray le32(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

std::uint32_t readLe32(const char* bytes) {
    return qFromLittleEndian<std::uint32_t>(bytes);
}

// The int32 that is a frame's whole payload.
std::optional<std::int32_t> onlyInt32(const Frame& frame) {
    if (frame.Payload.size() != 4) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(readLe32(frame.Payload.constData()));
}

std::optional<QString> pathOf(const QByteArray& payload) {
    if (payload.size() % 2 != 0 || payload.size() > static_cast<qsizetype>(kMaxPayload)) {
        return std::nullopt;
    }
    QString path(payload.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < path.size(); ++i) {
        path[i] = QChar(qFromLittleEndian<char16_t>(payload.constData() + 2 * i));
    }
    if (path.endsWith(QChar(u'\0'))) {
        path.chop(1);
    }
    // The path and its terminator fit the application's path buffer.
    if (path.isEmpty() || path.size() >= static_cast<qsizetype>(kMaxPathChars) ||
        path.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    return path;
}

} // namespace

QByteArray EncodeFrame(std::uint32_t id, QByteArrayView payload) {
    Q_ASSERT(payload.size() <= static_cast<qsizetype>(kMaxPayload));
    QByteArray frame = le32(id);
    frame += le32(static_cast<std::uint32_t>(payload.size()));
    frame += payload;
    return frame;
}

QByteArray OpenProjectFrame(const QString& path) {
    // Longer paths cannot be opened anyway; the application refuses them as it would an empty one.
    const QString sent = path.left(kMaxPathChars - 1);
    QByteArray payload(2 * (sent.size() + 1), '\0');
    for (qsizetype i = 0; i < sent.size(); ++i) {
        qToLittleEndian(sent[i].unicode(), payload.data() + 2 * i);
    }
    return EncodeFrame(kOpenProject, payload);
}

QByteArray RunFrame(ControllerTab tab, std::int32_t device) {
    const std::uint32_t id = tab == ControllerTab::Program ? kRunProgram
                             : tab == ControllerTab::Read  ? kRunRead
                                                           : kRunErase;
    return EncodeFrame(id, le32(static_cast<std::uint32_t>(device)));
}

QByteArray CloseFrame() {
    return EncodeFrame(kCloseApplication);
}

QByteArray AnswerFrame(std::int32_t code) {
    return EncodeFrame(kAnswer, le32(static_cast<std::uint32_t>(code)));
}

void CFrameReader::Append(QByteArrayView bytes) {
    if (failed_) {
        return;
    }
    buffer_ += bytes;
    CheckHeader();
}

void CFrameReader::CheckHeader() {
    // The announced size is checked as soon as a header is complete, so that a peer announcing
    // a huge payload is refused before anything more of it is stored.
    if (buffer_.size() >= static_cast<qsizetype>(kFrameHeaderSize) &&
        readLe32(buffer_.constData() + 4) > kMaxPayload) {
        failed_ = true;
        buffer_.clear();
    }
}

std::optional<Frame> CFrameReader::Next() {
    if (failed_ || buffer_.size() < static_cast<qsizetype>(kFrameHeaderSize)) {
        return std::nullopt;
    }
    const std::uint32_t count = readLe32(buffer_.constData() + 4);
    const auto total = static_cast<qsizetype>(kFrameHeaderSize + count);
    if (buffer_.size() < total) {
        return std::nullopt;
    }
    Frame frame;
    frame.Id = readLe32(buffer_.constData());
    frame.Payload = buffer_.mid(static_cast<qsizetype>(kFrameHeaderSize), count);
    buffer_.remove(0, total);
    CheckHeader(); // the next frame's header may already be here
    return frame;
}

std::optional<ControllerRequest> ParseRequest(const Frame& frame) {
    ControllerRequest request;
    switch (frame.Id) {
    case kOpenProject: {
        std::optional<QString> path = pathOf(frame.Payload);
        if (!path) {
            return std::nullopt;
        }
        request.Type = ControllerRequest::Open;
        request.Path = std::move(*path);
        return request;
    }
    case kRunProgram:
    case kRunRead:
    case kRunErase: {
        const std::optional<std::int32_t> device = onlyInt32(frame);
        if (!device) {
            return std::nullopt;
        }
        request.Type = ControllerRequest::Run;
        request.Device = *device;
        request.Tab = frame.Id == kRunProgram ? ControllerTab::Program
                      : frame.Id == kRunRead  ? ControllerTab::Read
                                              : ControllerTab::Erase;
        return request;
    }
    case kCloseApplication:
        if (!frame.Payload.isEmpty()) {
            return std::nullopt;
        }
        request.Type = ControllerRequest::Close;
        return request;
    default:
        return std::nullopt;
    }
}

std::optional<std::int32_t> ParseAnswer(const Frame& frame) {
    if (frame.Id != kAnswer) {
        return std::nullopt;
    }
    return onlyInt32(frame);
}

} // namespace zelmo::controller
