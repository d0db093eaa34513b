// Gang mode end to end: eight programmers running eight linked devices at once, the programmer
// assignment as the one pairing rule, and the lights of the gang panels.

#include "operations/execution/operation_block.h"
#include "operations/operation_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace zelmo::test {
namespace {

class Gang : public OperationTest {
protected:
    // `count` programmers with as many EEPROMs, device i served by programmer i.
    void StartGang(int count, const std::string& extra = {}) {
        ASSERT_TRUE(Start(count, extra));
        project.GangMode = 1;
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(AddEeprom(i), i);
        }
        ASSERT_TRUE(ops.Gang());
    }
};

TEST_F(Gang, OneRunProgramsEightLinkedDevicesAtOnce) {
    REQUIRE_SIMULATOR();
    StartGang(8, "speed = 64K\n");
    ops.ToggleLinkDevices();
    for (int d = 0; d < 8; ++d) {
        ASSERT_EQ(project.DeviceAt(d)->Linked, 1);
        SetMemory(d, 0, Pattern(kEepromSize, static_cast<std::uint8_t>(d)));
    }
    // Devices inside their operations at the same time: from the processing-start step (busy
    // with its lights) to the results step (idle again).
    int processing = 0;
    int most = 0;
    std::map<int, bool> inside;
    QObject::connect(&ops, &COperations::ViewsChanged, [&](int d, unsigned views) {
        const CDevice* device = project.DeviceAt(d);
        if (device == nullptr || (views & ViewLights) == 0) {
            return;
        }
        const bool busy = device->Busy != 0;
        if (busy != inside[d]) {
            inside[d] = busy;
            processing += busy ? 1 : -1;
            most = std::max(most, processing);
        }
    });
    EXPECT_EQ(ops.Run(true), 8);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(most, 8);
    for (int d = 0; d < 8; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(project.DeviceAt(d)->LastStatus, 0) << log.join('\n').toStdString();
        EXPECT_EQ(ChipMemoryA(d, kEepromFile, kEepromSize),
                  Pattern(kEepromSize, static_cast<std::uint8_t>(d)));
        EXPECT_TRUE(ops.Lights(d).Good);
    }
    EXPECT_TRUE(pinCheckViews.empty()) << "several programmers: never interactive";
}

TEST_F(Gang, TheAssignmentDecidesWhichProgrammerServesADevice) {
    REQUIRE_SIMULATOR();
    StartGang(2);
    // Programmer 0 goes over to device 1; device 0 is left without one.
    ops.AssignProgrammer(1, 0);
    EXPECT_EQ(ops.AssignMenu(0)[0].Caption.toStdString(), "ZS000002");
    EXPECT_EQ(ops.AssignMenu(0)[1].Caption.toStdString(), "ZS000001 - AT28C64B");
    ASSERT_TRUE(project.SetActiveDevice(0));
    EXPECT_EQ(ops.Run(true), 0);
    EXPECT_EQ(shownMessages, QStringList{"Please assign programmer to the microchip.\n\rUse sub "
                                         "menu Assign Programmer item"});
    EXPECT_EQ(project.DeviceAt(0)->StatusText, "Operation cancelled.");
    EXPECT_EQ(ops.ThreadCount(), 0);

    // Device 1 runs on programmer 0, and without linking only the active device runs.
    ASSERT_TRUE(project.SetActiveDevice(1));
    SetMemory(1, 0, Pattern(kEepromSize, 7));
    EXPECT_EQ(ops.Run(true), 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(project.DeviceAt(1)->LastStatus, 0);
    EXPECT_EQ(ChipMemoryA(0, kEepromFile, kEepromSize), Pattern(kEepromSize, 7));
    EXPECT_FALSE(std::filesystem::exists(PortDir(1) / (std::string(kEepromFile) + ".chip")));
}

TEST_F(Gang, ASlotShowsLightsOnlyOnceItRan) {
    REQUIRE_SIMULATOR();
    StartGang(2);
    for (int slot = 0; slot < 2; ++slot) {
        EXPECT_EQ(ops.Lights(slot), GangLights{}) << slot;
    }
    Control(0, "run 1 = verify A:0x10\n");
    ASSERT_TRUE(project.SetActiveDevice(0));
    ASSERT_EQ(ops.Run(false), 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(project.DeviceAt(0)->LastStatus, OP_VERIFY);
    EXPECT_EQ(ops.Lights(0), (GangLights{.Busy = false, .Error = true, .Good = false}));
    EXPECT_EQ(project.DeviceAt(0)->Statistics->Bad, 1u);
    EXPECT_EQ(completions.back(), std::make_pair(1, int{CodeOperationFailed}));
    EXPECT_EQ(ops.Lights(1), GangLights{}) << "slot 2 never ran";
}

TEST_F(Gang, ALinkedSingleOperationRunsOnTheLinkedDevicesOnly) {
    REQUIRE_SIMULATOR();
    StartGang(3);
    // The third device is another chip: it never takes part.
    project.RemoveDevice(2);
    const int other = AddDevice("ATM:AT28C16:DIP24");
    ASSERT_EQ(other, 2);
    ops.AssignProgrammer(other, 2);
    ops.ToggleLinkDevices();
    ASSERT_EQ(project.DeviceAt(other)->Linked, 0);
    for (int d = 0; d < 2; ++d) {
        SetMemory(d, 0, Pattern(kEepromSize, static_cast<std::uint8_t>(d + 1)));
    }
    ops.SingleOperation(5); // Program
    ASSERT_TRUE(WaitIdle());
    for (int d = 0; d < 2; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(project.DeviceAt(d)->LastStatus, 0) << log.join('\n').toStdString();
        EXPECT_EQ(ChipMemoryA(d, kEepromFile, kEepromSize),
                  Pattern(kEepromSize, static_cast<std::uint8_t>(d + 1)));
        EXPECT_EQ(project.DeviceAt(d)->Statistics->Good, 0u) << "a single operation";
    }
    EXPECT_EQ(completions.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(PortDir(2) / "ATM_AT28C16_DIP24.chip"));
    EXPECT_EQ(project.DeviceAt(other)->Busy, 0);
}

TEST_F(Gang, EscapeCancelsOnlyTheActiveDevice) {
    REQUIRE_SIMULATOR();
    StartGang(2, "speed = 16K\n");
    ops.ToggleLinkDevices();
    ASSERT_EQ(ops.Run(false), 2);
    ASSERT_TRUE(WaitFor([&] { return project.DeviceAt(0)->Progress > 0.0; }));
    ops.CancelActive();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(project.DeviceAt(0)->LastStatus, ZM_STATUS_CANCELLED);
    EXPECT_EQ(project.DeviceAt(1)->LastStatus, 0);
}

} // namespace
} // namespace zelmo::test
