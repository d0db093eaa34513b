#pragma once

// A small catalogue built in memory with the library's record layouts and links.

#include "catalogue/catalogue_list.h"

#include <cstring>
#include <string>
#include <vector>

namespace zelmo::test {

struct DeviceSpec {
    std::uint8_t type;
    const char* vendor;
    const char* name;
    const char* package;
    std::uint32_t flags = 0;
};

class CatalogueFixture {
public:
    CatalogueFixture(std::vector<std::vector<std::string>> vendors, std::vector<DeviceSpec> devices)
        : vendors_(vendors.size()), devices_(devices.size()) {
        for (std::size_t i = 0; i < vendors.size(); ++i) {
            copy(vendors_[i].Code, vendors[i][0]);
            copy(vendors_[i].Name, vendors[i][1]);
            copy(vendors_[i].Web, vendors[i].size() > 2 ? vendors[i][2] : "");
            vendors_[i].Next = i + 1 < vendors.size() ? &vendors_[i + 1] : nullptr;
        }
        for (std::size_t i = 0; i < devices.size(); ++i) {
            DeviceDescriptor& d = devices_[i].Descriptor;
            d.Type = devices[i].type;
            copy(d.Vendor, devices[i].vendor);
            copy(d.Name, devices[i].name);
            copy(d.Package, devices[i].package);
            d.MemSize[0] = static_cast<std::uint32_t>(1024 * (i + 1));
            d.Flags = devices[i].flags;
            devices_[i].Next = i + 1 < devices.size() ? &devices_[i + 1] : nullptr;
        }
        catalogue.VendorHead = vendors_.empty() ? nullptr : vendors_.data();
        catalogue.VendorCount = static_cast<std::int32_t>(vendors_.size());
        catalogue.DeviceHead = devices_.empty() ? nullptr : devices_.data();
        catalogue.DeviceCount = static_cast<std::int32_t>(devices_.size());
    }

    std::vector<ZmVendorRecord>& vendorRecords() { return vendors_; }
    std::vector<ZmDeviceRecord>& deviceRecords() { return devices_; }

    CCatalogue catalogue;

private:
    template <std::size_t N> static void copy(char (&field)[N], const std::string& text) {
        std::memset(field, 0, N);
        std::memcpy(field, text.data(), std::min(text.size(), N - 1));
    }

    std::vector<ZmVendorRecord> vendors_;
    std::vector<ZmDeviceRecord> devices_;
};

} // namespace zelmo::test
