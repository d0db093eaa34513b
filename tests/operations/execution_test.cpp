// One device on one simulated programmer, run end to end: what a Run, a Read and a Single-tab
// operation leave in the buffers, the checksums, the statistics, the serial number, the log and
// the answer to the command-line controller.

#include "operations/execution/operation_block.h"
#include "operations/operation_fixture.h"
#include "serialization/serialization.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <numeric>

namespace zelmo::test {
namespace {

std::uint32_t sum(const std::vector<std::uint8_t>& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), std::uint32_t{0});
}

class Execution : public OperationTest {
protected:
    // One programmer and one EEPROM.
    int StartWithEeprom(const std::string& extra = {}) {
        EXPECT_TRUE(Start(1, extra));
        return AddEeprom();
    }
    bool Logged(const QString& line) const { return log.contains(line); }
};

TEST_F(Execution, AProgramRunThenAReadGivesTheBytesAndRecomputesTheEnabledChecksums) {
    REQUIRE_SIMULATOR();
    ASSERT_TRUE(Start(1));
    // Code memory, data EEPROM (off by default) and the configuration memory.
    const int d = AddDevice("MCHP:PIC16F84A:DIP18");
    CDevice& device = *project.DeviceAt(d);
    ASSERT_EQ(device.MemSelect & 0x0F, 0x05) << "memories A and C enabled";
    const auto a = Pattern(2048, 3);
    const auto c = Pattern(8, 9);
    SetMemory(d, 0, a);
    SetMemory(d, 2, c);
    device.OpTabsSelected = TabProgram;
    device.OpTabs[TabProgram] = OP_PROGRAM | OP_VERIFY;
    ASSERT_EQ(ops.Run(false), 1);
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(device.LastStatus, 0) << log.join('\n').toStdString();

    // Forget the buffers, then read the chip back.
    SetMemory(d, 0, std::vector<std::uint8_t>(2048, 0));
    SetMemory(d, 2, std::vector<std::uint8_t>(8, 0));
    CDataSet& set = *device.Selected();
    set.Memories[0].OnChecksum(0xDEAD);
    set.Memories[1].OnChecksum(0x1234);
    set.Memories[2].OnChecksumUnknown();
    device.OpTabsSelected = TabRead;
    device.OpTabs[TabRead] = OP_READ;
    ASSERT_EQ(ops.Run(false), 1);
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(device.LastStatus, 0) << log.join('\n').toStdString();
    EXPECT_EQ(Memory(d, 0), a);
    EXPECT_EQ(Memory(d, 2), c);
    EXPECT_EQ(set.Memories[0].ChecksumValid, 1);
    EXPECT_EQ(set.Memories[0].Checksum, sum(a));
    EXPECT_EQ(set.Memories[2].ChecksumValid, 1);
    EXPECT_EQ(set.Memories[2].Checksum, sum(c));
    EXPECT_EQ(set.Memories[1].Checksum, 0x1234u) << "memory B is not enabled";
    EXPECT_EQ(device.Statistics->Good, 2u);
    EXPECT_EQ(completions, (std::vector<std::pair<int, int>>{{1, 0}, {1, 0}}));
}

TEST_F(Execution, APinCheckFailureAnswers11AndLeavesTheDeviceAlone) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom();
    Serialize(d, 0x0100);
    CDevice& device = *project.DeviceAt(d);
    const auto before = Memory(d, 0);
    Control(0, "run 1-2 = pin_check 14\n");
    for (const bool byUser : {true, false}) {
        SCOPED_TRACE(byUser);
        pinCheckViews.clear();
        ASSERT_EQ(ops.Run(byUser), 1);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(device.LastStatus, ZM_STATUS_PIN_CHECK);
        EXPECT_EQ(completions.back(), std::make_pair(1, int{CodePinCheckFailed}));
        // Shown only to the user who started it; the record is the device's either way.
        EXPECT_EQ(pinCheckViews, byUser ? std::vector<int>{d} : std::vector<int>{});
        EXPECT_EQ(device.PinCheckResult[14], 'U');
        EXPECT_EQ(device.Statistics->Good + device.Statistics->Bad, 0u);
        EXPECT_EQ(device.Serialization->Current, 0x0100u);
        EXPECT_LT(device.Progress, 100.0);
    }
    auto written = before;
    written[0x10] = 0x01; // the number went into the buffer before the pin check stopped it
    written[0x11] = 0x00;
    EXPECT_EQ(Memory(d, 0), written);
}

