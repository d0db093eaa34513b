#pragma once

// What the project commands and the project restore ask the hardware library about a catalogue
// device: its memory descriptions (with the library's messages when it refuses), the vendor's
// display name, and the catalogue lookup by vendor, name and package. The application binds
// these to the hardware library; tests hand in their own.

#include "app/device_preparation.h"
#include "operations/hardware_binding.h"

#include <QString>

#include <functional>
#include <optional>
#include <string_view>

namespace zelmo {

struct CDeviceLibrary {
    // _ZmGetBufferInfo with the device's algorithm library, then the vendor name.
    std::function<PreparedDevice(const DeviceDescriptor&)> Prepare;
    // _ZmGetVendorName for a vendor code.
    std::function<QString(std::string_view vendorCode)> VendorName;
    // _ZmSearchDev: the catalogue's descriptor with exactly these three keys.
    std::function<std::optional<DeviceDescriptor>(std::string_view vendor, std::string_view name,
                                                  std::string_view package)>
        Search;

    QString VendorNameOf(const DeviceDescriptor& descriptor) const;
};

// The library calls of `api` (which must outlive the result) with the algorithm libraries in
// `appDir`.
CDeviceLibrary HardwareDeviceLibrary(const HardwareEntryPoints& api, const QString& appDir);

} // namespace zelmo
