// The application's controller server over real local sockets, with a host that records its
// calls: refused connections and frames never reach the host, and answers go to the socket the
// request names.

#include "operations/controller_run.h"
#include "operations/controller_server.h"
#include "project/project_fixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QtEndian>

#include <functional>
#include <map>

#include <unistd.h>

namespace zelmo::controller {
namespace {

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class RecordingHost final : public ControllerHost {
public:
    std::vector<QString> calls;
    bool mayClose = false;
    std::optional<std::int32_t> runAnswer;

    bool ControllerOpen(const QString& path) override {
        calls.push_back("open " + path);
        return true;
    }
    std::optional<std::int32_t> ControllerRun(int device, ControllerTab tab) override {
        calls.push_back(QStringLiteral("run slot %1 tab %2").arg(device).arg(int(tab)));
        return runAnswer;
    }
    bool ControllerMayClose() override {
        calls.push_back("may close");
        return mayClose;
    }
    void ControllerClose() override { calls.push_back("close"); }
};

// Answers as zelmo2-cli would receive them, per socket name.
class AnswerSockets {
public:
    AnswerSockets() {
        for (const QString& name :
             {AnswerSocketName(0), AnswerSocketName(1), AnswerSocketName(2), AnswerSocketName(3)}) {
            auto listener = std::make_unique<CFrameListener>(
                [](const Frame& f) { return ParseAnswer(f).has_value(); });
            EXPECT_TRUE(listener->Listen(SocketPath(name)).ok) << name.toStdString();
            QObject::connect(
                listener.get(), &CFrameListener::frameReceived,
                [this, name](const Frame& f) { codes[name].push_back(*ParseAnswer(f)); });
            listeners.push_back(std::move(listener));
        }
    }
    std::map<QString, std::vector<std::int32_t>> codes;

private:
    std::vector<std::unique_ptr<CFrameListener>> listeners;
};

QByteArray header(std::uint32_t id, std::uint32_t count) {
    QByteArray bytes(8, '\0');
    qToLittleEndian(id, bytes.data());
    qToLittleEndian(count, bytes.data() + 4);
    return bytes;
}

class ControllerServer : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&server, &CControllerServer::requestRejected,
                         [this](const QString& reason) { rejected.push_back(reason); });
        ASSERT_TRUE(server.Listen().ok);
    }
    RecordingHost host;
    CControllerServer server{host};
    std::vector<QString> rejected;
};

TEST_F(ControllerServer, MalformedAndOversizedFramesEndTheirConnectionAndReachNoHost) {
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"unknown identifier", EncodeFrame(7, QByteArray(4, '\0'))},
        {"run without its device number", EncodeFrame(kRunProgram)},
        {"close with a payload", EncodeFrame(kCloseApplication, QByteArray(4, '\1'))},
        {"open with an odd byte count", EncodeFrame(kOpenProject, QByteArray(5, 'a'))},
        // Only the header: the server must not wait for the 4 GiB it announces.
        {"oversized", header(kOpenProject, 0xFFFFFFF0u)},
        {"oversized behind a good frame", CloseFrame() + header(kRunRead, kMaxPayload + 2)},
    };
    for (const Case& c : cases) {
        rejected.clear();
        QLocalSocket socket;
        socket.connectToServer(SocketPath(QLatin1String(kApplicationSocket)));
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(c.bytes);
        ASSERT_TRUE(socket.waitForBytesWritten(2000));
        // Dropped at once, long before the idle time of an incomplete frame.
        ASSERT_TRUE(waitFor([&] { return !rejected.empty(); }, 2000)) << c.what;
        EXPECT_TRUE(waitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }))
            << c.what;
    }
    QCoreApplication::processEvents();
    // The good close frame in front of the oversized one was taken; nothing else was.
    EXPECT_EQ(host.calls, std::vector<QString>{"may close"});
}

