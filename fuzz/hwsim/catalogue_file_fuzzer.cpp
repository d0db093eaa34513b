// Feeds arbitrary text to the catalogue-file parser and builds the lists from the result,
// then walks them by count and checks what the application relies on. The same text also goes
// through the simulator-configuration parser, the library's other text format.
#include "catalogue.h"
#include "catalogue_file.h"
#include "sim_config.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const hwsim::Catalogue catalogue(hwsim::parseCatalogue(text));
    const int vendors = catalogue.vendorCount();
    const int devices = catalogue.deviceCount();
    const ZmVendorRecord* v = catalogue.vendorHead();
    for (int i = 0; i < vendors; ++i, v = v->Next) {
        if (v == nullptr || std::memchr(v->Code, 0, sizeof v->Code) == nullptr ||
            std::memchr(v->Name, 0, sizeof v->Name) == nullptr ||
            std::memchr(v->Web, 0, sizeof v->Web) == nullptr) {
            std::abort();
        }
    }
    const ZmDeviceRecord* d = catalogue.deviceHead();
    for (int i = 0; i < devices; ++i, d = d->Next) {
        if (d == nullptr ||
            std::memchr(d->Descriptor.Name, 0, sizeof d->Descriptor.Name) == nullptr ||
            std::memchr(d->Descriptor.Package, 0, sizeof d->Descriptor.Package) == nullptr) {
            std::abort();
        }
        const hwsim::CatalogueDevice* entry =
            catalogue.device(hwsim::readDeviceParams(d->Descriptor.LibParams));
        if (entry == nullptr) {
            std::abort(); // every listed device is found again through its parameters
        }
        for (const BufferInfo& b : entry->buffers) {
            if (std::memchr(b.Name, 0, sizeof b.Name) == nullptr) {
                std::abort();
            }
        }
    }
    const hwsim::SimConfig config = hwsim::parseSimConfig(text);
    if (config.programmers.size() > 16) {
        std::abort();
    }
    for (const hwsim::ProgrammerConfig& p : config.programmers) {
        if (p.port < 1 || p.port > 255 || p.name.size() > 49 || p.serial.size() > 9) {
            std::abort();
        }
        for (const hwsim::SocketStep& step : p.scan) {
            for (int pin : step.pins) {
                if (pin < 1 || pin > 48) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
