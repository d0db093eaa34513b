// Walking the library's lists and loading the catalogue through the library calls.

#include "catalogue/catalogue_list.h"
#include "catalogue_fixture.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace zelmo {
namespace {

test::CatalogueFixture threeDevices() {
    return test::CatalogueFixture({{"ATM", "Atmel"}, {"MCP", "Microchip"}},
                                  {{DT_EPROM, "ATM", "AT27C512R", "DIP28"},
                                   {DT_FLASH, "ATM", "AT29C010A", "PLCC32"},
                                   {DT_MICROCONTROLLER, "MCP", "PIC16F84A", "DIP18"}});
}

TEST(CatalogueList, WalksByCountAndNeverFollowsTheLastLink) {
    auto fixture = threeDevices();
    // Links past the counted records point nowhere valid: following one would crash.
    auto* bogusDevice = reinterpret_cast<ZmDeviceRecord*>(std::uintptr_t{0x10});
    auto* bogusVendor = reinterpret_cast<ZmVendorRecord*>(std::uintptr_t{0x10});
    fixture.deviceRecords()[1].Next = bogusDevice;
    fixture.vendorRecords()[0].Next = bogusVendor;
    fixture.catalogue.DeviceCount = 2;
    fixture.catalogue.VendorCount = 1;

    const auto devices = fixture.catalogue.Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(FieldText(devices[0]->Name), "AT27C512R");
    EXPECT_EQ(FieldText(devices[1]->Name), "AT29C010A");
    ASSERT_EQ(fixture.catalogue.Vendors().size(), 1u);
    EXPECT_EQ(fixture.catalogue.FindVendor("MCP"), nullptr) << "beyond the vendor count";
    EXPECT_NE(fixture.catalogue.FindVendor("ATM"), nullptr);
}

TEST(CatalogueList, ShortListOrNegativeCountStopsTheWalk) {
    auto fixture = threeDevices();
    fixture.catalogue.DeviceCount = 10; // more than the list holds: the null link ends it
    EXPECT_EQ(fixture.catalogue.Devices().size(), 3u);
    fixture.catalogue.DeviceCount = -4; // an error code
    EXPECT_TRUE(fixture.catalogue.Devices().empty());
    fixture.catalogue.VendorHead = nullptr;
    EXPECT_TRUE(fixture.catalogue.Vendors().empty());
}

TEST(CatalogueList, FieldTextStopsAtTheFieldWidth) {
    char full[5] = {'A', 'B', 'C', 'D', 'E'}; // no NUL inside the field
    EXPECT_EQ(FieldText(full), "ABCDE");
    char shorter[5] = {'A', 'B', '\0', 'X', 'Y'};
    EXPECT_EQ(FieldText(shorter), "AB");
}

// The library as the loading sees it; each case sets what it answers.
struct FakeLibrary {
    static inline std::int32_t readResult = 1;
    static inline std::int32_t vendors = 0;
    static inline std::int32_t devices = 0;
    static inline std::u16string pathSeen;
    static inline ZmVendorRecord* vendorHead = nullptr;
    static inline ZmDeviceRecord* deviceHead = nullptr;

    static std::int32_t getVendorsDevices(const char16_t* path, ZmDeviceRecord** d,
                                          ZmVendorRecord** v) {
        pathSeen = path;
        // Even a failing read may scribble on the heads; the catalogue must not take them.
        *d = deviceHead;
        *v = vendorHead;
        return readResult;
    }
    static std::int32_t noOfVendors() { return vendors; }
    static std::int32_t noOfDevices() { return devices; }
    static CatalogueCalls calls() { return {&getVendorsDevices, &noOfVendors, &noOfDevices}; }
};

TEST(CatalogueList, LoadingReportsCountsAndErrors) {
    struct Case {
        std::int32_t read, vendors, devices;
        QStringList messages;
    };
    const Case cases[] = {
        {1, 2, 3, {"2 vendors.", "3 devices."}},
        {1, 0, 0, {"No vendors found.", "No devices found."}},
        {1,
         -1,
         -7,
         {"Could not read vendors file.", "Could not read devices file (Error code 7)."}},
        {1, 1, 0, {"1 vendors.", "No devices found."}},
        {0, 2, 3, {"Could not read vendors and devices file (Error code 0)."}},
        {-5, 2, 3, {"Could not read vendors and devices file (Error code -5)."}},
    };
    auto fixture = threeDevices();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.messages.join(" | ").toStdString());
        FakeLibrary::readResult = c.read;
        FakeLibrary::vendors = c.vendors;
        FakeLibrary::devices = c.devices;
        FakeLibrary::vendorHead = fixture.vendorRecords().data();
        FakeLibrary::deviceHead = fixture.deviceRecords().data();
        CCatalogue catalogue;
        const auto result =
            LoadCatalogue(FakeLibrary::calls(), CataloguePath("/opt/zelmo2/"), catalogue);
        EXPECT_EQ(result.Loaded, c.read == 1);
        QStringList messages(result.Messages.begin(), result.Messages.end());
        EXPECT_EQ(messages, c.messages);
        // Only a catalogue with devices is a success; a failure carries the lines.
        EXPECT_EQ(result.ok, c.read == 1 && c.devices > 0);
        EXPECT_EQ(result.message, result.ok ? QString() : c.messages.join(" "));
        EXPECT_EQ(FakeLibrary::pathSeen, u"/opt/zelmo2/Lib/ConfigLib.lib");
        if (c.read == 1) {
            EXPECT_EQ(catalogue.VendorCount, c.vendors);
            EXPECT_EQ(catalogue.DeviceCount, c.devices);
            EXPECT_EQ(catalogue.DeviceHead, fixture.deviceRecords().data());
        } else {
            EXPECT_EQ(catalogue.VendorCount, 0) << "a failed read leaves the catalogue empty";
            EXPECT_EQ(catalogue.DeviceCount, 0);
            EXPECT_EQ(catalogue.DeviceHead, nullptr);
            EXPECT_EQ(catalogue.VendorHead, nullptr);
        }
    }
}

} // namespace
} // namespace zelmo
