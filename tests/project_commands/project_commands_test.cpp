// The project commands of the main window over a project in a temporary folder, with a host
// that records their messages and log lines.

#include "commands_fixture.h"

#include "catalogue/adapter_file.h"
#include "project/byte_size_text.h"
#include "project/option_file.h"

#include <QFile>

#include <set>

namespace zelmo {
namespace {

using test::commandDescriptor;
using test::CommandsTest;

TEST_F(CommandsTest, SeventeenthDeviceIsRefusedBeforeTheDialogOpens) {
    const DeviceDescriptor chip = commandDescriptor("CHIP", {16, 0, 0, 0, 0});
    for (int d = 0; d < kMaxDevices; ++d) {
        ASSERT_GE(project.AddCompleteDevice(chip).Slot, 0);
    }
    recorder.selection = DeviceSelection{chip, 1, {}};
    commands().AddDevice();
    EXPECT_EQ(recorder.selections, 0);
    EXPECT_EQ(recorder.messages, QStringList{"Can't add another device."});
    EXPECT_EQ(project.DeviceCount, kMaxDevices);
}

TEST_F(CommandsTest, CopiesAreCheckedTogetherAgainstTheFreeSpace) {
    const DeviceDescriptor chip = commandDescriptor("CHIP", {600, 300, 0, 0, 100}); // 1000 each
    struct Case {
        int copies;
        std::int64_t free;
        const char* refusal; // null: accepted
    } cases[] = {
        {3, 2999,
         "Could not add devices. Not enough disk space.\nFree at least %1 or change "
         "swap directory."},
        {1, 999,
         "Could not add device. Not enough disk space.\nFree at least %1 or change swap "
         "directory."},
        {3, 3000, nullptr},
    };
    for (const Case& c : cases) {
        recorder.messages.clear();
        recorder.freeChecks.clear();
        recorder.free = c.free;
        add(chip, c.copies);
        ASSERT_GE(recorder.freeChecks.size(), 1u);
        if (c.refusal != nullptr) {
            EXPECT_EQ(recorder.messages,
                      QStringList{QString(c.refusal).arg(ByteSizeText(1000u * c.copies))});
            EXPECT_EQ(recorder.freeChecks.size(), 1u);
            EXPECT_EQ(project.DeviceCount, 0);
        }
    }
    // Three identical devices with distinct option and swap files, one check before them.
    ASSERT_EQ(project.DeviceCount, 3);
    EXPECT_TRUE(recorder.messages.isEmpty());
    std::set<std::uint16_t> optIds;
    std::set<std::uint16_t> swapIds;
    for (int d = 0; d < 3; ++d) {
        optIds.insert(project.Devices[d]->OptId);
        swapIds.insert(project.Devices[d]->DataSets[0]->SwapId);
        EXPECT_EQ(project.Devices[d]->DataSetCount, 1);
        EXPECT_EQ(project.Devices[d]->MemSelect, 0x83); // A, B and area E
    }
    EXPECT_EQ(optIds.size(), 3u);
    EXPECT_EQ(swapIds.size(), 3u);
    EXPECT_EQ(recorder.freeChecks.size(), 4u); // the check, then one report per device
    EXPECT_EQ(recorder.log.count("40000 Device has been added."), 3);
    EXPECT_TRUE(recorder.log.contains("80000 Test vendor, CHIP / DIP32, Data set 1."));
    EXPECT_TRUE(recorder.log.contains("80000 Swap directory free bytes: " + ByteSizeText(3000)));
    EXPECT_EQ(recorder.statuses.last(), "Device has been added.");
}

TEST_F(CommandsTest, AdapterFileIsCheckedAndAFailedDeviceLeavesNothingBehind) {
    const DeviceDescriptor chip = commandDescriptor("PLCC", {16, 0, 0, 0, 0}, DEV_ADAPTER);
    std::vector<std::vector<std::uint8_t>> wiring(28, std::vector<std::uint8_t>{1});
    const QString folder = QString::fromStdString((swapDir.path() / "adapters").string());
    std::filesystem::create_directory(swapDir.path() / "adapters");
    ASSERT_TRUE(writeGenericAdapter(folder, "P28", 28, 28, wiring));
    wiring.resize(32, std::vector<std::uint8_t>{1});
    ASSERT_TRUE(writeGenericAdapter(folder, "P32", 32, 32, wiring));
    ASSERT_TRUE(test::writeFile(swapDir.path() / "adapters" / "bad.adp", "ADP"));
    const std::size_t before = filesInSwapFolder();

    struct Case {
        const char* file;
        const char* message;
    } refused[] = {
        {"P28.adp", "Incorrect adapter file. Pin count mismatch.\nUse Adapter Creator tool to "
                    "check this file."},
        {"bad.adp", "Could not open user adapter file.\nIncorrect file or access error."},
        {"missing.adp", "Could not open user adapter file.\nIncorrect file or access error."},
    };
    for (const Case& c : refused) {
        recorder.messages.clear();
        add(chip, 2, folder + "/" + c.file);
        EXPECT_EQ(recorder.messages, QStringList{c.message}) << c.file;
        EXPECT_EQ(project.DeviceCount, 0) << c.file;
        EXPECT_EQ(filesInSwapFolder(), before) << c.file; // no option or swap file is left
    }
    EXPECT_FALSE(recorder.log.contains("40000 Device has been added."));

    add(chip, 1, folder + "/P32.adp");
    ASSERT_EQ(project.DeviceCount, 1);
    EXPECT_EQ(project.Devices[0]->AdapterFile, folder + "/P32.adp");
    EXPECT_EQ(project.Devices[0]->AdapterData[4], 32);
}

TEST_F(CommandsTest, LibraryThatCannotDescribeTheMemoriesEndsTheCommand) {
    library.refuse = true;
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}), 2);
    EXPECT_EQ(project.DeviceCount, 0);
    EXPECT_EQ(recorder.log, (QStringList{"40000 Couldn't add device.", "80000 Unknown algorithm.",
                                         "80000 Second line."}));
    EXPECT_EQ(recorder.messages, QStringList{"Couldn't add device."});
    EXPECT_EQ(recorder.statuses, QStringList{"Couldn't add device."});
}

