#include "catalogue/catalogue_filter.h"

#include <array>

namespace zelmo {

namespace {

constexpr std::array<DeviceTypeChoice, 12> kTypeChoices{{
    {0, "rbAll", "-- All types --"},
    {DT_EPROM, "rbEprom", "EPROM"},
    {DT_EEPROM, "rbEeprom", "EEPROM"},
    {DT_SERIAL_EEPROM, "rbSerialEeprom", "Serial EEPROM"},
    {DT_FLASH, "rbFlash", "Flash"},
    {DT_SERIAL_FLASH, "rbSerialFlash", "Serial Flash"},
    {DT_NAND_FLASH, "rbNandFlash", "NAND Flash"},
    {DT_STATIC_RAM, "rbSram", "Static RAM"},
    {DT_MICROCONTROLLER, "rbMcu", "Microcontroller"},
    {DT_PLD, "rbPld", "PLD"},
    {DT_JTAG, "rbJtag", "JTAG"},
    {DT_OTHER, "rbSpecial", "Other"},
}};

unsigned char upperLatin1(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<unsigned char>(c - 0x20);
    }
    return c;
}

} // namespace

std::span<const DeviceTypeChoice> DeviceTypeChoices() {
    return kTypeChoices;
}

std::vector<QString> VendorListEntries(const CCatalogue& catalogue) {
    std::vector<QString> entries{QString::fromLatin1(kAllVendorsEntry)};
    for (const ZmVendorRecord* vendor : catalogue.Vendors()) {
        const std::string name = FieldText(vendor->Name);
        entries.push_back(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    return entries;
}

std::string VendorCodeAt(const CCatalogue& catalogue, int position) {
    if (position == 0) {
        return kAllVendorsCode;
    }
    const auto vendors = catalogue.Vendors();
    if (position < 0 || static_cast<std::size_t>(position) > vendors.size()) {
        return {};
    }
    return FieldText(vendors[static_cast<std::size_t>(position) - 1]->Code);
}

void SelectVendor(const CCatalogue& catalogue, int position, CatalogueFilter& filter) {
    filter.VendorPosition = position;
    filter.VendorCode = VendorCodeAt(catalogue, position);
}

std::string UpperLatin1(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(upperLatin1(static_cast<unsigned char>(c)));
    }
    return out;
}

bool DeviceMatches(const DeviceDescriptor& device, const CatalogueFilter& filter) {
    if (filter.Type != 0 && device.Type != filter.Type) {
        return false;
    }
    if (filter.VendorPosition != 0 && FieldText(device.Vendor) != filter.VendorCode) {
        return false;
    }
    if (filter.SearchText.empty()) {
        return true;
    }
    return UpperLatin1(FieldText(device.Name)).find(UpperLatin1(filter.SearchText)) !=
           std::string::npos;
}

std::vector<DeviceDescriptor> FilterDevices(const CCatalogue& catalogue,
                                            const CatalogueFilter& filter) {
    std::vector<DeviceDescriptor> matching;
    for (const DeviceDescriptor* device : catalogue.Devices()) {
        if (DeviceMatches(*device, filter)) {
            matching.push_back(*device);
        }
    }
    return matching;
}

QString DeviceCountText(int matching, std::int32_t all) {
    return QStringLiteral("%1 devices found (%2 all)").arg(matching).arg(all);
}

GridPaging PagingFor(int matching) {
    GridPaging paging;
    if (matching > kGridRows) {
        paging.Enabled = true;
        paging.Maximum = matching - kGridRows;
    }
    return paging;
}

} // namespace zelmo