TEST_F(ControllerServer, RunRequestsNameTheirSlotAndTheirAnswerSocket) {
    AnswerSockets answers;
    const QString application = SocketPath(QLatin1String(kApplicationSocket));
    // Numbers outside 1..16 never reach the host and are answered 1 where the number points.
    for (std::int32_t number : {0, 17, -1}) {
        ASSERT_TRUE(SendFrame(application, RunFrame(ControllerTab::Program, number)));
    }
    ASSERT_TRUE(waitFor([&] { return answers.codes["Zelmo 2 CLI"].size() == 3; }));
    EXPECT_TRUE(host.calls.empty());

    // A started run is answered by its end step, a refusal by the host at once.
    ASSERT_TRUE(SendFrame(application, RunFrame(ControllerTab::Read, 2)));
    ASSERT_TRUE(waitFor([&] { return host.calls.size() == 1; }));
    server.RunEnded(1, kAnswerPinCheckFailed);
    host.runAnswer = kAnswerDemoMode;
    ASSERT_TRUE(SendFrame(application, RunFrame(ControllerTab::Erase, 3)));
    ASSERT_TRUE(waitFor([&] { return host.calls.size() == 2; }));
    server.RunEnded(4, kAnswerOperationFailed); // device 5
    ASSERT_TRUE(waitFor([&] {
        return answers.codes["Zelmo 2 CLI"].size() == 4 &&
               answers.codes["Zelmo 2 CLI 2"].size() == 1 &&
               answers.codes["Zelmo 2 CLI 3"].size() == 1;
    }));
    EXPECT_EQ(host.calls, (std::vector<QString>{"run slot 1 tab 1", "run slot 2 tab 2"}));
    EXPECT_EQ(answers.codes["Zelmo 2 CLI 2"], std::vector<std::int32_t>{kAnswerPinCheckFailed});
    EXPECT_EQ(answers.codes["Zelmo 2 CLI 3"], std::vector<std::int32_t>{kAnswerDemoMode});
    EXPECT_EQ(answers.codes["Zelmo 2 CLI"],
              (std::vector<std::int32_t>{1, 1, 1, kAnswerOperationFailed}));
    EXPECT_TRUE(answers.codes["Zelmo 2 CLI 1"].empty());
}

TEST_F(ControllerServer, AnAnswerWithoutListenerIsDropped) {
    std::vector<bool> delivered;
    QObject::connect(&server, &CControllerServer::answerSent,
                     [&](const QString&, std::int32_t, bool d) { delivered.push_back(d); });
    server.RunEnded(0, 0);
    EXPECT_EQ(delivered, std::vector<bool>{false});
}

TEST(ControllerListener, RefusesConnectionsOfAnotherUserAndHalfSentFrames) {
    std::vector<Frame> frames;
    std::vector<QString> reasons;
    CFrameListener listener([](const Frame&) { return true; });
    QObject::connect(&listener, &CFrameListener::frameReceived,
                     [&](const Frame& f) { frames.push_back(f); });
    QObject::connect(&listener, &CFrameListener::connectionRejected,
                     [&](const QString& r) { reasons.push_back(r); });
    const QString path = SocketPath(QStringLiteral("listener test"));
    ASSERT_TRUE(listener.Listen(path).ok);
    listener.SetOwner(static_cast<std::uint32_t>(::geteuid()) + 1);
    ASSERT_TRUE(SendFrame(path, CloseFrame()));
    ASSERT_TRUE(waitFor([&] { return !reasons.empty(); }));
    EXPECT_EQ(reasons.back(), "a connection of another user");

    listener.SetOwner(static_cast<std::uint32_t>(::geteuid()));
    listener.SetIdleTimeout(100);
    QLocalSocket socket;
    socket.connectToServer(path);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(CloseFrame() + CloseFrame().left(5));
    ASSERT_TRUE(socket.waitForBytesWritten(2000));
    ASSERT_TRUE(waitFor([&] { return reasons.size() == 2; }));
    EXPECT_EQ(reasons.back(), "a frame left incomplete");
    EXPECT_EQ(frames.size(), 1u) << "the complete frame before it was delivered";

    // A second listener on a live socket must not take it over.
    CFrameListener second([](const Frame&) { return true; });
    EXPECT_FALSE(second.Listen(path).ok);
    ASSERT_TRUE(SendFrame(path, CloseFrame()));
    EXPECT_TRUE(waitFor([&] { return frames.size() == 2; }));
}

class ControllerRunPreparation : public test::ProjectTest {};

TEST_F(ControllerRunPreparation, MakesTheDeviceActiveWithItsShownDataSetAndTab) {
    for (int d = 0; d < 3; ++d) {
        ASSERT_EQ(project.AddCompleteDevice(test::makeDescriptor({64, 0, 0, 0, 0})).Slot, d);
    }
    ASSERT_FALSE(project.AddDataSet(1, SwapInit::ResetAndFill).empty());
    ASSERT_TRUE(project.ShowDataSet(1, 1));
    const struct {
        ControllerTab tab;
        std::uint8_t selected;
    } tabs[] = {{ControllerTab::Program, 3}, {ControllerTab::Read, 2}, {ControllerTab::Erase, 1}};
    for (const auto& t : tabs) {
        ASSERT_TRUE(PrepareControllerRun(project, 1, t.tab));
        EXPECT_EQ(project.ActiveDevice, 1);
        EXPECT_EQ(project.Devices[1]->SelectedDataSet, 1);
        EXPECT_EQ(project.Devices[1]->OpTabsSelected, t.selected);
    }
    // No such device, or a running one: nothing changes.
    project.Devices[2]->Busy = 1;
    EXPECT_FALSE(PrepareControllerRun(project, 2, ControllerTab::Read));
    EXPECT_FALSE(PrepareControllerRun(project, 3, ControllerTab::Read));
    EXPECT_EQ(project.ActiveDevice, 1);
    EXPECT_EQ(project.Devices[2]->OpTabsSelected, 0);
}

} // namespace
} // namespace zelmo::controller