TEST_F(CommandsTest, MemoriesThatAskToStartDisabledStayOff) {
    library.bufferFlags = {BUF_MANDATORY, BUF_START_DISABLED, 0, 0};
    add(commandDescriptor("CHIP", {16, 8, 0, 4, 0}));
    ASSERT_EQ(project.DeviceCount, 1);
    EXPECT_EQ(project.Devices[0]->MemSelect, 0x09); // A and D; B starts disabled, C is absent

    // Memory enables: the mandatory and the absent memory cannot be switched.
    auto c = commands();
    EXPECT_FALSE(c.SetMemoryEnabled(0, false));
    EXPECT_FALSE(c.SetMemoryEnabled(2, true));
    recorder.log.clear();
    ASSERT_TRUE(c.SetMemoryEnabled(1, true));
    EXPECT_EQ(recorder.log,
              (QStringList{"60000 ", "80000 Buffer configuration changed.",
                           "80000 Mem A (Buffer A) enabled.", "80000 Mem B (Buffer B) enabled.",
                           "80000 Mem D (Buffer D) enabled."}));
}

TEST_F(CommandsTest, MemoryEnablesAndDescriptionsReachEveryLinkedDevice) {
    const DeviceDescriptor chip = commandDescriptor("CHIP", {16, 8, 0, 0, 0});
    add(chip, 2);
    add(commandDescriptor("OTHER", {16, 8, 0, 0, 0}));
    ASSERT_EQ(project.DeviceCount, 3);
    project.LinkDevices = 1;
    project.UpdateLinks();
    EXPECT_EQ(project.Devices[0]->Linked + project.Devices[1]->Linked + project.Devices[2]->Linked,
              2);

    auto c = commands();
    recorder.log.clear();
    ASSERT_TRUE(c.SetMemoryEnabled(0, false));
    ASSERT_TRUE(c.SetMemoryEnabled(1, false));
    EXPECT_EQ(project.Devices[0]->MemSelect, 0);
    EXPECT_EQ(project.Devices[1]->MemSelect, 0);
    EXPECT_EQ(project.Devices[2]->MemSelect, 0x03);
    EXPECT_EQ(recorder.log.last(), "1000000 All available buffers disabled.");

    c.StoreDescription("first line\nsecond line");
    EXPECT_EQ(CProjectCommands::DescriptionOf(*project.Devices[1]), "first line\nsecond line");
    EXPECT_EQ(ReadDescription(project.Devices[0]->OptFile), "first line\r\nsecond line");
    EXPECT_EQ(CProjectCommands::DescriptionOf(*project.Devices[2]),
              "Type your description here...");
}

TEST(Description, LongTextIsCutWithoutSplittingALineBreak) {
    const QString text = QString(1014, u'x') + "\nnext";
    const std::string bytes = CProjectCommands::DescriptionBytes(text);
    EXPECT_EQ(bytes, std::string(1014, 'x')); // "\r" alone would be half a line break
    EXPECT_EQ(CProjectCommands::DescriptionBytes(QString(2000, u'y')).size(), 1015u);
    EXPECT_EQ(CProjectCommands::DescriptionBytes(QString::fromUtf8("a\r\nb\rc\xc3\xa9")),
              "a\r\nb\r\nc\xe9");
}

