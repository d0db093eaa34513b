// The adapter scan worker against the simulated hardware library of the application directory,
// whose socket sensing plays a script of sensed pins and programmer keys.

#include "catalogue/adapter_creator_model.h"
#include "catalogue/adapter_thread.h"

#include "app/startup_session.h"
#include "common/temp_dir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace zelmo {
namespace {

QString binDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    if (dir == nullptr || !QFileInfo::exists(QString::fromLocal8Bit(dir) + "/libhardware.so")) {
        return {};
    }
    return QString::fromLocal8Bit(dir) + "/";
}

void WriteSimulatorScript(const std::string& script) {
    std::ofstream(std::getenv("ZELMO_SIM_CONFIG"))
        << "[simulator]\nprogrammers = 1\nscan = " << script << "\n";
}

// Runs one scan of `creator` (already begun) to its end on a worker.
void RunScan(const QString& appDir, CAdapterCreator& creator, QString* failure = nullptr) {
    CMainThreadExecutor executor;
    bool ended = false;
    TAdapterThread thread(appDir, executor,
                          {.Cycle =
                               [&](const ZmSocketState& state, AdapterScanHost::Requests r) {
                                   return creator.ScanCycle(state, {r.Accept, r.Next, r.Previous});
                               },
                           .Ended =
                               [&] {
                                   creator.EndScan();
                                   ended = true;
                               },
                           .Failed =
                               [&](const QString& message) {
                                   if (failure != nullptr) {
                                       *failure = message;
                                   }
                               }},
                          std::chrono::milliseconds(5));
    RunWorker(thread);
    EXPECT_TRUE(ended);
}

TEST(AdapterScanThread, FullScanOfAnEightPinChipFillsTheFields) {
    const QString appDir = binDir();
    if (appDir.isEmpty()) {
        GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so";
    }
    // An 8-pin adapter: plug pins 1 to 8 on socket pins 21 to 28, chip pin k on plug pin k, and
    // socket pin 28 wired to pin 4 as well. Steps without a key only colour the fields; "prev"
    // and "next" step back and forth before the pin is accepted.
    WriteSimulatorScript("21; 21:accept; 22:accept; -; 23:accept; 24,28:accept; 30:prev; "
                         "-:next; 25:accept; 26:accept; 27:accept; 28:accept; 40:accept");
    CStartupSession session;
    ASSERT_TRUE(session.StartLibraries(appDir, 0).ok);
    ASSERT_TRUE(session.FindProgrammers(-1));
    ASSERT_FALSE(session.Programmers().empty());
    ASSERT_NE(session.Api().ZmInitHardware(session.Programmers()[0].Port, 0), 0);

    CAdapterCreator creator(true, std::nullopt);
    creator.Open({}, {});
    creator.SetAdapterPinsText("8");
    creator.SetDevicePinsText("8");
    ASSERT_TRUE(creator.New().ok);
    ASSERT_TRUE(creator.BeginScan().ok);
    RunScan(appDir, creator);

    EXPECT_FALSE(creator.Scanning);
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(creator.Fields[static_cast<std::size_t>(20 + k - 1)].Text,
                  k == 8 ? QStringLiteral("4,8") : QString::number(k))
            << "socket pin " << 20 + k;
    }
    EXPECT_TRUE(creator.Fields[39].Text.isEmpty()) << "the scan ended with the eighth pin";
    EXPECT_TRUE(creator.Fields[29].Text.isEmpty());
    EXPECT_TRUE(creator.PrepareSave({}).ok);
    session.Close();
}

TEST(AdapterScanThread, MissingLibraryOrExportEndsTheScanWithItsMessage) {
    test::TempDir empty;
    const std::pair<QString, const char*> cases[] = {
        {QString::fromStdString(empty.path().string()), "Missing 'libhardware.so'"},
        {QStringLiteral(ZELMO_FAKE_LIB_DIR "/no_ZmAdapterGetSocket"), "Incorrect 'libhardware.so'"},
    };
    for (const auto& [dir, message] : cases) {
        CAdapterCreator creator(true, std::nullopt);
        creator.Open({}, {});
        creator.SetDevicePinsText("8");
        ASSERT_TRUE(creator.New().ok);
        ASSERT_TRUE(creator.BeginScan().ok);
        QString failure;
        RunScan(dir, creator, &failure);
        EXPECT_EQ(failure, QString::fromLatin1(message));
        EXPECT_FALSE(creator.Scanning);
    }
}

} // namespace
} // namespace zelmo
