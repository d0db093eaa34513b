#pragma once

// Finds a device of the catalogue the hardware library read, by "VENDOR:NAME:PACKAGE".

#include "catalogue/catalogue_list.h"
#include "project/device_descriptor.h"

#include <string>
#include <string_view>

namespace zelmo::test {

inline const DeviceDescriptor* FindCatalogueDevice(const CCatalogue& catalogue,
                                                   std::string_view key) {
    for (const DeviceDescriptor* d : catalogue.Devices()) {
        const std::string k = std::string(FieldView(d->Vendor)) + ":" +
                              std::string(FieldView(d->Name)) + ":" +
                              std::string(FieldView(d->Package));
        if (k == key) {
            return d;
        }
    }
    return nullptr;
}

} // namespace zelmo::test