TEST_F(CommandsTest, RemovingADeviceAsksFirstAndLogsIt) {
    auto c = commands();
    c.RemoveDevice();
    EXPECT_EQ(recorder.messages, QStringList{"All devices removed."});
    add(commandDescriptor("FIRST", {16, 0, 0, 0, 0}));
    add(commandDescriptor("SECOND", {16, 0, 0, 0, 0}));
    const QString secondOption = project.Devices[1]->OptPath;

    recorder.answer = false;
    c.RemoveDevice(1);
    EXPECT_EQ(recorder.questions.last(),
              "Device SECOND / DIP32 and all data sets will be removed.\nAre you sure?");
    EXPECT_EQ(project.DeviceCount, 2);
    recorder.answer = true;
    recorder.log.clear();
    c.RemoveDevice(1);
    EXPECT_EQ(project.DeviceCount, 1);
    EXPECT_FALSE(QFile::exists(secondOption));
    EXPECT_EQ(recorder.log,
              (QStringList{"40000 Device has been removed.", "80000 Vendor TST, SECOND / DIP32."}));
}

TEST_F(CommandsTest, DataSetsAreAddedCheckedAndRemoved) {
    add(commandDescriptor("CHIP", {100, 0, 0, 0, 0}));
    auto c = commands();

    recorder.free = 99;
    c.AddDataSet(0);
    EXPECT_EQ(recorder.messages.last(), "Could not add data set. Not enough disk space.\nFree at "
                                        "least " +
                                            ByteSizeText(100) + " or change swap directory.");
    recorder.free = 1 << 20;
    recorder.log.clear();
    c.AddDataSet(0);
    ASSERT_EQ(project.Devices[0]->DataSetCount, 2);
    EXPECT_EQ(recorder.statuses.last(), "Data set added.");
    EXPECT_EQ(recorder.log.mid(0, 2),
              (QStringList{"60000 ", "80000 Data set 'Data set 2' added."}));

    library.refuse = true;
    recorder.log.clear();
    c.AddDataSet(0);
    EXPECT_EQ(project.Devices[0]->DataSetCount, 2);
    EXPECT_EQ(recorder.log, (QStringList{"0 Unknown algorithm.", "0 Second line."}));
    library.refuse = false;
    while (project.Devices[0]->DataSetCount < kMaxDataSets) {
        ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    }
    commands().AddDataSet(0);
    EXPECT_EQ(recorder.messages.last(), "Could not add more data sets.");
}

TEST_F(CommandsTest, RemovingTheShownAndSelectedDataSetSelectsDataSetZero) {
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}));
    for (int s = 0; s < 3; ++s) {
        ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    }
    CDevice& device = *project.Devices[0];
    auto c = commands();

    // Shown and selected: data set 0 becomes both.
    project.SelectDataSet(0, 2);
    project.ShowDataSet(0, 2);
    recorder.log.clear();
    c.RemoveDataSet();
    EXPECT_EQ(recorder.questions.last(), "Data set 'Data set 3' will be removed.\nAre you sure?");
    EXPECT_EQ(device.DataSetCount, 3);
    EXPECT_EQ(device.SelectedDataSet, 0);
    EXPECT_EQ(device.ShownDataSet, 0);
    EXPECT_EQ(recorder.log, (QStringList{"40000 Data set has been removed.", "20000 ",
                                         "80000 Data set 'Data set 3' has been removed."}));

    // A data set before the selected one: the selection keeps naming the same data set.
    project.SelectDataSet(0, 2);
    project.ShowDataSet(0, 1);
    c.RemoveDataSet();
    EXPECT_EQ(device.DataSetCount, 2);
    EXPECT_EQ(device.Selected()->Name, "Data set 4");
    EXPECT_EQ(device.ShownDataSet, 0);

    // Declined, or the last data set: nothing happens.
    recorder.answer = false;
    c.RemoveDataSet();
    EXPECT_EQ(device.DataSetCount, 2);
    recorder.answer = true;
    c.RemoveDataSet();
    c.RemoveDataSet();
    EXPECT_EQ(device.DataSetCount, 1);
}

