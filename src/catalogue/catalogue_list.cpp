#include "catalogue/catalogue_list.h"

#include <QDir>
#include <QStringList>

#include <cstring>

namespace zelmo {

std::vector<const ZmVendorRecord*> CCatalogue::Vendors() const {
    std::vector<const ZmVendorRecord*> out;
    const ZmVendorRecord* record = VendorHead;
    for (std::int32_t i = 0; i < VendorCount && record != nullptr; ++i) {
        out.push_back(record);
        // The link of the last counted record is never read.
        if (i + 1 < VendorCount) {
            record = record->Next;
        }
    }
    return out;
}

std::vector<const DeviceDescriptor*> CCatalogue::Devices() const {
    std::vector<const DeviceDescriptor*> out;
    const ZmDeviceRecord* record = DeviceHead;
    for (std::int32_t i = 0; i < DeviceCount && record != nullptr; ++i) {
        out.push_back(&record->Descriptor);
        if (i + 1 < DeviceCount) {
            record = record->Next;
        }
    }
    return out;
}

const ZmVendorRecord* CCatalogue::FindVendor(std::string_view code) const {
    for (const ZmVendorRecord* vendor : Vendors()) {
        if (FieldText(vendor->Code) == code) {
            return vendor;
        }
    }
    return nullptr;
}

std::string FieldText(const char* field, std::size_t width) {
    return std::string(field, ::strnlen(field, width));
}

QString CataloguePath(const QString& appDir) {
    return QDir(appDir).filePath(QStringLiteral("Lib/ConfigLib.lib"));
}

namespace {
CatalogueLoadResult finished(CatalogueLoadResult result, const CCatalogue& catalogue) {
    result.ok = result.Loaded && catalogue.DeviceCount > 0;
    if (!result.ok) {
        QStringList lines(result.Messages.begin(), result.Messages.end());
        result.message = lines.join(QLatin1Char(' '));
    }
    return result;
}
} // namespace

CatalogueLoadResult LoadCatalogue(const CatalogueCalls& calls, const QString& cataloguePath,
                                  CCatalogue& catalogue) {
    CatalogueLoadResult result;
    ZmDeviceRecord* devices = nullptr;
    ZmVendorRecord* vendors = nullptr;
    const std::int32_t read = calls.ZmGetVendorsDevices(
        reinterpret_cast<const char16_t*>(cataloguePath.utf16()), &devices, &vendors);
    if (read != 1) {
        // The library's own result is the only error code there is at this point.
        result.Messages.push_back(
            QStringLiteral("Could not read vendors and devices file (Error code %1).").arg(read));
        return finished(std::move(result), catalogue);
    }
    result.Loaded = true;
    catalogue.VendorHead = vendors;
    catalogue.DeviceHead = devices;
    catalogue.VendorCount = calls.ZmGetNoOfVendors();
    catalogue.DeviceCount = calls.ZmGetNoOfDevices();

    if (catalogue.VendorCount == 0) {
        result.Messages.push_back(QStringLiteral("No vendors found."));
    } else if (catalogue.VendorCount > 0) {
        result.Messages.push_back(QStringLiteral("%1 vendors.").arg(catalogue.VendorCount));
    } else {
        result.Messages.push_back(QStringLiteral("Could not read vendors file."));
    }
    if (catalogue.DeviceCount == 0) {
        result.Messages.push_back(QStringLiteral("No devices found."));
    } else if (catalogue.DeviceCount > 0) {
        result.Messages.push_back(QStringLiteral("%1 devices.").arg(catalogue.DeviceCount));
    } else {
        // Widened before negating so that the most negative count cannot overflow.
        result.Messages.push_back(QStringLiteral("Could not read devices file (Error code %1).")
                                      .arg(-static_cast<std::int64_t>(catalogue.DeviceCount)));
    }
    return finished(std::move(result), catalogue);
}

} // namespace zelmo
