#pragma once

// The device information dialog's texts for the active device, and when the entries of the
// device setup menu are enabled.

#include "project/project.h"

#include <QString>

#include <array>

namespace zelmo {

struct DeviceInfoTexts {
    QString Name;     // lDeviceName
    QString Type;     // lDeviceType: the type text, empty for an unknown code
    QString Vendor;   // lDeviceManuf: the vendor's display name
    QString Package;  // lDevicePackage
    QString Adapter;  // pbAdapterFileName: the adapter path, or "none"
    QString PinCount; // lDevicePinCount: the pin count, "-" for 0, "none" without an adapter
    std::array<QString, 4> Memory; // lMemoryA to lMemoryD: "<size> bytes[ (read-only)]" or "none"
};
DeviceInfoTexts DeviceInfoFor(const CDevice& device, const QString& vendorName);

// The entries of the device setup menu; `active` is null without devices.
struct SetupMenuState {
    bool DeviceSetup = false;   // miDeviceSetupOpt
    bool DeviceHelp = false;    // miDeviceHelp
    bool DeviceInfo = false;    // miDeviceInfo
    bool EditAdapter = false;   // miEditAdapter
    bool ChangeAdapter = false; // miChangeAdapter
    bool Serialization = false; // miSerialization
};
SetupMenuState SetupMenuFor(const CDevice* active, bool linkDevices);

} // namespace zelmo
