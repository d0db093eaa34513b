// The selection dialog's rules without its widgets, over a small catalogue in memory.

#include "catalogue/adapter_file.h"
#include "catalogue/device_info.h"
#include "catalogue/selection_model.h"
#include "catalogue_fixture.h"
#include "common/temp_dir.h"
#include "project/device_descriptor.h"

#include <gtest/gtest.h>

#include <QDir>

#include <filesystem>

namespace zelmo {
namespace {

using test::CatalogueFixture;
using test::DeviceSpec;

// A catalogue of `count` flash devices of vendor AAA named F00, F01, ...
CatalogueFixture flashCatalogue(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back((i < 10 ? "F0" : "F") + std::to_string(i));
    }
    std::vector<DeviceSpec> specs;
    for (const std::string& n : names) {
        specs.push_back({DT_FLASH, "AAA", n.c_str(), "DIP32"});
    }
    return CatalogueFixture({{"AAA", "Alpha"}}, specs);
}

class SelectionModelTest : public ::testing::Test {
protected:
    SelectionModelTest()
        : appDir(QString::fromStdString(dir.path().string()) + "/"),
          fixture({{"AAA", "Alpha"}, {"BBB", "Beta"}},
                  {{DT_EPROM, "AAA", "AT27C512", "DIP28"},
                   {DT_MICROCONTROLLER, "BBB", "AT89C51", "DIP40"},
                   {DT_FLASH, "BBB", "SST39SF040", "PLCC32", DEV_ADAPTER},
                   {DT_SERIAL_FLASH, "BBB", "W25Q32", "WSON8", DEV_ADAPTER},
                   {DT_MICROCONTROLLER, "AAA", "pic16f84", "DIP18"}}),
          model(fixture.catalogue, appDir,
                [](const DeviceDescriptor& d) { return "Vendor " + FieldQString(d.Vendor); }) {
        // A generic adapter for PLCC32 only.
        QDir().mkpath(appDir + "Adapters");
        std::vector<std::vector<std::uint8_t>> wiring;
        for (std::uint8_t p = 1; p <= 32; ++p) {
            wiring.push_back({p});
        }
        EXPECT_TRUE(writeGenericAdapter(appDir + "Adapters", "PLCC32", 32, 32, wiring));
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int r = 0; r < model.VisibleRows(); ++r) {
            out.push_back(model.RowAt(r)->Name.toStdString());
        }
        return out;
    }

    test::TempDir dir;
    QString appDir;
    CatalogueFixture fixture;
    CSelectionModel model;
};

TEST_F(SelectionModelTest, LowerCaseSearchFindsUpperCaseNamesAnywhere) {
    model.Open({});
    EXPECT_EQ(model.Matching(), 5);
    EXPECT_EQ(model.CountText(), "5 devices found (5 all)");
    model.SetSearchText("c5");
    EXPECT_EQ(names(), (std::vector<std::string>{"AT27C512", "AT89C51"}));
    model.SetSearchText("F8");
    EXPECT_EQ(names(), (std::vector<std::string>{"pic16f84"}));
    model.SetType(DT_EPROM);
    EXPECT_EQ(model.Matching(), 0);
    EXPECT_EQ(model.CountText(), "0 devices found (5 all)");
    EXPECT_EQ(model.SelectedDevice(), nullptr);
    const DeviceDetails none = model.Details();
    EXPECT_EQ(none.Memory[0], "none");
    EXPECT_EQ(none.DeviceName, "none");
    EXPECT_EQ(none.Vendor, "none");
    LastSelection last;
    EXPECT_EQ(model.Ok(last).Message, "Select device then press OK.");
}

TEST_F(SelectionModelTest, VendorAndTypeNarrowTheGridAndShowTheDetails) {
    model.Open({});
    model.SetVendor(2); // Beta
    EXPECT_EQ(names(), (std::vector<std::string>{"AT89C51", "SST39SF040", "W25Q32"}));
    EXPECT_EQ(model.LogoPath(), appDir + "Logo/BBB.bmp");
    model.SetType(DT_FLASH);
    EXPECT_EQ(names(), (std::vector<std::string>{"SST39SF040"}));
    const DeviceDetails details = model.Details();
    EXPECT_EQ(details.DeviceName, "SST39SF040 / PLCC32");
    EXPECT_EQ(details.Memory[0], "3072"); // the fixture's third device
    EXPECT_EQ(details.Memory[1], "none");
    EXPECT_EQ(details.Vendor, "Vendor BBB");
    model.SetVendor(0);
    EXPECT_EQ(model.LogoPath(), appDir + "Logo/ALL.bmp"); // not there: the box stays white
    EXPECT_EQ(model.Matching(), 1);
}

