// Production modes end to end: Auto mode programming chip after chip as the simulator inserts
// them, with serial numbers and statistics, stopping every production thread, and the sample
// remote-control library starting runs.

#include "operations/execution/operation_block.h"
#include "operations/operation_fixture.h"
#include "serialization/serialization.h"

#include <gtest/gtest.h>

#include <thread>

namespace zelmo::test {
namespace {

class Production : public OperationTest {
protected:
    // `count` programmers (a gang from two on) with as many EEPROMs whose Program tab programs
    // and verifies; production starts on the insertion of a device.
    void StartLine(int count) {
        ASSERT_TRUE(Start(count));
        project.GangMode = 1;
        project.ProdModeType = 1;
        for (int i = 0; i < count; ++i) {
            AddEeprom(count > 1 ? i : -1);
        }
    }
    // The serial number the chip now in the socket carries.
    unsigned ChipSerial() const {
        const auto chip = ChipMemoryA(0, kEepromFile, kEepromSize);
        return chip[kSerialAt] << 8 | chip[kSerialAt + 1];
    }
};

TEST_F(Production, AutoProgramsEveryInsertedChipWithTheNextSerialNumber) {
    REQUIRE_SIMULATOR();
    StartLine(1);
    Serialize(0, 0x0100);
    ops.AutoClick();
    ASSERT_TRUE(ops.ProductionOn());
    EXPECT_EQ(project.DeviceAt(0)->AutoActive, 1);
    EXPECT_TRUE(log.contains("40000 Production Mode (Auto) enabled."));

    // An empty socket never starts a run.
    Control(0, "socket = none\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(WaitFor([&] { return Counted(0) > 0; }, 300));

    for (unsigned chip = 1; chip <= 3; ++chip) {
        SCOPED_TRACE(chip);
        Control(0, "socket = chip-" + std::to_string(chip) + "\n");
        ASSERT_TRUE(WaitFor([&] { return Counted(0) == chip; })) << log.join('\n').toStdString();
        EXPECT_EQ(ChipSerial(), 0x00FF + chip);
        EXPECT_EQ(project.DeviceAt(0)->AutoActive, 1) << "parked for the next device";
    }
    EXPECT_EQ(project.DeviceAt(0)->Statistics->Good, 3u);
    EXPECT_EQ(project.DeviceAt(0)->Serialization->Current, 0x0103u);
    // Each device's report ends with the short line.
    EXPECT_TRUE(WaitFor([&] { return log.count("280000 Operations done.") == 3; }));

    ops.AutoClick();
    EXPECT_FALSE(ops.ProductionOn());
    EXPECT_EQ(ops.ThreadCount(), 0);
    EXPECT_EQ(project.DeviceAt(0)->AutoActive, 0);
    EXPECT_EQ(log.last(), "40000 Production Mode (Auto) disabled.");
}

TEST_F(Production, AFailedDeviceCountsBadAndLeavesItsNumberToTheNext) {
    REQUIRE_SIMULATOR();
    StartLine(1);
    Serialize(0, 0x0100);
    ops.AutoClick();
    ASSERT_TRUE(ops.ProductionOn());
    const unsigned expected[] = {0x0100, 0x0101, 0x0101};
    for (unsigned chip = 1; chip <= 3; ++chip) {
        SCOPED_TRACE(chip);
        Control(0, "run 2 = verify A:0x100\nsocket = chip-" + std::to_string(chip) + "\n");
        ASSERT_TRUE(WaitFor([&] { return Counted(0) == chip; })) << log.join('\n').toStdString();
        EXPECT_EQ(ChipSerial(), expected[chip - 1]);
    }
    const CDevice& device = *project.DeviceAt(0);
    EXPECT_EQ(device.Statistics->Good, 2u);
    EXPECT_EQ(device.Statistics->Bad, 1u);
    EXPECT_EQ(device.Serialization->Current, 0x0102u);
    CSerialization stored;
    stored.FileName = device.Serialization->FileName;
    ASSERT_TRUE(stored.LoadFromFile());
    EXPECT_EQ(stored.Current, 0x0102u) << "every advance is saved at once";
    ops.AutoClick();
}

TEST_F(Production, AReloadedFileNeverOverwritesTheSerialNumber) {
    REQUIRE_SIMULATOR();
    StartLine(1);
    Serialize(0, 0x0200);
    project.ReloadFile = 1;
    const auto image = Pattern(kEepromSize, 4);
    AssignFile(0, image);
    ops.AutoClick();
    for (unsigned chip = 1; chip <= 2; ++chip) {
        SCOPED_TRACE(chip);
        Control(0, "socket = chip-" + std::to_string(chip) + "\n");
        ASSERT_TRUE(WaitFor([&] { return Counted(0) == chip; })) << log.join('\n').toStdString();
        auto expected = image;
        expected[kSerialAt] = 0x02;
        expected[kSerialAt + 1] = static_cast<std::uint8_t>(chip - 1);
        EXPECT_EQ(ChipMemoryA(0, kEepromFile, kEepromSize), expected);
    }
    EXPECT_EQ(project.DeviceAt(0)->Statistics->Good, 2u);
    ops.AutoClick();
}

TEST_F(Production, TheButtonStopsEveryProductionThread) {
    REQUIRE_SIMULATOR();
    StartLine(2);
    ASSERT_TRUE(ops.Gang());
    ASSERT_TRUE(project.SetActiveDevice(1));
    ops.AutoClick();
    EXPECT_EQ(ops.ThreadCount(), 2);
    for (int d = 0; d < 2; ++d) {
        EXPECT_EQ(project.DeviceAt(d)->AutoActive, 1) << d;
    }
    EXPECT_FALSE(ops.Buttons().Run) << "no Run while production is on";
    EXPECT_TRUE(ops.Buttons().Auto);

    // Stopped on the programmers they were started on, whatever the assignment says now.
    ops.AssignProgrammer(0, 1);
    ops.AutoClick();
    EXPECT_TRUE(shownMessages.isEmpty());
    EXPECT_EQ(ops.ThreadCount(), 0);
    for (int d = 0; d < 2; ++d) {
        EXPECT_EQ(project.DeviceAt(d)->AutoActive, 0) << d;
        EXPECT_EQ(project.DeviceAt(d)->StatusText, "Production Mode (Auto) disabled.");
    }
    EXPECT_TRUE(ops.Buttons().Run);
}

TEST_F(Production, TheSampleRemoteControlLibraryStartsRuns) {
    REQUIRE_SIMULATOR();
    StartLine(1);
    TempDir control;
    ::setenv("ZELMO_RC_DIR", control.path().c_str(), 1);
    RemoteControlBinding remote;
    ASSERT_TRUE(remote.bind(QStringLiteral(ZELMO_SAMPLE_DIR)).ok);
    ops.SetHardware(appDir(), &session.Api(),
                    CProgrammers(session.Programmers(), session.Assignment(), false), &remote);
    project.RemoteCtrl = 1;
    ops.tRemoteCtrl.setInterval(20);

    ops.AutoClick();
    ASSERT_TRUE(ops.ProductionOn());
    EXPECT_TRUE(std::filesystem::exists(control / "active"));
    EXPECT_EQ(ops.ThreadCount(), 0) << "runs start only when the controller says so";

    ASSERT_TRUE(writeFile(control / "start0", ""));
    ASSERT_TRUE(WaitFor([&] { return Counted(0) == 1; })) << log.join('\n').toStdString();
    ASSERT_TRUE(WaitIdle());
    EXPECT_NE(readFile(control / "results.log").find("\t0\t0\tgood"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(control / "start0")) << "one trigger, one run";

    ops.AutoClick();
    EXPECT_FALSE(ops.ProductionOn());
    EXPECT_FALSE(std::filesystem::exists(control / "active"));
    EXPECT_EQ(log.last(), "40000 Production Mode (Remote control) disabled.");
    ops.SetHardware(appDir(), &session.Api(),
                    CProgrammers(session.Programmers(), session.Assignment(), false), nullptr);
}

} // namespace
} // namespace zelmo::test
