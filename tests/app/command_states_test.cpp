#include "app/command_states.h"

#include "shell_fixture.h"

#include <vector>

namespace zelmo {
namespace {

using test::ShellProjectTest;

TEST_F(ShellProjectTest, NothingChangesWithoutDevices) {
    EXPECT_FALSE(ComputeCommandStates(project).has_value());
    EXPECT_FALSE(ProjectBusy(project));
    EXPECT_FALSE(ActiveDeviceBusy(project));
}

TEST_F(ShellProjectTest, IdleDeviceEnablesByItsCapabilities) {
    CDevice& device = AddTestDevice({16, 8, 0, 4, 0}, DEV_FILES | DEV_PIN_CHECK);
    device.Buffers[1].Flags = BUF_MANDATORY;
    const CommandStates s = *ComputeCommandStates(project);
    EXPECT_TRUE(s.NewProject && s.OpenProject && s.SaveProject && s.Options);
    EXPECT_TRUE(s.AddDevice && s.RemoveDevice && s.Setup && s.File && s.PinCheck);
    EXPECT_TRUE(s.StatClear && s.GlobalStatClear && s.UserDescr && s.Checksum && s.BufferView);
    // A: present; B: mandatory; C: absent; D: present.
    EXPECT_EQ(s.Memory, (std::array<bool, 4>{true, false, false, true}));

    device.Descriptor.Flags = 0;
    const CommandStates plain = *ComputeCommandStates(project);
    EXPECT_FALSE(plain.File);
    EXPECT_FALSE(plain.PinCheck);

    project.LinkDevices = 1;
    const CommandStates linked = *ComputeCommandStates(project);
    EXPECT_FALSE(linked.AddDevice || linked.RemoveDevice);
    EXPECT_TRUE(linked.NewProject && linked.Setup);
}

TEST_F(ShellProjectTest, BusyRulesForProjectAndActiveDevice) {
    AddTestDevice({16, 0, 0, 0, 0}, DEV_FILES | DEV_PIN_CHECK);
    CDevice& second = AddTestDevice({16, 0, 0, 0, 0}, DEV_FILES | DEV_PIN_CHECK);
    project.ProgrammerCount = 2;
    project.GangMode = 1;

    // Another device runs: the project bar is locked, the active device (with a programmer of
    // its own) stays usable.
    second.AutoActive = 1; // a parked production thread counts as running
    project.ActiveDevice = 0;
    CommandStates s = *ComputeCommandStates(project);
    EXPECT_FALSE(s.NewProject || s.OpenProject || s.SaveProject || s.Options);
    EXPECT_FALSE(s.AddDevice || s.RemoveDevice);
    EXPECT_TRUE(s.Setup && s.File && s.Memory[0] && s.BufferView);

    // The active device runs itself.
    second.AutoActive = 0;
    project.Devices[0]->Busy = 1;
    s = *ComputeCommandStates(project);
    EXPECT_FALSE(s.Setup || s.File || s.Memory[0] || s.PinCheck || s.StatClear ||
                 s.GlobalStatClear || s.UserDescr || s.Checksum || s.BufferView);

    // In gang mode a device without a programmer of its own counts as busy while any runs...
    project.ActiveDevice = 1;
    project.ProgrammerCount = 1;
    EXPECT_TRUE(ActiveDeviceBusy(project));
    // ...but not in single mode, nor when nothing runs.
    project.GangMode = 0;
    EXPECT_FALSE(ActiveDeviceBusy(project));
    project.GangMode = 1;
    project.Devices[0]->Busy = 0;
    EXPECT_FALSE(ActiveDeviceBusy(project));
}

TEST(CommandStates, CardCommandsNeedCardCapableProgrammersOnly) {
    std::vector<ProgrammerInfo> programmers(2);
    EXPECT_FALSE(CardCommandsAvailable({})); // demo mode
    programmers[0].Model = programmers[1].Model = 1;
    EXPECT_TRUE(CardCommandsAvailable(programmers));
    programmers[1].Model = 2;
    EXPECT_FALSE(CardCommandsAvailable(programmers));
}

} // namespace
} // namespace zelmo