TEST_F(SelectionModelTest, ReopeningRestoresTheLastConfirmedSelection) {
    model.Open({});
    model.SetVendor(1);
    model.SetType(DT_MICROCONTROLLER);
    model.SetSearchText("f8");
    model.SetCopiesIndex(2);
    LastSelection last;
    const CSelectionModel::OkOutcome ok = model.Ok(last);
    ASSERT_TRUE(ok.Confirmed) << ok.Message.toStdString();
    EXPECT_EQ(model.Selection().Copies, 3);
    EXPECT_EQ(FieldText(model.Selection().Descriptor.Name), "pic16f84");
    EXPECT_EQ(last.Type, DT_MICROCONTROLLER);
    EXPECT_EQ(last.VendorPosition, 1);
    EXPECT_EQ(last.Device, 0);
    EXPECT_EQ(last.SearchText, "f8");

    CSelectionModel again(fixture.catalogue, appDir, {});
    again.Open(last);
    EXPECT_EQ(again.Filter().Type, DT_MICROCONTROLLER);
    EXPECT_EQ(again.Filter().VendorPosition, 1);
    EXPECT_EQ(again.Filter().VendorCode, "AAA");
    EXPECT_EQ(again.Filter().SearchText, "f8");
    EXPECT_EQ(again.SelectedIndex(), 0);
    EXPECT_EQ(again.CopiesIndex(), 0);
    EXPECT_TRUE(again.LogoPath().isEmpty()); // no logo until the user picks a device

    // A selection the catalogue no longer has falls back to everything.
    again.Open({.Type = 42, .VendorPosition = 7, .Device = 0, .SearchText = std::string(40, 'x')});
    EXPECT_EQ(again.Filter().Type, 0);
    EXPECT_EQ(again.Filter().VendorPosition, 0);
    EXPECT_EQ(again.Filter().SearchText.size(), 30u);
}

TEST_F(SelectionModelTest, AdapterChoiceFollowsTheGenericFileAndTheUsersFile) {
    model.Open({});
    model.ClickRow(2); // SST39SF040 / PLCC32: a generic adapter exists
    AdapterControls adapter = model.Adapter();
    EXPECT_TRUE(adapter.GenericEnabled && adapter.LoadEnabled && adapter.UserEnabled);
    EXPECT_FALSE(adapter.UserSelected);
    EXPECT_EQ(adapter.DisplayedPath, appDir + "Adapters/PLCC32.adp");
    EXPECT_EQ(model.LogoPath(), appDir + "Logo/BBB.bmp");

    // A file that is not an adapter changes nothing; a valid one becomes the user's choice.
    test::writeFile(dir / "bad.adp", "ADP");
    EXPECT_EQ(model.LoadUserAdapter(appDir + "bad.adp").message, "Could not open adapter file.");
    EXPECT_FALSE(model.Adapter().UserSelected);
    std::filesystem::copy_file(dir / "Adapters" / "PLCC32.adp", dir / "mine.adp");
    ASSERT_TRUE(model.LoadUserAdapter(appDir + "mine.adp").ok);
    EXPECT_TRUE(model.Adapter().UserSelected);
    EXPECT_EQ(model.CreatorPath(), appDir + "mine.adp");
    model.ChooseGenericAdapter();
    EXPECT_EQ(model.Selection().AdapterPath, appDir + "Adapters/PLCC32.adp");
    EXPECT_EQ(model.CreatorPath(), appDir + "Adapters/PLCC32.adp");
    model.ChooseUserAdapter();
    EXPECT_EQ(model.Adapter().DisplayedPath, appDir + "mine.adp");

    // Another device without a generic file: "User defined" only, and OK asks for a file.
    model.ClickRow(3);
    adapter = model.Adapter();
    EXPECT_FALSE(adapter.GenericEnabled);
    EXPECT_TRUE(adapter.UserSelected);
    EXPECT_TRUE(adapter.DisplayedPath.isEmpty());
    EXPECT_TRUE(model.UserAdapterPath().isEmpty());
    LastSelection last;
    EXPECT_EQ(model.Ok(last).Message,
              "Select user adapter file.\nIf user adapter file is not created please use Adapter "
              "Creator tool.");
    model.CreatorClosed(appDir + "made.adp");
    EXPECT_TRUE(model.Ok(last).Confirmed);
    EXPECT_EQ(model.Selection().AdapterPath, appDir + "made.adp");

    // A device without an adapter confirms whatever the controls showed.
    model.ClickRow(0);
    adapter = model.Adapter();
    EXPECT_FALSE(adapter.LoadEnabled || adapter.GenericEnabled || adapter.UserSelected);
    EXPECT_TRUE(model.Ok(last).Confirmed);
    EXPECT_TRUE(model.Selection().AdapterPath.isEmpty());
}

TEST(SelectionPaging, SeventeenMatchesScrollByOneSixteenDoNot) {
    for (const int count : {16, 17}) {
        CatalogueFixture fixture = flashCatalogue(count);
        CSelectionModel model(fixture.catalogue, QString(), {});
        model.Open({});
        EXPECT_EQ(model.VisibleRows(), 16);
        EXPECT_EQ(model.Paging().Enabled, count == 17) << count;
        EXPECT_EQ(model.Paging().Maximum, count == 17 ? 1 : 0) << count;
        // Down on the last visible row scrolls only when there is more.
        model.ClickRow(15);
        model.GridKeyPressed(GridKey::Down);
        EXPECT_EQ(model.SelectedIndex(), count == 17 ? 16 : 15) << count;
        EXPECT_EQ(model.ScrollPosition(), count == 17 ? 1 : 0) << count;
    }
}

