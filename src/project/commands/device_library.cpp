#include "project/commands/device_library.h"

#include "project/device_descriptor.h"

namespace zelmo {

QString CDeviceLibrary::VendorNameOf(const DeviceDescriptor& descriptor) const {
    const std::string_view code = FieldView(descriptor.Vendor);
    return VendorName ? VendorName(code)
                      : QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size()));
}

CDeviceLibrary HardwareDeviceLibrary(const HardwareEntryPoints& api, const QString& appDir) {
    CDeviceLibrary library;
    const HardwareEntryPoints* calls = &api;
    library.Prepare = [calls, appDir](const DeviceDescriptor& descriptor) {
        return PrepareCatalogueDevice(*calls, appDir, descriptor);
    };
    library.VendorName = [calls](std::string_view code) {
        char vendor[5] = {};
        SetFieldText(vendor, code);
        char name[ZM_VENDOR_NAME_SIZE] = {};
        calls->ZmGetVendorName(vendor, name);
        name[ZM_VENDOR_NAME_SIZE - 1] = '\0';
        return QString::fromLatin1(name);
    };
    library.Search = [calls](std::string_view vendor, std::string_view name,
                             std::string_view package) -> std::optional<DeviceDescriptor> {
        DeviceDescriptor keys{};
        SetFieldText(keys.Vendor, vendor);
        SetFieldText(keys.Name, name);
        SetFieldText(keys.Package, package);
        DeviceDescriptor found{};
        if (calls->ZmSearchDev(keys.Vendor, keys.Name, keys.Package, &found) == 0) {
            return std::nullopt;
        }
        return found;
    };
    return library;
}

} // namespace zelmo