TEST_F(CommandsTest, RenamingKeepsSixteenCharactersAndRefusesTwo) {
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}));
    auto c = commands();
    EXPECT_FALSE(c.RenameDataSet(0, 0, "ab"));
    EXPECT_EQ(recorder.messages.last(),
              "Data set name too short.\nIt should contain minimum 3 chars.");
    EXPECT_EQ(project.Devices[0]->DataSets[0]->Name, "Data set 1");
    recorder.log.clear();
    EXPECT_TRUE(c.RenameDataSet(0, 0, "abcdefghijklmnopqrst"));
    EXPECT_EQ(project.Devices[0]->DataSets[0]->Name, "abcdefghijklmnop");
    EXPECT_EQ(recorder.log, (QStringList{"40000 Data set renamed.",
                                         "80000 Data set renamed to 'abcdefghijklmnop'."}));
}

TEST_F(CommandsTest, SelectingADataSetForOperations) {
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}));
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    CDevice& device = *project.Devices[0];
    auto c = commands();

    project.ShowDataSet(0, 1);
    recorder.log.clear();
    c.SetActiveDataSet();
    EXPECT_EQ(device.SelectedDataSet, 1);
    EXPECT_EQ(recorder.log,
              (QStringList{"50000 ", "80000 Active data set changed to 'Data set 2'."}));

    // A double click selects, unless the device is busy or the data set is selected already.
    recorder.log.clear();
    c.DataSetDoubleClicked(0, 1);
    EXPECT_TRUE(recorder.log.isEmpty());
    device.AutoActive = 1;
    c.DataSetDoubleClicked(0, 0);
    EXPECT_EQ(device.SelectedDataSet, 1);
    EXPECT_EQ(device.ShownDataSet, 1);
    device.AutoActive = 0;
    c.DataSetDoubleClicked(0, 0);
    EXPECT_EQ(device.SelectedDataSet, 0);
    EXPECT_EQ(device.ShownDataSet, 0);
    EXPECT_EQ(recorder.log,
              (QStringList{"60000 ", "80000 Active data set changed to 'Data set 1'."}));
}

TEST_F(CommandsTest, MovingADeviceKeepsItsSlotAndTheActiveDevice) {
    for (const char* name : {"FIRST", "SECOND", "THIRD"}) {
        add(commandDescriptor(name, {16, 0, 0, 0, 0}));
    }
    project.SetActiveDevice(2);
    auto c = commands();
    EXPECT_FALSE(c.MoveDevice(2, +1)); // no neighbour below
    ASSERT_TRUE(c.MoveDevice(2, -1));
    EXPECT_EQ(FieldView(project.Devices[1]->Descriptor.Name), "THIRD");
    EXPECT_EQ(project.Devices[1]->Slot, 2);
    EXPECT_EQ(project.ActiveDevice, 1);
    ASSERT_TRUE(c.MoveDevice(0, +1)); // the neighbour of the active device moves
    EXPECT_EQ(project.ActiveDevice, 0);
    EXPECT_EQ(project.Devices[0]->Slot, 2);
    project.Devices[2]->Busy = 1;
    EXPECT_FALSE(c.MoveDevice(0, +1));
}

TEST_F(CommandsTest, NewProjectClosesEverythingAndUnlinks) {
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}), 2);
    project.LinkDevices = 1;
    project.UpdateLinks();
    project.LastSelType = 3;
    project.LastSelMan = 2;
    project.LastSelDev = 5;
    project.LastSearchStr = "at";
    auto c = commands();
    recorder.answer = false;
    c.CreateNewProject();
    EXPECT_EQ(project.DeviceCount, 2);
    recorder.answer = true;
    c.CreateNewProject();
    EXPECT_EQ(recorder.questions.last(), "Create new project?");
    EXPECT_EQ(project.DeviceCount, 0);
    EXPECT_EQ(project.LinkDevices, 0);
    EXPECT_EQ(project.LastSelType + project.LastSelMan + project.LastSelDev, 0);
    EXPECT_EQ(project.LastSearchStr, "at");
    EXPECT_EQ(filesInSwapFolder(), 0u);
    EXPECT_EQ(recorder.log.last(), "40000 New project created.");

    // "Add device" works again.
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}));
    EXPECT_EQ(project.DeviceCount, 1);
}

TEST_F(CommandsTest, BusyProjectRefusesStructuralChanges) {
    add(commandDescriptor("CHIP", {16, 0, 0, 0, 0}), 2);
    project.Devices[1]->Busy = 1;
    auto c = commands();
    c.RemoveDevice(0);
    c.AddDataSet(0);
    c.AddDevice();
    EXPECT_EQ(project.DeviceCount, 2);
    EXPECT_EQ(project.Devices[0]->DataSetCount, 1);
    EXPECT_TRUE(recorder.questions.isEmpty());
    EXPECT_EQ(recorder.statuses.last(), "Operation cancelled.");
}

} // namespace
} // namespace zelmo
