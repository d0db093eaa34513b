#include "catalogue/adapter_commands.h"

#include "catalogue/selection_model.h"

#include <cstring>

namespace zelmo {

DeviceReport ChangeAdapter(TProject& project, const QString& path) {
    DeviceReport report;
    CDevice* device = project.Active();
    if (device == nullptr) {
        report.message = QString::fromLatin1(kNoDeviceSelected);
        return report;
    }
    std::array<std::uint8_t, kAdapterImageSize> image{};
    if (readAdapterFile(path, image) != AdapterReadResult::Valid) {
        report.message = QString::fromLatin1(kAdapterFileUnreadable);
        return report;
    }
    if (image[offsetof(AdapterImage, DevicePinCount)] != (device->Descriptor.PinCount & 0xFFu)) {
        report.message = QString::fromLatin1(kAdapterPinCountMismatch);
        return report;
    }
    std::memcpy(device->AdapterData.data(), image.data(), kAdapterImageSize);
    device->AdapterFile = path;
    report.ok = true;
    report.Slot = project.ActiveDevice;
    report.Details = {QStringLiteral("Adapter changed to '") + path + QStringLiteral("'.")};
    report.Status = QStringLiteral("Adapter changed.");
    return report;
}

DeviceReport ApplyEditedAdapter(TProject& project, const CreatorOutcome& outcome) {
    DeviceReport report;
    CDevice* device = project.Active();
    if (device == nullptr || !outcome.Modified) {
        return report;
    }
    std::memcpy(device->AdapterData.data(), outcome.Image.data(), kAdapterImageSize);
    if (outcome.Opened) {
        device->AdapterFile = outcome.Path;
    }
    report.ok = true;
    report.Slot = project.ActiveDevice;
    report.Details = {outcome.Opened ? QStringLiteral("Adapter modified '") + outcome.Path +
                                           QStringLiteral("'.")
                                     : QStringLiteral("Adapter modified and not saved.")};
    report.Status = QStringLiteral("Adapter modified.");
    return report;
}

DeviceReport SetPinCheck(TProject& project, bool on) {
    DeviceReport report;
    CDevice* active = project.Active();
    if (active == nullptr) {
        return report;
    }
    const std::uint8_t state = on ? 1 : 0;
    if (project.LinkDevices != 0) {
        for (int d = 0; d < project.DeviceCount; ++d) {
            CDevice* device = project.DeviceAt(d);
            if (device != nullptr && device->Linked != 0) {
                device->PinCheck = state;
            }
        }
    }
    active->PinCheck = state;
    report.ok = true;
    report.Slot = project.ActiveDevice;
    report.Status =
        on ? QStringLiteral("Pin check enabled.") : QStringLiteral("Pin check disabled.");
    report.Details = {report.Status};
    return report;
}

} // namespace zelmo
