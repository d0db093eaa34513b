// Feeds arbitrary text to the catalogue-file parser and builds the lists from the result,
// then walks them by count and checks what the application relies on. The same text also goes
// through the simulator-configuration parser and, over each configured programmer, through the
// control-file parser, the library's other text formats.
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
    const auto checkOutcomes = [](const hwsim::ProgrammerConfig& p) {
        for (const hwsim::RunRule& rule : p.runs) {
            const hwsim::RunOutcome& o = rule.outcome;
            if (rule.first < 1 || rule.last < rule.first || o.slow < 1.0 || o.slow > 1000.0 ||
                o.cancelAtPercent > 100.0 || o.verifyMemory > 3) {
                std::abort();
            }
            for (int pin : o.noContact) {
                if (!((pin >= 1 && pin <= 48) || (pin >= 100 && pin <= 105))) {
                    std::abort();
                }
            }
        }
        // The merged outcome of any run stays within the same bounds.
        const hwsim::RunOutcome merged = p.outcome(2);
        if (merged.slow < 1.0 || merged.cancelAtPercent > 100.0) {
            std::abort();
        }
    };
    for (const hwsim::ProgrammerConfig& p : config.programmers) {
        if (p.port < 1 || p.port > 255 || p.name.size() > 49 || p.serial.size() > 9) {
            std::abort();
        }
        checkOutcomes(p);
        const hwsim::ControlResult control = hwsim::applyControl(p, text);
        const hwsim::ProgrammerConfig& c = control.config;
        // Identity never changes through a control file.
        if (c.port != p.port || c.model != p.model || c.name != p.name || c.serial != p.serial ||
            c.speedFactor <= 0 || c.socket.size() > 64) {
            std::abort();
        }
        checkOutcomes(c);
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
