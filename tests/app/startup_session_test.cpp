// The start-up session against the simulated hardware library: the log of finding, opening and
// checking programmers, the firmware question, demo mode, a forced port and the catalogue.

#include "app/startup_session.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringList>

#include <cstdlib>
#include <filesystem>

namespace zelmo {
namespace {

namespace fs = std::filesystem;

QString binDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    const QString path = dir != nullptr ? QString::fromLocal8Bit(dir) + "/" : QString();
    return !path.isEmpty() && QFileInfo::exists(path + "libhardware.so") &&
                   QFileInfo::exists(path + "Lib/cpu.lib")
               ? path
               : QString();
}

#define REQUIRE_SIMULATOR()                                                                        \
    const QString appDir = binDir();                                                               \
    if (appDir.isEmpty()) {                                                                        \
        GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so and Lib/cpu.lib";                 \
    }

// The simulator's configuration for this run (the test main points ZELMO_SIM_CONFIG here).
void configure(const std::string& ini) {
    ASSERT_TRUE(test::writeFile(std::getenv("ZELMO_SIM_CONFIG"), ini));
}

struct Host {
    QStringList log; // "kind hex: text"
    QStringList shown;
    QStringList asked;
    bool answer = false;
    StartupHost host() {
        return {
            .Log = [this](LogKind kind,
                          const QString& text) { log << QString::asprintf("%X ", kind) + text; },
            .ShowMessage = [this](const QString& text) { shown << text; },
            .Confirm =
                [this](const QString& question) {
                    asked << question;
                    return answer;
                }};
    }
};

TEST(StartupSession, ProgrammersAreOpenedCheckedAndSortedBySerialNumber) {
    REQUIRE_SIMULATOR();
    configure("[simulator]\nprogrammers = 3\n"
              "[programmer 1]\nport = 4\nserial = ZS000300\n"
              "[programmer 2]\nport = 5\nserial = ZS000100\nmodel = 2\n"
              "[programmer 3]\nport = 6\nserial = ZS000200\n");
    Host host;
    CStartupSession session(host.host());
    ASSERT_TRUE(session.StartLibraries(appDir).ok);
    ASSERT_TRUE(session.FindProgrammers());
    const QStringList expected = {
        "0 Initializing libraries.",
        "0 Searching for hardware.",
        "0 3 programmers found.",
        "80000 1) Zelmo 2 USB,  version 1.0, serial number ZS000300.",
        "100000 Firmware version: 1.02.10.05.",
        "2100000 Initializing hardware...",
        "0  OK.",
        "80000 2) Zelmo 2 USB,  version 1.0, serial number ZS000100.",
        "100000 Firmware version: 1.02.10.05.",
        "2100000 Initializing hardware...",
        "0  OK.",
        "80000 3) Zelmo 2 USB,  version 1.0, serial number ZS000200.",
        "100000 Firmware version: 1.02.10.05.",
        "2100000 Initializing hardware...",
        "0  OK.",
        "0 Sorting programmers by serial number.",
        "0 'Gang' mode not possible. Entering 'Single' mode.",
    };
    EXPECT_EQ(host.log, expected);
    ASSERT_EQ(session.Programmers().size(), 3u);
    EXPECT_EQ(session.Programmers()[0].Port, 5);
    EXPECT_EQ(session.Programmers()[1].Port, 6);
    EXPECT_EQ(session.Programmers()[2].Port, 4);
    EXPECT_FALSE(session.GangCapable());
    EXPECT_EQ(session.Assignment(),
              (std::map<std::uint8_t, std::int32_t>{{4, -1}, {5, -1}, {6, -1}}));
    EXPECT_TRUE(host.shown.isEmpty());
}

TEST(StartupSession, DemoModeAndAForcedPort) {
    REQUIRE_SIMULATOR();
    configure("[simulator]\nprogrammers = 0\n");
    {
        Host host;
        CStartupSession session(host.host());
        ASSERT_TRUE(session.StartLibraries(appDir).ok);
        ASSERT_TRUE(session.FindProgrammers());
        EXPECT_EQ(host.log.mid(1), (QStringList{"0 Searching for hardware.",
                                                "0 No programmers found. Entering demo mode."}));
        EXPECT_TRUE(session.Programmers().empty());
    }
    configure("[simulator]\nprogrammers = 1\n[programmer 1]\nport = 7\n");
    Host host;
    CStartupSession session(host.host());
    ASSERT_TRUE(session.StartLibraries(appDir).ok);
    ASSERT_TRUE(session.FindProgrammers(7));
    EXPECT_EQ(host.log.mid(1, 2),
              (QStringList{"0 Opening programmers at USB#7.", "0 Programmer found. Opening."}));
    ASSERT_EQ(session.Programmers().size(), 1u);
    EXPECT_EQ(session.Programmers()[0].Port, 7);
    EXPECT_EQ(host.log.last(), "0 Entering 'Gang' mode."); // logged for one programmer too
    EXPECT_FALSE(session.GangCapable());
}

TEST(StartupSession, FirmwareMismatchAsksAndAlwaysEndsTheRun) {
    REQUIRE_SIMULATOR();
    for (const bool update : {false, true}) {
        SCOPED_TRACE(update ? "OK" : "Cancel");
        configure("[simulator]\nprogrammers = 3\n[programmer 2]\nfirmware = 1.01.00.00\n");
        Host host;
        host.answer = update;
        CStartupSession session(host.host());
        ASSERT_TRUE(session.StartLibraries(appDir).ok);
        EXPECT_FALSE(session.FindProgrammers());
        EXPECT_TRUE(host.log.contains("1100000 Firmware version mismatch."));
        EXPECT_TRUE(host.log.contains("100000 Current version: 1.01.00.00."));
        EXPECT_TRUE(host.log.contains("100000 New version:     1.02.10.05."));
        EXPECT_EQ(host.asked, QStringList{"Firmware version mismatch.\nPress OK to start firmware "
                                          "update\nor Cancel to quit."});
        EXPECT_EQ(host.log.contains("40000 Starting firmware update procedure."), update);
        EXPECT_EQ(host.log.last(), "0 Closing application.");
        EXPECT_TRUE(host.shown.isEmpty());
    }
}

TEST(StartupSession, AFailingProgrammerEndsTheRunWithItsMessage) {
    REQUIRE_SIMULATOR();
    const struct {
        const char* fail;
        const char* shown;
    } cases[] = {
        {"type",
         "Initialization error.\nCould not read device signature.\nApplication terminated."},
        {"firmware_check", "Could not check firmware.\nApplication terminated."},
        {"open", nullptr}, // the library's own messages go to the log
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fail);
        configure(std::string("[simulator]\nfail = ") + c.fail + "\n");
        Host host;
        CStartupSession session(host.host());
        ASSERT_TRUE(session.StartLibraries(appDir).ok);
        EXPECT_FALSE(session.FindProgrammers());
        EXPECT_EQ(host.shown, c.shown != nullptr ? QStringList{c.shown} : QStringList{});
        if (c.shown == nullptr) {
            EXPECT_GT(host.log.size(), 3) << host.log.join("|").toStdString();
        }
    }
}

TEST(StartupSession, CatalogueWithoutDevicesIsAFailureWithItsMessage) {
    REQUIRE_SIMULATOR();
    configure("[simulator]\nprogrammers = 0\n");
    {
        Host host;
        CStartupSession session(host.host());
        ASSERT_TRUE(session.StartLibraries(appDir).ok);
        const CatalogueLoadResult loaded = session.LoadCatalogue();
        EXPECT_TRUE(loaded.ok);
        EXPECT_GT(session.Catalogue().DeviceCount, 0);
        EXPECT_EQ(host.log[1], "40000 Reading configuration files.");
    }
    // An application directory whose catalogue is empty.
    test::TempDir dir;
    fs::copy_file(fs::path(appDir.toStdString()) / "libhardware.so", dir / "libhardware.so");
    fs::create_directories(dir / "Lib");
    ASSERT_TRUE(test::writeFile(dir / "Lib" / "ConfigLib.lib", ""));
    Host host;
    CStartupSession session(host.host());
    ASSERT_TRUE(session.StartLibraries(QString::fromStdString(dir.path().string())).ok);
    const CatalogueLoadResult loaded = session.LoadCatalogue();
    EXPECT_FALSE(loaded.ok);
    EXPECT_FALSE(loaded.message.isEmpty());
    EXPECT_EQ(session.Catalogue().DeviceCount, 0);
}

TEST(StartupSession, MissingLibraryIsTheErrorBoxText) {
    test::TempDir empty;
    Host host;
    CStartupSession session(host.host());
    const Result started = session.StartLibraries(QString::fromStdString(empty.path().string()));
    EXPECT_FALSE(started.ok);
    EXPECT_EQ(started.message, "Missing 'libhardware.so'");
    EXPECT_FALSE(session.FindProgrammers());
    EXPECT_FALSE(session.LoadCatalogue().ok);
}

} // namespace
} // namespace zelmo