TEST_F(Execution, AVerifyFailureAnswers10AndCountsBad) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom();
    Control(0, "run 1 = verify A:0x10\n");
    ASSERT_EQ(ops.Run(false), 1);
    ASSERT_TRUE(WaitIdle());
    const CDevice& device = *project.DeviceAt(d);
    EXPECT_EQ(device.LastStatus, OP_VERIFY);
    EXPECT_EQ(device.Statistics->Bad, 1u);
    EXPECT_EQ(completions, (std::vector<std::pair<int, int>>{{1, CodeOperationFailed}}));
    // The library's own lines, the failing one in red.
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const QString& line) {
        return line.startsWith("480000 Verify error at address 0x00000010");
    })) << log.join('\n').toStdString();
}

TEST_F(Execution, CancellingMidRunEndsWith0x800AndNoElapsedTime) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom("speed = 16K\n");
    project.ShowOpTime = 1;
    CDevice& device = *project.DeviceAt(d);
    ASSERT_EQ(ops.Run(true), 1);
    ASSERT_TRUE(WaitFor([&] { return device.Busy != 0 && device.Progress > 0.0; }));
    ops.CancelActive();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(device.LastStatus, ZM_STATUS_CANCELLED);
    const QString text = "Operation failed. Could not reload file(s).";
    EXPECT_TRUE(Logged("480000 " + text)) << log.join('\n').toStdString();
    EXPECT_EQ(device.StatusText, text);
    EXPECT_EQ(statusMessages.last(), text);
    EXPECT_FALSE(std::any_of(log.begin(), log.end(),
                             [](const QString& line) { return line.contains("Elapsed time"); }));
    EXPECT_EQ(completions.back().second, CodeOperationFailed) << "a cancelled run is no success";
}

TEST_F(Execution, ASingleOperationNeitherCountsNorWritesTheSerialNumber) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom();
    Serialize(d, 0x0100);
    project.SafeMode = 1;
    const auto before = Memory(d, 0);
    ops.SingleOperation(5); // Program
    EXPECT_EQ(questions, QStringList{"Are you sure?"});
    ASSERT_TRUE(WaitIdle());
    const CDevice& device = *project.DeviceAt(d);
    EXPECT_EQ(device.LastStatus, 0) << log.join('\n').toStdString();
    EXPECT_EQ(device.Statistics->Good + device.Statistics->Bad, 0u);
    EXPECT_EQ(device.Serialization->Current, 0x0100u);
    EXPECT_EQ(Memory(d, 0), before);
    EXPECT_EQ(ChipMemoryA(0, kEepromFile, kEepromSize), before);

    ops.SingleOperation(6); // Verify never asks
    EXPECT_EQ(questions.size(), 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(device.LastStatus, 0);
}

TEST_F(Execution, TheReportFollowsExtReportAndShowOpTime) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom("overhead_ms = 600\n");
    const CDevice& device = *project.DeviceAt(d);
    struct Case {
        std::uint8_t extReport;
        std::uint8_t showOpTime;
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{0, 1}}) {
        SCOPED_TRACE(testing::Message() << int{c.extReport} << int{c.showOpTime});
        project.ExtReport = c.extReport;
        project.ShowOpTime = c.showOpTime;
        log.clear();
        ASSERT_EQ(ops.Run(false), 1);
        ASSERT_TRUE(WaitIdle());
        ASSERT_EQ(device.LastStatus, 0);
        // After the start's header and "Executing operations...".
        const QStringList report = log.mid(2);
        if (c.extReport == 0) {
            ASSERT_GE(report.size(), 2);
            EXPECT_EQ(report.mid(0, 2), (QStringList{"50000", "280000 Operations done."}));
            EXPECT_EQ(device.StatusText, "Operations done.");
        } else {
            EXPECT_TRUE(report.contains("280000 Operation successful."))
                << report.join('\n').toStdString();
            EXPECT_FALSE(report.contains("280000 Operations done."));
            EXPECT_EQ(device.StatusText, "Operation successful.");
        }
        const QStringList timed = report.filter("Elapsed time:");
        if (c.showOpTime != 0) {
            // A few operations of 600 ms each: the seconds form, tenths after the point.
            ASSERT_EQ(timed.size(), 1);
            EXPECT_TRUE(QRegularExpression("^80000 Elapsed time: +[1-9]\\.[0-9]s$")
                            .match(timed[0])
                            .hasMatch())
                << timed[0].toStdString();
        } else {
            EXPECT_TRUE(timed.isEmpty());
        }
    }
}

