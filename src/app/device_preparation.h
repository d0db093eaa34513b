#pragma once

// What the hardware library tells about a catalogue device before it enters the project: the
// descriptions of its four memories, read with its algorithm library, and the vendor's display
// name. Shared by "add device", the project restore and zelmo2-cli.

#include "abi/hardware_api.h"
#include "operations/hardware_binding.h"
#include "platform/result.h"
#include "project/project.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace zelmo {

// "<appDir>/Dev/<LibName>.so": the device's algorithm library.
QString AlgorithmLibraryPath(const QString& appDir, const DeviceDescriptor& descriptor);

// The texts the library holds for `context` (message 0, 1, 2, ... until it has no more).
std::vector<QString> LibraryMessages(const HardwareEntryPoints& api, std::int32_t context);

struct PreparedDevice : Result {
    std::array<BufferInfo, kMemories> Buffers{};
    QString VendorName;
    // On failure: the library's own messages, each a detail entry under "Couldn't add device.".
    std::vector<QString> LibraryMessages;
};

// _ZmGetBufferInfo with the device's algorithm library, then _ZmGetVendorName. Fails with
// "Couldn't add device." and the library's messages when the memories cannot be described.
PreparedDevice PrepareCatalogueDevice(const HardwareEntryPoints& api, const QString& appDir,
                                      const DeviceDescriptor& descriptor);

// Takes the memory descriptions into a new device entry and enables every memory that exists
// and does not ask to start disabled.
void ApplyPreparation(CDevice& device, const PreparedDevice& prepared);

} // namespace zelmo
