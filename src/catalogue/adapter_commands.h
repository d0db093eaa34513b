#pragma once

// The device menu's adapter commands and the pin contact check switch, on the project: which
// device they change and what they report. The report is logged by the caller as a device
// header of `Slot` after a blank line with each text as a detail, and `Status` becomes the
// status message.

#include "catalogue/adapter_file.h"
#include "platform/result.h"
#include "project/project.h"

#include <QString>

#include <vector>

namespace zelmo {

struct DeviceReport : Result {
    int Slot = 0;
    std::vector<QString> Details;
    QString Status;
};

inline constexpr char kNoDeviceSelected[] = "No device selected.";
inline constexpr char kAdapterPinCountMismatch[] = "Incorrect adapter file. Pin count mismatch.";

// "Change adapter" with the chosen file: a valid file whose device pin count equals the active
// device's becomes its adapter image and file. Failures: "No device selected.", "Could not open
// adapter file.", "Incorrect adapter file. Pin count mismatch."; the device is unchanged then.
DeviceReport ChangeAdapter(TProject& project, const QString& path);

// What the adapter creator hands back when "Edit adapter" closes it.
struct CreatorOutcome {
    bool Modified = false;
    bool Opened = false;
    QString Path;
    std::array<std::uint8_t, kAdapterImageSize> Image{};
};
// "Edit adapter" after the creator closed: with devices and the modified flag still set, the
// image (and, when a file was opened, its path) goes to the active device. `ok` is false when
// nothing changed.
DeviceReport ApplyEditedAdapter(TProject& project, const CreatorOutcome& outcome);

// The "Pin contact check" box changed by the user: every linked device while devices are
// linked, otherwise the active one, gets the new state.
DeviceReport SetPinCheck(TProject& project, bool on);

} // namespace zelmo
