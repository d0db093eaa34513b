// Generic adapter choice, logo rules, vendor web address and the OK checks.

#include "catalogue/catalogue_assets.h"
#include "catalogue_fixture.h"
#include "common/temp_dir.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

TEST(CatalogueAssets, AdapterChoiceFollowsTheGenericFile) {
    test::TempDir app;
    const QString appDir = QString::fromStdString(app.path().string()) + "/";
    std::filesystem::create_directories(app / "Adapters");
    ASSERT_TRUE(test::writeFile(app / "Adapters" / "PLCC32.adp", "x"));

    test::CatalogueFixture fixture({{"ATM", "Atmel"}},
                                   {{DT_FLASH, "ATM", "AT29C010A", "PLCC32", DEV_ADAPTER},
                                    {DT_FLASH, "ATM", "AT49F001", "TSOP32", DEV_ADAPTER},
                                    {DT_EPROM, "ATM", "AT27C512R", "DIP28", 0},
                                    {DT_FLASH, "ATM", "EVIL", "..", DEV_ADAPTER}});
    const auto devices = fixture.catalogue.Devices();

    const AdapterChoice present = AdapterChoiceFor(appDir, *devices[0]);
    EXPECT_TRUE(present.NeedsAdapter);
    EXPECT_TRUE(present.GenericAvailable);
    EXPECT_FALSE(present.UserSelected);
    EXPECT_EQ(present.GenericPath, appDir + "Adapters/PLCC32.adp");
    EXPECT_EQ(present.DisplayedPath, present.GenericPath);

    const AdapterChoice absent = AdapterChoiceFor(appDir, *devices[1]);
    EXPECT_TRUE(absent.NeedsAdapter);
    EXPECT_FALSE(absent.GenericAvailable);
    EXPECT_TRUE(absent.UserSelected) << "a missing generic file switches to User defined";
    EXPECT_TRUE(absent.DisplayedPath.isEmpty());

    const AdapterChoice none = AdapterChoiceFor(appDir, *devices[2]);
    EXPECT_FALSE(none.NeedsAdapter);
    EXPECT_TRUE(none.GenericPath.isEmpty());
    EXPECT_TRUE(none.DisplayedPath.isEmpty());

    EXPECT_TRUE(GenericAdapterPath(appDir, *devices[3]).isEmpty())
        << "a package name never leaves the Adapters folder";
}

TEST(CatalogueAssets, LogoPathAndSize) {
    EXPECT_EQ(LogoPath("/opt/z/", "ATM"), "/opt/z/Logo/ATM.bmp");
    EXPECT_EQ(LogoPath("/opt/z/", "ALL"), "/opt/z/Logo/ALL.bmp");
    EXPECT_TRUE(LogoPath("/opt/z/", "../x").isEmpty());
    EXPECT_TRUE(LogoPath("/opt/z/", "").isEmpty());
    EXPECT_TRUE(LogoDrawable(QSize(100, 100)));
    EXPECT_FALSE(LogoDrawable(QSize(100, 99)));
    EXPECT_FALSE(LogoDrawable(QSize(200, 200)));
    EXPECT_FALSE(LogoDrawable(QSize()));
}

TEST(CatalogueAssets, VendorWebAddressSearchesOnlyCountedVendors) {
    test::CatalogueFixture fixture(
        {{"ATM", "Atmel", "www.atmel.example"}, {"MCP", "Microchip", "www.microchip.example"}}, {});
    EXPECT_EQ(VendorWebAddress(fixture.catalogue, "MCP"), "www.microchip.example");
    EXPECT_TRUE(VendorWebAddress(fixture.catalogue, "XYZ").isEmpty());
    fixture.catalogue.VendorCount = 1;
    EXPECT_TRUE(VendorWebAddress(fixture.catalogue, "MCP").isEmpty());
}

TEST(CatalogueAssets, ConfirmingASelection) {
    DeviceDescriptor plain{};
    DeviceDescriptor adapter{};
    adapter.Flags = DEV_ADAPTER;
    const QString needFile = "Select user adapter file.\nIf user adapter file is not created "
                             "please use Adapter Creator tool.";
    EXPECT_EQ(ConfirmSelectionMessage(nullptr, false, {}), "Select device then press OK.");
    EXPECT_EQ(ConfirmSelectionMessage(&adapter, true, {}), needFile);
    EXPECT_TRUE(ConfirmSelectionMessage(&adapter, true, "/x/y.adp").isEmpty());
    EXPECT_TRUE(ConfirmSelectionMessage(&adapter, false, {}).isEmpty());
    EXPECT_TRUE(ConfirmSelectionMessage(&plain, true, {}).isEmpty())
        << "a device without an adapter is confirmed whatever the controls show";
}

} // namespace
} // namespace zelmo
