#pragma once

// The device catalogue file (Lib/ConfigLib.lib): a text file of [vendor CODE],
// [device VENDOR:NAME:PACKAGE] and [adapter PACKAGE] sections with "key = value" lines. The
// format is described in docs/catalogue-format.md. Parsing never fails as a whole: an error
// stops the vendor or device part it belongs to and is reported with its line number, so the
// library can still deliver the other list.

#include "abi/hardware_api.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hwsim {

struct CatalogueVendor {
    std::string code; // up to 4 characters
    std::string name;
    std::string web;
};

struct CatalogueDevice {
    DeviceDescriptor descriptor{}; // LibParams carries the device key (see deviceParams)
    std::array<BufferInfo, 4> buffers{};
    std::vector<std::uint8_t> id; // bytes a Check ID reads from the chip
    std::uint8_t blank = 0xFF;    // value of an erased cell
    int line = 0;                 // line of the section header

    std::string key() const; // "VENDOR:NAME:PACKAGE"
};

struct CatalogueAdapter {
    std::string package;
    std::uint8_t plugPins = 0;   // N, even, 6 to 48
    std::uint8_t devicePins = 0; // pins of the chip in the adapter
    // For plug pin k (index k - 1): the chip pins wired to it; empty = not wired.
    std::vector<std::vector<std::uint8_t>> wiring;
    int line = 0;
};

struct CatalogueFile {
    std::vector<CatalogueVendor> vendors;
    std::vector<CatalogueDevice> devices;
    std::vector<CatalogueAdapter> adapters;
    int vendorErrorLine = 0; // first line of an error in a vendor section, 0 = none
    int deviceErrorLine = 0; // first line of an error in a device or adapter section
    std::string vendorError; // text of that error
    std::string deviceError;
};

CatalogueFile parseCatalogue(std::string_view text);

// The opaque parameter block of a catalogue device: "ZSIM", a format byte 1, then the device
// key NUL-terminated. Returns "" when params does not hold one.
void writeDeviceParams(std::uint8_t* params, std::string_view key);
std::string readDeviceParams(const std::uint8_t* params);

// Text of a device type code as used in the file ("EPROM", "SERIAL_FLASH", ...).
std::string_view typeKeyword(int type);

} // namespace hwsim
