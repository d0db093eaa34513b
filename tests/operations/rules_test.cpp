// The rules behind the operation tabs, the gang panels and the controller's answers, on a
// project without programmers' threads: enabled buttons, tab picking, the operation block's
// bytes, completion codes, progress texts, lights, panel visibility and the assign menu.

#include "operations/execution/gang_panels.h"
#include "operations/execution/operation_block.h"
#include "operations/execution/programmers.h"
#include "operations/execution/run_rules.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zelmo {
namespace {

constexpr std::uint32_t kAllOps = 0xFF | DEV_PIN_CHECK | DEV_RUN;

ProgrammerInfo programmer(int port, const char* serial, std::uint8_t model = 1) {
    ProgrammerInfo p{};
    p.Port = port;
    p.Model = model;
    SetFieldText(p.SerialNumber, serial);
    return p;
}

CProgrammers gang(int count) {
    std::vector<ProgrammerInfo> list;
    for (int i = 0; i < count; ++i) {
        list.push_back(programmer(i + 1, ("ZS00000" + std::to_string(i + 1)).c_str()));
    }
    return CProgrammers(list, {}, true);
}

class Rules : public test::ProjectTest {
protected:
    int add(std::uint32_t flags = kAllOps, const char* name = "CHIP") {
        DeviceDescriptor d = test::makeDescriptor({256, 0, 0, 0, 0}, flags);
        SetFieldText(d.Name, name);
        const int slot = project.AddCompleteDevice(d).Slot;
        EXPECT_GE(slot, 0);
        return slot;
    }
    CDevice& device(int d) { return *project.DeviceAt(d); }
};

TEST_F(Rules, ButtonsFollowTheBusyStatesOfTheMode) {
    const CProgrammers one = gang(1);
    const CProgrammers two = gang(2);
    project.GangMode = 1;
    EXPECT_EQ(ComputeOperationButtons(project, one), OperationButtons{}) << "no device";
    add();
    add();
    add();
    for (int d = 0; d < 3; ++d) {
        device(d).OpTabsSelected = TabProgram;
    }
    struct Case {
        const char* name;
        const CProgrammers& programmers;
        int active;
        int busy;       // device with Busy, -1 none
        int production; // device with AutoActive, -1 none
        bool operations, run, autoButton;
    };
    const Case cases[] = {
        {"single, idle", one, 0, -1, -1, true, true, true},
        {"single, another device busy", one, 0, 1, -1, false, false, false},
        {"single, the active device in production", one, 0, -1, 0, false, false, true},
        {"single, another device in production", one, 1, -1, 0, false, false, false},
        {"gang, another device busy", two, 0, 1, -1, true, true, false},
        {"gang, the active device busy", two, 0, 0, -1, false, false, false},
        {"gang, another device in production", two, 0, -1, 1, true, false, true},
        {"gang, no programmer of its own", two, 2, -1, -1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int d = 0; d < 3; ++d) {
            device(d).Busy = d == c.busy;
            device(d).AutoActive = d == c.production;
        }
        ASSERT_TRUE(project.SetActiveDevice(c.active));
        const OperationButtons b = ComputeOperationButtons(project, c.programmers);
        EXPECT_EQ(b.Enabled(OP_PROGRAM), c.operations);
        EXPECT_EQ(b.Run, c.run);
        EXPECT_EQ(b.Auto, c.autoButton);
    }

    // Run and Auto need a Run-capable device with an operation of the tab; never on Single.
    for (int d = 0; d < 3; ++d) {
        device(d).Busy = device(d).AutoActive = 0;
    }
    ASSERT_TRUE(project.SetActiveDevice(0));
    device(0).OpTabsSelected = TabSingle;
    EXPECT_FALSE(ComputeOperationButtons(project, one).Run);
    EXPECT_TRUE(ComputeOperationButtons(project, one).Enabled(OP_READ));
    device(0).OpTabsSelected = TabErase;
    device(0).SupportedOps = std::uint32_t{OP_READ} | DEV_RUN; // nothing the Erase tab holds
    EXPECT_FALSE(ComputeOperationButtons(project, one).Run);
    EXPECT_FALSE(ComputeOperationButtons(project, one).Enabled(OP_ERASE));
    device(0).SupportedOps = OP_ERASE;
    EXPECT_FALSE(ComputeOperationButtons(project, one).Auto) << "not Run-capable";
}

TEST(RunRules, TabStripRowsAndSingleOperations) {
    const std::pair<int, std::uint8_t> rows[] = {{0, TabSingle}, {1, TabProgram}, {20, TabProgram},
                                                 {21, TabRead},  {40, TabRead},   {41, TabErase},
                                                 {60, TabErase}, {61, TabSingle}};
    for (const auto& [y, tab] : rows) {
        EXPECT_EQ(TabAtHeight(y), tab) << y;
    }
    // Erase, Program and Configure ask; the others never do.
    for (const SingleOperationInfo& op : kSingleOperations) {
        EXPECT_EQ(op.Confirm, op.Tag == 3 || op.Tag == 5 || op.Tag == 7) << op.Tag;
        EXPECT_EQ(op.Bit, 1u << (op.Tag - 1));
    }
    EXPECT_EQ(SingleOperationForTag(0), nullptr);
    EXPECT_EQ(SingleOperationForTag(9), nullptr);
}

TEST(OperationBlock, CompletionCodes) {
    const std::tuple<std::int32_t, bool, int> cases[] = {
        {0, false, CodeSuccess},
        {OP_VERIFY, false, CodeOperationFailed},
        {OP_CHECK_ID, false, CodeOperationFailed},
        {ZM_STATUS_PIN_CHECK, false, CodePinCheckFailed},
        {ZM_STATUS_CANCELLED, false, CodeOperationFailed},
        {ZM_STATUS_UNSUPPORTED, false, CodeOperationFailed}, // nothing was tested
        {ZM_STATUS_NOT_PREPARED, false, CodeOperationFailed},
        {OP_PROGRAM | OP_VERIFY, false, CodeOperationFailed},
        {0, true, CodeOperationFailed}, // the preparation failed: nothing ran
    };
    for (const auto& [status, failed, code] : cases) {
        EXPECT_EQ(CompletionCode(status, failed), code) << std::hex << status << " " << failed;
    }
}

TEST_F(Rules, TheBlockCarriesTheDevicesSelectionAdapterAndPinCheck) {
    CDevice& d = device(add());
    d.MemSelect = 0x85;
    d.AdapterData[0] = 0x11;
    d.AdapterData[2309] = 0x22;
    d.PinCheck = 1;
    d.OpTabsSelected = TabRead;
    d.OpTabs[TabRead] = OP_READ | OP_VERIFY;
    const OperationBlock block = MakeOperationBlock(d, {.Mode = OPMODE_SINGLE,
                                                        .Operations = SelectedTabOperations(d),
                                                        .Beep = 1,
                                                        .DefaultTestState = 2});
    std::uint8_t bytes[sizeof block];
    std::memcpy(bytes, &block, sizeof block);
    EXPECT_EQ(bytes[0], OPMODE_SINGLE);
    EXPECT_EQ(bytes[1], 1);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24,
              OP_READ | OP_VERIFY | OP_PIN_CHECK);
    EXPECT_EQ(bytes[8], 0x85);
    EXPECT_EQ(bytes[9], 0x11);
    EXPECT_EQ(bytes[9 + 2309], 0x22);
    EXPECT_EQ(bytes[2319], 2);

