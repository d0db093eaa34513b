#pragma once

// "Device setup": hands the active device to its algorithm library, which shows its own setup
// dialog and keeps what it sets in the device's extra area E; linked devices get a copy of that
// area afterwards.

#include "app/log_kind.h"
#include "operations/hardware_binding.h"
#include "project/project.h"

#include <QString>

#include <functional>
#include <optional>
#include <span>

namespace zelmo {

// The library calls device setup makes; tests hand in their own.
struct DeviceSetupCalls {
    ZmGetHardware_fn ZmGetHardware = nullptr;
    ZmInitLib_fn ZmInitLib = nullptr;
    ZmDeviceSetup_fn ZmDeviceSetup = nullptr;
    ZmFreeLib_fn ZmFreeLib = nullptr;
    ZmGetMessage_fn ZmGetMessage = nullptr;
};
DeviceSetupCalls DeviceSetupCallsOf(const HardwareEntryPoints& api);

struct DeviceSetupHost {
    std::function<void(LogKind kind, const QString& text)> Log;
    std::function<void(const QString& text)> SetStatus;
    std::function<void(const QString& text)> ShowMessage;
    // Refreshes the operation views after the library's dialog.
    std::function<void()> Refresh;
    void* Window = nullptr; // handed to the library's dialog as its owner
};

enum class DeviceSetupOutcome {
    NoDevice,       // "No device selected."
    NotOffered,     // the device has no setup
    Refused,        // the device is busy
    ProgrammerBusy, // "Operation cancelled. Programmer not available."
    LibraryRefused, // _ZmInitLib failed; its messages are in the log
    Done,
};

// The programmer device setup talks to: in gang mode with two or more programmers the one at the
// active device's position, otherwise the one of "ProgrammerIndex"; 0 without programmers. None
// when gang mode leaves the active device without a programmer.
std::optional<std::int32_t> DeviceSetupPort(const TProject& project,
                                            std::span<const ProgrammerInfo> programmers);

DeviceSetupOutcome RunDeviceSetup(TProject& project, const DeviceSetupCalls& calls,
                                  const QString& appDir,
                                  std::span<const ProgrammerInfo> programmers,
                                  const DeviceSetupHost& host);

} // namespace zelmo
