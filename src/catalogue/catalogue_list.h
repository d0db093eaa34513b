#pragma once

// The device catalogue as the hardware library hands it over: a vendor list and a device list,
// both owned by the library. The application keeps the two heads and counts for the whole run,
// walks each list bounded by its count (a link beyond the count is never followed) and never
// frees them.

#include "abi/hardware_api.h"
#include "platform/result.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelmo {

// The library calls the catalogue loading needs; tests hand in their own.
struct CatalogueCalls {
    ZmGetVendorsDevices_fn ZmGetVendorsDevices = nullptr;
    ZmGetNoOfVendors_fn ZmGetNoOfVendors = nullptr;
    ZmGetNoOfDevices_fn ZmGetNoOfDevices = nullptr;
};

class CCatalogue {
public:
    ZmVendorRecord* VendorHead = nullptr;
    std::int32_t VendorCount = 0; // negative: the library's error code
    ZmDeviceRecord* DeviceHead = nullptr;
    std::int32_t DeviceCount = 0; // negative: the library's error code

    // The records in catalogue order: at most the count, fewer when a link ends early.
    std::vector<const ZmVendorRecord*> Vendors() const;
    std::vector<const DeviceDescriptor*> Devices() const;

    // The first vendor whose code equals `code`, searching at most the vendor count.
    const ZmVendorRecord* FindVendor(std::string_view code) const;
};

// 8-bit catalogue text of a fixed-width field, up to its first NUL or its width.
std::string FieldText(const char* field, std::size_t width);

template <std::size_t N> std::string FieldText(const char (&field)[N]) {
    return FieldText(field, N);
}

// "<appDir>/Lib/ConfigLib.lib".
QString CataloguePath(const QString& appDir);

// ok when the library read the catalogue and it holds at least one device; otherwise `message`
// holds the log lines joined by blanks. The application goes on with an empty catalogue; a
// command that needs devices fails with the message.
struct CatalogueLoadResult : Result {
    bool Loaded = false; // the library read the file and handed over the lists
    // The outcome for the message log, each line a detail entry under the caller's
    // "Reading configuration files." section.
    std::vector<QString> Messages;
};

// Has the library read the catalogue file and takes over the list heads and counts. A failed
// read leaves `catalogue` as it was.
CatalogueLoadResult LoadCatalogue(const CatalogueCalls& calls, const QString& cataloguePath,
                                  CCatalogue& catalogue);

} // namespace zelmo