    d.PinCheck = 0;
    EXPECT_EQ(SelectedTabOperations(d), std::uint32_t{OP_READ | OP_VERIFY});
    d.PinCheck = 1;
    d.SupportedOps &= ~std::uint32_t{DEV_PIN_CHECK};
    EXPECT_EQ(SelectedTabOperations(d), std::uint32_t{OP_READ | OP_VERIFY}) << "not supported";
    d.OpTabsSelected = TabSingle;
    EXPECT_EQ(SelectedTabOperations(d), 0u);
}

TEST_F(Rules, ProgressTextsAndBars) {
    CDevice& d = device(add());
    const std::tuple<std::uint8_t, double, const char*, int> cases[] = {
        {0, 55.0, "", 0},     {1, 0.0, "0.0%", 0},  {1, 5.34, "5.3%", 5},
        {1, 9.94, "9.9%", 9}, {1, 57.6, "58%", 57}, {1, 100.0, "100%", 100},
    };
    for (const auto& [busy, percent, text, bar] : cases) {
        d.Busy = busy;
        d.Progress = percent;
        EXPECT_EQ(ProgressText(d).toStdString(), text) << percent;
        EXPECT_EQ(ProgressBarValue(d), bar) << percent;
    }
}

TEST_F(Rules, LightsShowTheVerdictOfASlotThatRan) {
    add();
    const std::tuple<bool, std::uint8_t, std::int32_t, GangLights> cases[] = {
        {true, 0, 0x20, GangLights{}}, // never ran: no verdict
        {false, 1, 0x20, GangLights{true, false, false}},
        {false, 0, 0x20, GangLights{false, true, false}},
        {false, 0, 0, GangLights{false, false, true}},
    };
    for (const auto& [cleared, busy, status, lights] : cases) {
        device(0).Busy = busy;
        device(0).LastStatus = status;
        EXPECT_EQ(ComputeLights(project, true, cleared, 0), lights);
    }
    EXPECT_EQ(ComputeLights(project, false, false, 0), GangLights{}) << "single mode";
    EXPECT_EQ(ComputeLights(project, true, false, 1), GangLights{}) << "no device in slot 2";
}

