#include "catalogue/adapter_commands.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace zelmo {
namespace {

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

DeviceDescriptor Chip(const char* name, std::uint32_t pins) {
    DeviceDescriptor d{};
    d.Type = DT_EPROM;
    std::snprintf(d.Name, sizeof d.Name, "%s", name);
    d.MemSize[0] = 0x100;
    d.PinCount = pins;
    return d;
}

std::array<std::uint8_t, kAdapterImageSize> AdapterFor(int devicePins, std::uint8_t firstPin) {
    std::array<QString, kZifPins> fields;
    fields[10] = QString::number(firstPin);
    return buildAdapterImage(40, devicePins, fields);
}

class AdapterCommands : public ::testing::Test {
protected:
    void SetUp() override {
        project.SetSwapPath(qpath(dir.path()));
        ASSERT_EQ(project.AddCompleteDevice(Chip("A", 8)).Slot, 0);
        ASSERT_EQ(project.AddCompleteDevice(Chip("B", 8)).Slot, 1);
        ASSERT_EQ(project.AddCompleteDevice(Chip("A", 8)).Slot, 2);
        ASSERT_TRUE(project.SetActiveDevice(2));
    }
    test::TempDir dir;
    TProject project;
};

TEST_F(AdapterCommands, ChangeAdapterTakesOnlyAValidFileOfTheSamePinCount) {
    const QString good = qpath(dir / "good.adp");
    ASSERT_TRUE(writeAdapterFile(good, AdapterFor(8, 3)));
    const QString other = qpath(dir / "sixteen.adp");
    ASSERT_TRUE(writeAdapterFile(other, AdapterFor(16, 3)));
    std::array<std::uint8_t, kAdapterImageSize> broken = AdapterFor(8, 3);
    broken[200] ^= 1;
    const QString bad = qpath(dir / "bad.adp");
    ASSERT_TRUE(writeAdapterFile(bad, broken));

    for (const auto& [path, message] :
         {std::pair{other, "Incorrect adapter file. Pin count mismatch."},
          std::pair{bad, "Could not open adapter file."},
          std::pair{qpath(dir / "none.adp"), "Could not open adapter file."}}) {
        const DeviceReport r = ChangeAdapter(project, path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, QString::fromLatin1(message));
        EXPECT_TRUE(project.Active()->AdapterFile.isEmpty());
        EXPECT_EQ(project.Active()->AdapterData[0], 0);
    }

    const DeviceReport r = ChangeAdapter(project, good);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.Slot, 2);
    EXPECT_EQ(r.Details, std::vector<QString>{"Adapter changed to '" + good + "'."});
    EXPECT_EQ(r.Status, "Adapter changed.");
    EXPECT_EQ(project.Active()->AdapterFile, good);
    EXPECT_EQ(project.Active()->AdapterData, AdapterFor(8, 3));
    EXPECT_TRUE(project.DeviceAt(0)->AdapterFile.isEmpty());

    TProject empty;
    EXPECT_EQ(ChangeAdapter(empty, good).message, "No device selected.");
}

TEST_F(AdapterCommands, EditedAdapterGoesToTheDeviceOnlyWhenModified) {
    CreatorOutcome outcome;
    outcome.Image = AdapterFor(8, 5);
    EXPECT_FALSE(ApplyEditedAdapter(project, outcome).ok);
    EXPECT_EQ(project.Active()->AdapterData[0], 0);

    outcome.Modified = true;
    DeviceReport r = ApplyEditedAdapter(project, outcome);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.Details, std::vector<QString>{"Adapter modified and not saved."});
    EXPECT_EQ(r.Status, "Adapter modified.");
    EXPECT_EQ(project.Active()->AdapterData, outcome.Image);
    EXPECT_TRUE(project.Active()->AdapterFile.isEmpty());

    outcome.Opened = true;
    outcome.Path = "/a/b.adp";
    r = ApplyEditedAdapter(project, outcome);
    EXPECT_EQ(r.Details, std::vector<QString>{"Adapter modified '/a/b.adp'."});
    EXPECT_EQ(project.Active()->AdapterFile, "/a/b.adp");
}

TEST_F(AdapterCommands, PinCheckSwitchFollowsLinkedDevices) {
    DeviceReport r = SetPinCheck(project, true);
    EXPECT_EQ(r.Status, "Pin check enabled.");
    EXPECT_EQ(r.Details, std::vector<QString>{"Pin check enabled."});
    EXPECT_EQ(project.DeviceAt(2)->PinCheck, 1);
    EXPECT_EQ(project.DeviceAt(0)->PinCheck, 0) << "not linked: the active device only";

    project.LinkDevices = 1;
    project.UpdateLinks(); // devices 0 and 2 are alike
    r = SetPinCheck(project, false);
    EXPECT_EQ(r.Status, "Pin check disabled.");
    project.DeviceAt(0)->PinCheck = 1;
    project.DeviceAt(1)->PinCheck = 1;
    SetPinCheck(project, false);
    EXPECT_EQ(project.DeviceAt(0)->PinCheck, 0);
    EXPECT_EQ(project.DeviceAt(1)->PinCheck, 1) << "another kind of device is not linked";
    EXPECT_EQ(project.DeviceAt(2)->PinCheck, 0);
}

} // namespace
} // namespace zelmo
