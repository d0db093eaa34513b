#include "catalogue/device_info.h"

#include "project/device_descriptor.h"

namespace zelmo {

DeviceInfoTexts DeviceInfoFor(const CDevice& device, const QString& vendorName) {
    const DeviceDescriptor& d = device.Descriptor;
    const QString none = QStringLiteral("none");
    const bool adapter = (d.Flags & DEV_ADAPTER) != 0;
    DeviceInfoTexts texts;
    texts.Name = FieldQString(d.Name);
    texts.Type = DeviceTypeText(d.Type);
    texts.Vendor = vendorName;
    texts.Package = FieldQString(d.Package);
    texts.Adapter = adapter && !device.AdapterFile.isEmpty() ? device.AdapterFile : none;
    const unsigned pins = d.PinCount & 0xFFu;
    texts.PinCount = !adapter ? none : pins == 0 ? QStringLiteral("-") : QString::number(pins);
    for (int m = 0; m < kMemories; ++m) {
        QString& text = texts.Memory[static_cast<std::size_t>(m)];
        if (d.MemSize[m] == 0) {
            text = none;
            continue;
        }
        text = QString::number(d.MemSize[m]) + QStringLiteral(" bytes");
        if ((device.Buffers[static_cast<std::size_t>(m)].Flags & BUF_READ_ONLY) != 0) {
            text += QStringLiteral(" (read-only)");
        }
    }
    return texts;
}

SetupMenuState SetupMenuFor(const CDevice* active, bool linkDevices) {
    SetupMenuState menu;
    const std::uint32_t flags = active != nullptr ? active->Descriptor.Flags : 0;
    menu.DeviceSetup = (flags & DEV_SETUP) != 0;
    menu.DeviceHelp = menu.DeviceInfo = active != nullptr;
    menu.EditAdapter = active == nullptr || (flags & DEV_ADAPTER) != 0;
    menu.ChangeAdapter = (flags & DEV_ADAPTER) != 0;
    menu.Serialization = (flags & DEV_SERIALIZATION) != 0 && !linkDevices;
    return menu;
}

} // namespace zelmo