TEST_F(Rules, PanelsNeedADeviceAProgrammerAndRoomForTheSecondRow) {
    for (int i = 0; i < 5; ++i) {
        add();
    }
    const auto visible = [&](const CProgrammers& programmers, int height) {
        int count = 0;
        for (int panel = 0; panel < kGangPanels; ++panel) {
            count += PanelVisible(project, programmers, panel, height) ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(visible(gang(8), 834), 4);
    EXPECT_EQ(visible(gang(8), 835), 5);
    EXPECT_EQ(visible(gang(3), 900), 3);
    EXPECT_EQ(visible(CProgrammers{}, 900), 5) << "without programmers every device has one";
}

TEST_F(Rules, StatisticsSumTheSlotsWithPanels) {
    for (int i = 0; i < 3; ++i) {
        add();
        device(i).Statistics->Good = 10u * (i + 1);
        device(i).Statistics->Bad = 1;
    }
    EXPECT_EQ(DeviceStatistics(device(1)), (StatisticsCounts{20, 1, 21}));
    EXPECT_EQ(GlobalStatistics(project, gang(2)), (StatisticsCounts{30, 2, 32}));
    EXPECT_EQ(GlobalStatistics(project, CProgrammers{}), (StatisticsCounts{60, 3, 63}));
}

TEST_F(Rules, TheAssignMenuListsTheLastProgrammerFirstAndTakesProgrammersOver) {
    const int a = add(kAllOps, "ALPHA");
    const int b = add(kAllOps, "BETA");
    CProgrammers programmers = gang(3);
    EXPECT_TRUE(AssignMenuVisible(programmers));
    EXPECT_FALSE(AssignMenuVisible(gang(1)));
    EXPECT_EQ(programmers.AssignedTo(device(a)), -1) << "every programmer starts free";

    programmers.Assign(device(a), 1);
    std::vector<AssignMenuItem> menu = AssignMenu(project, programmers, a);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0], (AssignMenuItem{2, "ZS000003", false}));
    EXPECT_EQ(menu[1], (AssignMenuItem{1, "ZS000002 - ALPHA", true}));
    EXPECT_EQ(menu[2], (AssignMenuItem{0, "ZS000001", false}));

    // Taken over by B: A is left without a programmer; choosing another for B releases it.
    programmers.Assign(device(b), 1);
    EXPECT_EQ(programmers.AssignedTo(device(a)), -1);
    EXPECT_EQ(AssignMenu(project, programmers, a)[1].Caption, "ZS000002 - BETA");
    programmers.Assign(device(b), 0);
    EXPECT_EQ(programmers.AssignmentOf(1), -1);
    EXPECT_EQ(programmers.AssignedTo(device(b)), 0);
}

TEST_F(Rules, TheModeComesFromTheProgrammersAndTheConfiguration) {
    project.GangMode = 1;
    EXPECT_TRUE(gang(2).Gang(project));
    EXPECT_FALSE(gang(1).Gang(project));
    // Different models were announced as single mode at start-up, and stay so.
    EXPECT_FALSE(
        CProgrammers({programmer(1, "A"), programmer(2, "B", 2)}, {}, false).Gang(project));
    project.GangMode = 0;
    EXPECT_FALSE(gang(2).Gang(project));
    project.ProgrammerIndex = 1;
    EXPECT_EQ(gang(2).SinglePosition(project), 1);
    project.ProgrammerIndex = 2;
    EXPECT_EQ(gang(2).SinglePosition(project), 0) << "an index past the list";
}

} // namespace
} // namespace zelmo
