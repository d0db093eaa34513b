#include "app/close_check.h"

#include "shell_fixture.h"

namespace zelmo {
namespace {

using test::ShellProjectTest;

TEST_F(ShellProjectTest, CloseRefusedWhileAnyDeviceRuns) {
    EXPECT_TRUE(CloseCheck(project).ok);
    AddTestDevice();
    CDevice& second = AddTestDevice();
    EXPECT_TRUE(CloseCheck(project).ok);
    for (auto flag : {&CDevice::Busy, &CDevice::AutoActive}) {
        second.*flag = 1;
        const Result r = CloseCheck(project);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, "Could not close application,\noperation in progress.");
        second.*flag = 0;
    }
}

TEST_F(ShellProjectTest, CloseRefusedOnlyForModifiedAssignedEnabledMemories) {
    CDevice& device = AddTestDevice({16, 16, 0, 0, 0});
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    MemoryState& memory = device.DataSets[1]->Memories[1]; // B of the second data set
    device.MemSelect = 0x01 | 0x02;

    memory.Modified = 1; // no file assigned
    EXPECT_TRUE(CloseCheck(project).ok);

    memory.Current = std::make_shared<CFileEntry>();
    memory.Current->FileName = "/work/b.hex";
    const Result refused = CloseCheck(project);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message,
              "One or more file was modified and not saved.\nSave file or clear buffer to quit.");

    device.MemSelect = 0x01; // memory B disabled
    EXPECT_TRUE(CloseCheck(project).ok);

    device.MemSelect = 0x03;
    memory.Modified = 0;
    EXPECT_TRUE(CloseCheck(project).ok);
}

} // namespace
} // namespace zelmo
