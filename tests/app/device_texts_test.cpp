#include "app/bottom_tabs_model.h"
#include "app/log_header.h"

#include "shell_fixture.h"

namespace zelmo {
namespace {

using test::ShellProjectTest;

TEST_F(ShellProjectTest, HeadersNameEachDevicesOwnDataSet) {
    AddTestDevice({16, 0, 0, 0, 0}, 0, "FIRST");
    CDevice& second = AddTestDevice({16, 0, 0, 0, 0}, 0, "SECOND");
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill, 0, "Active shown").empty());
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill, 0, "Third").empty());
    project.Devices[0]->ShownDataSet = 2;
    project.Devices[0]->SelectedDataSet = 1;
    ASSERT_FALSE(project.AddDataSet(1, SwapInit::ResetAndFill, 0, "Other selected").empty());
    second.SelectedDataSet = 1;
    second.ShownDataSet = 0;

    const LogHeaderNames active = HeaderNamesFor(project, 0);
    EXPECT_EQ(active.deviceName, "FIRST");
    EXPECT_EQ(active.package, "DIP8");
    EXPECT_EQ(active.dataSetName, "Third"); // the data set in the buffer views

    // The other device has only two data sets: position 2 of the active one does not exist
    // there; it names its own selected data set.
    EXPECT_EQ(HeaderNamesFor(project, 1).dataSetName, "Other selected");

    project.LinkDevices = 1;
    EXPECT_TRUE(HeaderNamesFor(project, 1).linkDevices);
    const LogHeaderNames none = HeaderNamesFor(project, 5);
    EXPECT_TRUE(none.deviceName.isEmpty() && none.dataSetName.isEmpty());
}

TEST_F(ShellProjectTest, MemoryTabsAndBoxesAreNamedAfterTheMemories) {
    EXPECT_EQ(MemoryTabCaption(nullptr, 0), "-");
    EXPECT_EQ(MemoryBoxCaption(nullptr, 3), "Buffer D");
    const CDevice& device = AddTestDevice({16, 0, 8, 0, 0});
    EXPECT_EQ(MemoryTabCaption(&device, 0), "MemA (A)");
    EXPECT_EQ(MemoryTabCaption(&device, 1), "-");
    EXPECT_EQ(MemoryTabCaption(&device, 2), "MemC (C)");
    EXPECT_EQ(MemoryBoxCaption(&device, 1), "Buffer B");
    EXPECT_EQ(MemoryBoxCaption(&device, 2), "MemC (C)");
}

TEST_F(ShellProjectTest, SelectingATabIsRememberedByTheActiveDevice) {
    // Without a device the tabs still switch pages.
    EXPECT_EQ(SelectBottomTab(project, btGang), BottomPage::Gang);
    EXPECT_EQ(StoredBottomTab(project), btLog);

    CDevice& device = AddTestDevice({16, 0, 8, 0, 0});
    EXPECT_EQ(SelectBottomTab(project, btMemoryA + 2), BottomPage::Buffers);
    EXPECT_EQ(device.CurrentMemory, 2);
    EXPECT_EQ(device.ActiveTab, btMemoryA + 2);

    // An absent memory shows no buffer and keeps the current memory.
    EXPECT_EQ(SelectBottomTab(project, btMemoryA + 1), BottomPage::NoMemory);
    EXPECT_EQ(device.CurrentMemory, 2);
    EXPECT_EQ(StoredBottomTab(project), btMemoryA + 1);

    EXPECT_EQ(SelectBottomTab(project, btInfo), BottomPage::Info);
    EXPECT_EQ(StoredBottomTab(project), btInfo);
    device.ActiveTab = 42; // a stored value from an older file
    EXPECT_EQ(StoredBottomTab(project), btLog);
}

} // namespace
} // namespace zelmo
