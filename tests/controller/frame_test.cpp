// Frames of the controller messages: what the parser accepts, and a reader that refuses an
// oversized payload from its header alone.

#include "operations/controller_frame.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace zelmo::controller {
namespace {

QByteArray header(std::uint32_t id, std::uint32_t count) {
    QByteArray bytes(8, '\0');
    qToLittleEndian(id, bytes.data());
    qToLittleEndian(count, bytes.data() + 4);
    return bytes;
}

QByteArray raw(std::uint32_t id, const QByteArray& payload) {
    return header(id, static_cast<std::uint32_t>(payload.size())) + payload;
}

QByteArray utf16le(const QString& text) {
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

std::optional<ControllerRequest> requestOf(const QByteArray& bytes) {
    CFrameReader reader;
    reader.Append(bytes);
    const std::optional<Frame> frame = reader.Next();
    EXPECT_TRUE(frame.has_value());
    EXPECT_FALSE(reader.Pending());
    return frame ? ParseRequest(*frame) : std::nullopt;
}

TEST(ControllerFrames, TheEncodedRequestsParseBackWhateverPiecesTheBytesArriveIn) {
    const QString path = QStringLiteral("/home/user/Projekt \u00fc\u4e2d/board.zlp");
    const QByteArray stream = OpenProjectFrame(path) + RunFrame(ControllerTab::Program, 2) +
                              RunFrame(ControllerTab::Read, 5) +
                              RunFrame(ControllerTab::Erase, 16) + CloseFrame();
    for (qsizetype piece : {qsizetype{1}, qsizetype{3}, qsizetype{8}, stream.size()}) {
        CFrameReader reader;
        std::vector<ControllerRequest> requests;
        for (qsizetype at = 0; at < stream.size(); at += piece) {
            reader.Append(stream.mid(at, piece));
            while (std::optional<Frame> frame = reader.Next()) {
                std::optional<ControllerRequest> request = ParseRequest(*frame);
                ASSERT_TRUE(request.has_value()) << "frame " << frame->Id;
                requests.push_back(*request);
            }
        }
        EXPECT_FALSE(reader.Pending());
        ASSERT_EQ(requests.size(), 5u) << "piece " << piece;
        EXPECT_EQ(requests[0].Type, ControllerRequest::Open);
        EXPECT_EQ(requests[0].Path, path);
        EXPECT_EQ(requests[1].Type, ControllerRequest::Run);
        EXPECT_EQ(requests[1].Device, 2);
        EXPECT_EQ(requests[1].Tab, ControllerTab::Program);
        EXPECT_EQ(requests[2].Tab, ControllerTab::Read);
        EXPECT_EQ(requests[2].Device, 5);
        EXPECT_EQ(requests[3].Tab, ControllerTab::Erase);
        EXPECT_EQ(requests[3].Device, 16);
        EXPECT_EQ(requests[4].Type, ControllerRequest::Close);
    }
}

TEST(ControllerFrames, ThePayloadMustFitTheIdentifier) {
    const QByteArray device2("\x02\x00\x00\x00", 4);
    struct Case {
        const char* what;
        QByteArray bytes;
        bool accepted;
    };
    const Case cases[] = {
        {"path without terminator", raw(0, utf16le("/p.zlp")), true},
        {"path of the longest size", raw(0, utf16le(QString(kMaxPathChars - 1, 'a')) + "\0\0"),
         true},
        {"path too long for its terminator", raw(0, utf16le(QString(kMaxPathChars, 'a'))), false},
        {"empty path", raw(0, {}), false},
        {"only a terminator", raw(0, QByteArray(2, '\0')), false},
        {"odd byte count", raw(0, utf16le("/p.zlp") + "x"), false},
        {"NUL inside the path", raw(0, utf16le(QStringLiteral("/a") + QChar(0) + "b")), false},
        {"run with 3 bytes", raw(1, device2.left(3)), false},
        {"run with 8 bytes", raw(2, device2 + device2), false},
        {"close with a payload", raw(99, device2), false},
        {"unknown identifier 4", raw(4, device2), false},
        {"unknown identifier 98", raw(98, {}), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(requestOf(c.bytes).has_value(), c.accepted) << c.what;
    }
    // Device numbers travel as sent; the server decides what they name.
    EXPECT_EQ(requestOf(raw(3, QByteArray("\xFF\xFF\xFF\xFF", 4)))->Device, -1);
}

TEST(ControllerFrames, AnOversizedPayloadIsRefusedFromItsHeaderAlone) {
    for (std::uint32_t count : {kMaxPayload + 1, 0xFFFFFFFFu}) {
        CFrameReader reader;
        reader.Append(header(0, count).left(7));
        EXPECT_FALSE(reader.Failed());
        reader.Append(header(0, count).mid(7));
        EXPECT_TRUE(reader.Failed()) << count;
        EXPECT_FALSE(reader.Pending()) << "nothing of it is kept";
        reader.Append(CloseFrame());
        EXPECT_FALSE(reader.Next().has_value()) << "the stream stays refused";
    }
    // Behind a good frame in the same read.
    CFrameReader reader;
    reader.Append(CloseFrame() + header(99, kMaxPayload + 1));
    EXPECT_TRUE(reader.Next().has_value());
    EXPECT_TRUE(reader.Failed());
    EXPECT_FALSE(reader.Next().has_value());
}

TEST(ControllerFrames, AnswersCarryOneCode) {
    for (std::int32_t code : {0, 1, 10, 11, 100, -7}) {
        CFrameReader reader;
        reader.Append(AnswerFrame(code));
        const std::optional<Frame> frame = reader.Next();
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(ParseAnswer(*frame), code);
    }
    EXPECT_FALSE(ParseAnswer({kAnswer, QByteArray(2, '\0')}).has_value());
    EXPECT_FALSE(ParseAnswer({kOpenProject, QByteArray(4, '\0')}).has_value());
}

} // namespace
} // namespace zelmo::controller
