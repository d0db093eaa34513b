// Feeds arbitrary bytes, in pieces whose sizes the first byte chooses, to the controller frame
// reader and parses every frame as a request and as an answer. Whatever arrives, the reader
// must never keep more than one frame, and every accepted request must survive its own
// encoding unchanged.

#include "operations/controller_frame.h"

#include <cstdlib>

using namespace zelmo::controller;

namespace {

void check(const Frame& frame) {
    if (frame.Payload.size() > static_cast<qsizetype>(kMaxPayload)) {
        std::abort();
    }
    (void)ParseAnswer(frame);
    const std::optional<ControllerRequest> request = ParseRequest(frame);
    if (!request) {
        return;
    }
    QByteArray encoded;
    switch (request->Type) {
    case ControllerRequest::Open:
        encoded = OpenProjectFrame(request->Path);
        break;
    case ControllerRequest::Run:
        encoded = RunFrame(request->Tab, request->Device);
        break;
    case ControllerRequest::Close:
        encoded = CloseFrame();
        break;
    }
    CFrameReader again;
    again.Append(encoded);
    const std::optional<Frame> back = again.Next();
    const std::optional<ControllerRequest> reparsed = back ? ParseRequest(*back) : std::nullopt;
    if (!reparsed || reparsed->Type != request->Type || reparsed->Path != request->Path ||
        reparsed->Device != request->Device || reparsed->Tab != request->Tab) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 64;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1,
                               static_cast<qsizetype>(size - 1));
    CFrameReader reader;
    for (qsizetype at = 0; at < bytes.size(); at += static_cast<qsizetype>(piece)) {
        reader.Append(bytes.sliced(
            at, std::min<qsizetype>(static_cast<qsizetype>(piece), bytes.size() - at)));
        while (std::optional<Frame> frame = reader.Next()) {
            check(*frame);
        }
        if (reader.Failed() && reader.Pending()) {
            std::abort(); // a refused stream keeps nothing
        }
    }
    return 0;
}