TEST_F(Execution, ARunReloadsTheAssignedFileBeforeTheSerialNumberGoesIn) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom();
    Serialize(d, 0x0100);
    project.ReloadFile = 1;
    const auto image = Pattern(kEepromSize, 5);
    AssignFile(d, image);
    SetMemory(d, 0, std::vector<std::uint8_t>(kEepromSize, 0)); // an edited buffer
    ASSERT_EQ(ops.Run(false), 1);
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(project.DeviceAt(d)->LastStatus, 0) << log.join('\n').toStdString();
    auto expected = image;
    expected[0x10] = 0x01;
    expected[0x11] = 0x00;
    EXPECT_EQ(ChipMemoryA(0, kEepromFile, kEepromSize), expected);
    EXPECT_EQ(Memory(d, 0), expected);
    EXPECT_TRUE(Logged("80000 Reloading file. Target buffer: EEPROM..."))
        << log.join('\n').toStdString();
    EXPECT_EQ(project.DeviceAt(d)->Serialization->Current, 0x0101u);
}

TEST_F(Execution, AFailedReloadCancelsTheRunWithoutTouchingTheDevice) {
    REQUIRE_SIMULATOR();
    const int d = StartWithEeprom();
    Serialize(d, 0x0100);
    project.ReloadFile = 2;
    SetMemory(d, 0, Pattern(kEepromSize, 1)); // no file is assigned to memory A
    ASSERT_EQ(ops.Run(false), 1);
    ASSERT_TRUE(WaitIdle());
    const CDevice& device = *project.DeviceAt(d);
    EXPECT_EQ(device.LastStatus, ZM_STATUS_CANCELLED);
    EXPECT_TRUE(Logged("500000 Unknown file name. Reloading failed."))
        << log.join('\n').toStdString();
    EXPECT_TRUE(Logged("480000 Operation failed. Could not reload file(s)."));
    EXPECT_EQ(ChipMemoryA(0, kEepromFile, kEepromSize),
              std::vector<std::uint8_t>(kEepromSize, 0xFF))
        << "the chip was not programmed";
    EXPECT_EQ(device.Serialization->Current, 0x0100u);
    EXPECT_EQ(completions.back().second, CodeOperationFailed);
}

TEST_F(Execution, DemoModeRefusesAndAnswers100) {
    REQUIRE_SIMULATOR();
    ASSERT_TRUE(Start(0));
    project.ProgrammerCount = 0;
    const DeviceDescriptor* descriptor = nullptr;
    for (const DeviceDescriptor* d : session.Catalogue().Devices()) {
        descriptor = d;
        break;
    }
    ASSERT_NE(descriptor, nullptr);
    ASSERT_GE(project.AddCompleteDevice(*descriptor).Slot, 0);
    project.DeviceAt(0)->OpTabsSelected = TabProgram;
    EXPECT_EQ(ops.Run(true), 0);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(log, (QStringList{"50000", "80000 Operation not available in demo mode."}));
    EXPECT_EQ(project.DeviceAt(0)->StatusText, "Operation cancelled.");
    EXPECT_EQ(completions, (std::vector<std::pair<int, int>>{{1, CodeDemoMode}}));

    log.clear();
    ops.SingleOperation(2);
    EXPECT_EQ(log, (QStringList{"50000", "80000 Reading...",
                                "80000 Operation not available in demo mode."}));
    EXPECT_EQ(project.DeviceAt(0)->Busy, 0);
    log.clear();
    ops.AutoClick();
    EXPECT_EQ(log,
              QStringList{"40000 Auto mode not enabled. Operation not available in demo mode."});
    EXPECT_EQ(statusMessages.last(), "Operation cancelled.");
}

} // namespace
} // namespace zelmo::test
