#pragma once

// The device catalogue for zelmo2-cli: the hardware library next to the program is started by
// the application's own start-up session, and devices are prepared as "add device" prepares
// them.

#include "abi/device_records.h"
#include "app/startup_session.h"
#include "platform/result.h"

#include <QString>

#include <array>

namespace zelmo::cli {

// The folder of the running program, with a trailing "/".
QString ApplicationDirectory();

// Starts the hardware library of `appDir` and has it read the catalogue. A library that cannot
// be bound, or a catalogue that cannot be read or holds no devices, is a failure with the
// binding's or the catalogue's message.
Result OpenCatalogue(CStartupSession& session, const QString& appDir);

struct CatalogueDevice : Result {
    bool BadArgument = false; // the key is malformed or names no catalogue device
    DeviceDescriptor Descriptor{};
    std::array<BufferInfo, 4> Buffers{};
};

// Finds the catalogue device "VENDOR:NAME:PACKAGE" (each part at most the width of its field)
// with _ZmSearchDev and describes its four memories through the device preparation.
CatalogueDevice LookupCatalogueDevice(const QString& vendorNamePackage);
// The same with the library of another application directory.
CatalogueDevice LookupCatalogueDevice(const QString& appDir, const QString& vendorNamePackage);

} // namespace zelmo::cli
