// The selection dialog's filter rules over a small catalogue.

#include "catalogue/catalogue_filter.h"
#include "catalogue_fixture.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

test::CatalogueFixture sample() {
    return test::CatalogueFixture(
        {{"ATM", "Atmel"}, {"MCP", "Microchip"}, {"WIN", "Winbond"}},
        {{DT_EPROM, "ATM", "AT27C512R", "DIP28"},
         {DT_FLASH, "ATM", "AT29C010A", "PLCC32"},
         {DT_MICROCONTROLLER, "MCP", "PIC16F84A", "DIP18"},
         {DT_SERIAL_FLASH, "WIN", "W25Q64", "SOIC8"},
         {DT_EPROM, "MCP", "27C256", "DIP28"},
         {DT_OTHER, "WIN", "ATMEL-LIKE", "DIP28"},
         {DT_EEPROM, "MCP", "\xE9lan24C02", "DIP8"}}); // Latin-1 small e with acute
}

std::vector<std::string> names(const std::vector<DeviceDescriptor>& devices) {
    std::vector<std::string> out;
    for (const auto& d : devices) {
        out.push_back(FieldText(d.Name));
    }
    return out;
}

TEST(CatalogueFilter, TypeVendorAndSearchTextCombine) {
    auto fixture = sample();
    const CCatalogue& cat = fixture.catalogue;
    using Names = std::vector<std::string>;
    struct Case {
        std::int32_t type;
        int vendorPosition;
        const char* search;
        Names expected;
    };
    const Case cases[] = {
        {0,
         0,
         "",
         {"AT27C512R", "AT29C010A", "PIC16F84A", "W25Q64", "27C256", "ATMEL-LIKE", "\xE9lan24C02"}},
        {DT_EPROM, 0, "", {"AT27C512R", "27C256"}},
        {0, 2, "", {"PIC16F84A", "27C256", "\xE9lan24C02"}}, // vendor position 2 = MCP
        {0, 0, "27c", {"AT27C512R", "27C256"}},              // lower case, anywhere in the name
        {DT_EPROM, 1, "27c", {"AT27C512R"}},
        {0, 0, "DIP", {}},                   // packages are not searched
        {0, 0, "mel", {"ATMEL-LIKE"}},       // vendor names are not searched, names are
        {0, 0, "\xC9LAN", {"\xE9lan24C02"}}, // upper-case Latin-1 finds lower-case
        {DT_JTAG, 0, "", {}},
        {0, 3, "at", {"ATMEL-LIKE"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("type ") + std::to_string(c.type) + " vendor " +
                     std::to_string(c.vendorPosition) + " search '" + c.search + "'");
        CatalogueFilter filter;
        filter.Type = c.type;
        SelectVendor(cat, c.vendorPosition, filter);
        filter.SearchText = c.search;
        EXPECT_EQ(names(FilterDevices(cat, filter)), c.expected);
    }
}

TEST(CatalogueFilter, VendorListAndCodes) {
    auto fixture = sample();
    const auto entries = VendorListEntries(fixture.catalogue);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], "-- All vendors --");
    EXPECT_EQ(entries[1], "Atmel");
    EXPECT_EQ(entries[3], "Winbond");
    EXPECT_EQ(VendorCodeAt(fixture.catalogue, 0), "ALL");
    EXPECT_EQ(VendorCodeAt(fixture.catalogue, 2), "MCP");
    EXPECT_EQ(VendorCodeAt(fixture.catalogue, 4), "") << "past the list";
    EXPECT_EQ(VendorCodeAt(fixture.catalogue, -1), "");
}

TEST(CatalogueFilter, WholeCatalogueShowsTheCountTwice) {
    auto fixture = sample();
    const auto all = FilterDevices(fixture.catalogue, CatalogueFilter{});
    EXPECT_EQ(DeviceCountText(static_cast<int>(all.size()), fixture.catalogue.DeviceCount),
              "7 devices found (7 all)");
    EXPECT_EQ(DeviceCountText(0, 7), "0 devices found (7 all)");
}

TEST(CatalogueFilter, ScrollBarOnlyBeyondSixteenRows) {
    EXPECT_FALSE(PagingFor(0).Enabled);
    EXPECT_FALSE(PagingFor(16).Enabled);
    const GridPaging seventeen = PagingFor(17);
    EXPECT_TRUE(seventeen.Enabled);
    EXPECT_EQ(seventeen.Maximum, 1);
    EXPECT_EQ(seventeen.PageStep, 16);
}

TEST(CatalogueFilter, TypeButtonsInDialogOrder) {
    const auto types = DeviceTypeChoices();
    ASSERT_EQ(types.size(), 12u);
    EXPECT_EQ(types[0].Code, 0);
    EXPECT_STREQ(types[3].Caption, "Serial EEPROM");
    EXPECT_EQ(types[3].Code, 7);
    EXPECT_EQ(types[11].Code, 99);
    EXPECT_STREQ(types[11].Button, "rbSpecial");
}

} // namespace
} // namespace zelmo