TEST(SelectionPaging, KeysMoveTheSelectionThroughALongList) {
    CatalogueFixture fixture = flashCatalogue(40); // maximum 24
    CSelectionModel model(fixture.catalogue, QString(), {});
    model.Open({});

    struct Step {
        GridKey key;
        int selected;
        int scroll;
    } steps[] = {
        {GridKey::Left, 0, 0},       {GridKey::Down, 1, 0},       {GridKey::PageDown, 15, 0},
        {GridKey::PageDown, 31, 16}, {GridKey::PageDown, 39, 24}, {GridKey::Down, 39, 24},
        {GridKey::Up, 38, 24},       {GridKey::PageUp, 24, 24},   {GridKey::PageUp, 8, 8},
        {GridKey::PageUp, 0, 0},     {GridKey::Up, 0, 0},         {GridKey::End, 39, 24},
        {GridKey::Home, 0, 0},       {GridKey::Right, 0, 0},
    };
    for (const Step& s : steps) {
        EXPECT_FALSE(model.GridKeyPressed(s.key));
        EXPECT_EQ(model.SelectedIndex(), s.selected) << static_cast<int>(s.key);
        EXPECT_EQ(model.ScrollPosition(), s.scroll) << static_cast<int>(s.key);
    }
    EXPECT_TRUE(model.GridKeyPressed(GridKey::Enter));

    // The scroll bar moves the rows, not the selection; the highlight goes with its entry.
    model.ClickRow(2);
    model.SetScrollPosition(5);
    EXPECT_EQ(model.SelectedIndex(), 2);
    EXPECT_EQ(model.RowAt(0)->Name, "F05");
    EXPECT_FALSE(model.RowAt(0)->Selected);
    model.SetScrollPosition(1);
    EXPECT_TRUE(model.RowAt(1)->Selected);
    model.SetScrollPosition(99);
    EXPECT_EQ(model.ScrollPosition(), 24);

    // The search field's keys land in the grid.
    EXPECT_FALSE(model.SearchKeyPressed(SearchKey::Down));
    EXPECT_EQ(model.CurrentRow(), 1);
    EXPECT_FALSE(model.SearchKeyPressed(SearchKey::Up));
    EXPECT_EQ(model.CurrentRow(), 15);
    EXPECT_TRUE(model.SearchKeyPressed(SearchKey::Enter));
    EXPECT_EQ(model.CurrentRow(), 0);
}

TEST(DeviceInformation, TextsAndSetupMenu) {
    CDevice device;
    DeviceDescriptor& d = device.Descriptor;
    d.Type = DT_NAND_FLASH;
    SetFieldText(d.Name, "K9F1G08");
    SetFieldText(d.Package, "TSOP48");
    d.MemSize[0] = 65536;
    d.MemSize[2] = 64;
    d.PinCount = 0x130; // only the low byte counts
    d.Flags = DEV_ADAPTER | DEV_SETUP | DEV_SERIALIZATION;
    device.Buffers[0].Flags = BUF_READ_ONLY;

    DeviceInfoTexts texts = DeviceInfoFor(device, "Samsung");
    EXPECT_EQ(texts.Type, "NAND Flash");
    EXPECT_EQ(texts.Vendor, "Samsung");
    EXPECT_EQ(texts.Adapter, "none"); // an adapter device without a file yet
    EXPECT_EQ(texts.PinCount, "48");
    EXPECT_EQ(texts.Memory[0], "65536 bytes (read-only)");
    EXPECT_EQ(texts.Memory[1], "none");
    EXPECT_EQ(texts.Memory[2], "64 bytes");
    device.AdapterFile = "/a/TSOP48.adp";
    d.PinCount = 0x100;
    texts = DeviceInfoFor(device, "Samsung");
    EXPECT_EQ(texts.Adapter, "/a/TSOP48.adp");
    EXPECT_EQ(texts.PinCount, "-");
    d.Flags = 0;
    texts = DeviceInfoFor(device, "Samsung");
    EXPECT_EQ(texts.Adapter, "none");
    EXPECT_EQ(texts.PinCount, "none");

    const SetupMenuState empty = SetupMenuFor(nullptr, false);
    EXPECT_FALSE(empty.DeviceSetup || empty.DeviceInfo || empty.ChangeAdapter);
    EXPECT_TRUE(empty.EditAdapter);
    d.Flags = DEV_ADAPTER | DEV_SETUP | DEV_SERIALIZATION;
    const SetupMenuState full = SetupMenuFor(&device, false);
    EXPECT_TRUE(full.DeviceSetup && full.DeviceHelp && full.DeviceInfo && full.EditAdapter &&
                full.ChangeAdapter && full.Serialization);
    EXPECT_FALSE(SetupMenuFor(&device, true).Serialization);
    d.Flags = 0;
    const SetupMenuState plain = SetupMenuFor(&device, false);
    EXPECT_FALSE(plain.DeviceSetup || plain.EditAdapter || plain.ChangeAdapter ||
                 plain.Serialization);
}

} // namespace
} // namespace zelmo
