#include "project_fixture.h"

#include "project/project_tree.h"

using namespace zelmo;
using namespace zelmo::test;

namespace {

class ProjectTreeTest : public ProjectTest {
protected:
    // Devices named CHIP0, CHIP1, ... each with `dataSets` data sets.
    void addDevices(int count, int dataSets = 1) {
        for (int d = 0; d < count; ++d) {
            DeviceDescriptor descriptor = makeDescriptor({16, 0, 0, 0, 0});
            SetFieldText(descriptor.Name, "CHIP" + std::to_string(project.DeviceCount));
            const int slot = project.AddCompleteDevice(descriptor).Slot;
            ASSERT_GE(slot, 0);
            for (int s = 1; s < dataSets; ++s) {
                ASSERT_FALSE(project.AddDataSet(slot, SwapInit::ResetAndFill).empty());
            }
        }
    }
};

TEST_F(ProjectTreeTest, DeviceNodesShowBusyProductionActiveAndPlainStates) {
    addDevices(4);
    project.Devices[0]->Busy = 1;
    project.Devices[1]->AutoActive = 1;
    project.SetActiveDevice(2);

    struct Case {
        int device;
        std::uint32_t background;
        std::uint32_t label;
    } cases[] = {
        {0, tree_colour::Busy, tree_colour::Black},
        {1, tree_colour::Auto, tree_colour::Black},
        {2, tree_colour::Highlight, tree_colour::Blue},
        {3, tree_colour::Plain, tree_colour::Black},
    };
    for (const Case& c : cases) {
        const DeviceNodeLook look = DeviceNodeLookFor(project, c.device);
        EXPECT_EQ(look.Background, c.background) << c.device;
        EXPECT_EQ(look.LabelColour, c.label) << c.device;
        EXPECT_EQ(look.PositionColour, tree_colour::Grey) << c.device;
    }
    const DeviceNodeLook third = DeviceNodeLookFor(project, 2);
    EXPECT_EQ(third.Position, "03:");
    EXPECT_EQ(third.Label, "CHIP2 / DIP8 - 2");
}

TEST_F(ProjectTreeTest, GangModeGreysDevicesWithoutAProgrammerAndTheirDataSets) {
    addDevices(10);
    project.ProgrammerCount = 2;
    project.GangMode = 1;
    project.SetActiveDevice(3);

    EXPECT_TRUE(DeviceServed(project, 1));
    EXPECT_FALSE(DeviceServed(project, 2));
    const DeviceNodeLook active = DeviceNodeLookFor(project, 3);
    EXPECT_EQ(active.LabelColour, tree_colour::Grey); // active but not served
    EXPECT_EQ(active.PositionColour, tree_colour::LightGrey);
    EXPECT_EQ(DeviceNodeLookFor(project, 4).LabelColour, tree_colour::LightGrey);
    const DataSetNodeLook shown = DataSetNodeLookFor(project, 3, 0);
    EXPECT_EQ(shown.LabelColour, tree_colour::Grey);
    EXPECT_EQ(shown.TriangleColour, tree_colour::LightGrey);
    EXPECT_EQ(DataSetNodeLookFor(project, 4, 0).LabelColour, tree_colour::LightGrey);

    // Single mode, and demo mode, serve every device, the tenth one's data sets included.
    project.GangMode = 0;
    EXPECT_TRUE(DeviceServed(project, 9));
    project.GangMode = 1;
    project.ProgrammerCount = 0;
    EXPECT_TRUE(DeviceServed(project, 9));
    EXPECT_EQ(DataSetNodeLookFor(project, 9, 0).LabelColour, tree_colour::Black);
    EXPECT_EQ(DeviceNodeLookFor(project, 9).PositionColour, tree_colour::Grey);
}

TEST_F(ProjectTreeTest, DataSetNodesMarkTheShownAndTheSelectedDataSet) {
    addDevices(2, 3);
    project.SelectDataSet(0, 1);
    project.ShowDataSet(0, 2);
    project.SelectDataSet(1, 2);

    const DataSetNodeLook shown = DataSetNodeLookFor(project, 0, 2);
    EXPECT_EQ(shown.Background, tree_colour::DataSetLight);
    EXPECT_EQ(shown.LabelColour, tree_colour::Blue);
    EXPECT_FALSE(shown.Triangle);
    const DataSetNodeLook selected = DataSetNodeLookFor(project, 0, 1);
    EXPECT_TRUE(selected.Triangle);
    EXPECT_EQ(selected.Background, tree_colour::Plain);
    EXPECT_EQ(selected.LabelColour, tree_colour::Black);
    EXPECT_EQ(selected.Label, "Data set 2");
    // Another device's selected data set is lit only while devices are linked.
    EXPECT_EQ(DataSetNodeLookFor(project, 1, 2).Background, tree_colour::Plain);
    project.LinkDevices = 1;
    project.UpdateLinks();
    EXPECT_EQ(DataSetNodeLookFor(project, 1, 2).Background, tree_colour::DataSetLight);
    EXPECT_EQ(DataSetNodeLookFor(project, 1, 0).Background, tree_colour::Plain);
}

TEST_F(ProjectTreeTest, LinkedDevicesShareTheHighlight) {
    addDevices(2);
    DeviceDescriptor same = project.Devices[0]->Descriptor;
    ASSERT_EQ(project.AddCompleteDevice(same).Slot, 2);
    project.LinkDevices = 1;
    project.UpdateLinks();
    EXPECT_EQ(DeviceNodeLookFor(project, 2).Background, tree_colour::Highlight);
    EXPECT_EQ(DeviceNodeLookFor(project, 1).Background, tree_colour::Plain);
}

TEST_F(ProjectTreeTest, MenusFollowNeighboursCountsLinksAndBusyDevices) {
    addDevices(3, 2);
    project.ProgrammerCount = 1;

    DeviceMenuState first = DeviceMenuFor(project, 0);
    EXPECT_FALSE(first.MoveUp);
    EXPECT_TRUE(first.MoveDown);
    EXPECT_TRUE(first.AddDataSet && first.RemoveDevice);
    EXPECT_FALSE(first.AssignProgrammer); // exactly one programmer
    EXPECT_TRUE(DeviceMenuFor(project, 2).MoveUp);
    EXPECT_FALSE(DeviceMenuFor(project, 2).MoveDown);
    project.ProgrammerCount = 2;
    EXPECT_TRUE(DeviceMenuFor(project, 0).AssignProgrammer);
    EXPECT_TRUE(DataSetMenuFor(project, 0, 1).Remove);

    // Sixteen data sets: none more.
    while (project.Devices[0]->DataSetCount < kMaxDataSets) {
        ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    }
    EXPECT_FALSE(DeviceMenuFor(project, 0).AddDataSet);

    // Linked: no data sets or devices come or go.
    project.LinkDevices = 1;
    EXPECT_FALSE(DeviceMenuFor(project, 1).AddDataSet);
    EXPECT_FALSE(DeviceMenuFor(project, 1).RemoveDevice);
    EXPECT_FALSE(DataSetMenuFor(project, 1, 1).Remove);
    project.LinkDevices = 0;

    // A busy device keeps its selected data set; a busy project keeps its order.
    project.Devices[1]->Busy = 1;
    EXPECT_FALSE(DataSetMenuFor(project, 1, 0).SetActive);
    EXPECT_TRUE(DataSetMenuFor(project, 1, 0).Rename);
    EXPECT_TRUE(DataSetMenuFor(project, 2, 0).SetActive);
    EXPECT_FALSE(DataSetMenuFor(project, 2, 1).Remove);
    EXPECT_FALSE(DeviceMenuFor(project, 2).MoveUp);
    EXPECT_FALSE(DevicesMayChange(project));

    // One data set cannot be removed.
    project.Devices[1]->Busy = 0;
    ASSERT_TRUE(project.RemoveDataSet(2, 1));
    EXPECT_FALSE(DataSetMenuFor(project, 2, 0).Remove);
}

TEST_F(ProjectTreeTest, ClicksSelectTheDeviceAndItsDataSet) {
    addDevices(2, 3);
    project.SelectDataSet(1, 2);
    project.ShowDataSet(1, 0);

    // A device node shows its selected data set, not the one shown last time.
    EXPECT_TRUE(ClickDeviceNode(project, 1));
    EXPECT_EQ(project.ActiveDevice, 1);
    EXPECT_EQ(project.Devices[1]->ShownDataSet, 2);

    EXPECT_TRUE(ClickDataSetNode(project, 0, 1));
    EXPECT_EQ(project.ActiveDevice, 0);
    EXPECT_EQ(project.Devices[0]->ShownDataSet, 1);

    // A busy device ignores clicks on its data sets: nothing changes, nothing is reported.
    project.Devices[1]->Busy = 1;
    int reports = 0;
    QObject::connect(&project.Notifier, &CProjectNotifier::ActiveDeviceChanged,
                     [&reports] { ++reports; });
    QObject::connect(&project.Notifier, &CProjectNotifier::DataSetShown, [&reports] { ++reports; });
    EXPECT_FALSE(ClickDataSetNode(project, 1, 0));
    EXPECT_EQ(project.ActiveDevice, 0);
    EXPECT_EQ(project.Devices[1]->ShownDataSet, 2);
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(ClickDeviceNode(project, 5));
}

TEST_F(ProjectTreeTest, MovedDeviceKeepsItsSlotAndTheActiveHighlight) {
    addDevices(3);
    project.SetActiveDevice(2);
    ASSERT_TRUE(project.SwapDevices(2, 1)); // "Move up" on the third device
    const DeviceNodeLook moved = DeviceNodeLookFor(project, 1);
    EXPECT_EQ(moved.Position, "02:");
    EXPECT_EQ(moved.Label, "CHIP2 / DIP8 - 2");
    EXPECT_EQ(moved.Background, tree_colour::Highlight);
    EXPECT_EQ(DeviceNodeLookFor(project, 2).Label, "CHIP1 / DIP8 - 1");
    EXPECT_EQ(DeviceNodeLookFor(project, 2).Background, tree_colour::Plain);
}

TEST_F(ProjectTreeTest, StatusTextNamesTheShownDataSetUnlessBusy) {
    EXPECT_FALSE(SelectionStatusText(project, "Vendor"));
    addDevices(2);
    project.SetActiveDevice(1);
    EXPECT_EQ(SelectionStatusText(project, "Test vendor").value_or(""),
              "02: Test vendor, CHIP1 / DIP8, Data set 1");
    project.Devices[1]->Busy = 1;
    EXPECT_FALSE(SelectionStatusText(project, "Test vendor"));
}

TEST(DataSetNames, RenameKeepsSixteenAcceptedCharactersAndRefusesShortNames) {
    struct Case {
        QString edited;
        bool ok;
        const char* name;
    } cases[] = {
        {"ab", false, ""},
        {"abc", true, "abc"},
        {"12345678901234567890", true, "1234567890123456"},
        {QString::fromUtf8("a\"b\xc3\xa9"), false, ""}, // only "ab" is left
        {QString::fromUtf8("Set \"one\" \xc3\xa9t\xc3\xa9"), true, "Set one t"},
    };
    for (const Case& c : cases) {
        const DataSetNameCheck check = CheckDataSetName(c.edited);
        EXPECT_EQ(check.Ok, c.ok) << c.edited.toStdString();
        EXPECT_EQ(check.Name, c.name) << c.edited.toStdString();
        EXPECT_EQ(check.Message.isEmpty(), c.ok);
    }
    EXPECT_EQ(CheckDataSetName("ab").Message,
              "Data set name too short.\nIt should contain minimum 3 chars.");
    EXPECT_TRUE(DataSetNameCharAccepted(U'~'));
    EXPECT_FALSE(DataSetNameCharAccepted(U'"'));
    EXPECT_FALSE(DataSetNameCharAccepted(0x80));
}

} // namespace
