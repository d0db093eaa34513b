#pragma once

// What the gang panels, the progress labels, the statistics labels and the "Assign Programmer"
// menu show, computed from the project and the programmers; the widgets only paint it.

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace zelmo {

class CDevice;
class CProgrammers;
class TProject;

inline constexpr int kGangPanels = 8;
// Panels 5 to 8 (the second row) are shown only while the main window is taller than this.
inline constexpr int kSecondRowMinHeight = 835;

// The three lights of a panel; all off for a slot without a verdict.
struct GangLights {
    bool Busy = false;
    bool Error = false;
    bool Good = false;
    bool operator==(const GangLights&) const = default;
};

// Lights of slot `slot` in gang mode; `cleared` is the slot's panel-cleared flag, set until an
// operation first starts on the slot.
GangLights ComputeLights(const TProject& project, bool gang, bool cleared, int slot);

// The progress label of a device: "5.3%" below 10, "57%" from 10 upwards, empty while idle.
QString ProgressText(const CDevice& device);
// The progress bar: the whole percent while busy, 0 otherwise.
int ProgressBarValue(const CDevice& device);

struct StatisticsCounts {
    std::uint32_t Good = 0;
    std::uint32_t Bad = 0;
    std::uint64_t Total = 0;
    bool operator==(const StatisticsCounts&) const = default;
};
StatisticsCounts DeviceStatistics(const CDevice& device);
// How many slots carry statistics of their own in the panels: the devices below 8, and with
// programmers attached also below their number.
int StatisticsSlots(const TProject& project, const CProgrammers& programmers);
// The sums over those slots.
StatisticsCounts GlobalStatistics(const TProject& project, const CProgrammers& programmers);

// The serial value label: the current value, or "none" while serialization is off.
QString SerialValueText(const CDevice& device);
// The hint of a panel's device icon: "%02d: %s / %s\n%s" (slot + 1, name, package, data set).
QString DeviceIconHint(const CDevice& device, int slot);

// Whether panel `panel` (0 to 7) is shown in a main window `windowHeight` pixels high.
bool PanelVisible(const TProject& project, const CProgrammers& programmers, int panel,
                  int windowHeight);

// One sub-item of "Assign Programmer", in menu order (the last programmer first).
struct AssignMenuItem {
    int Programmer = -1;  // list position
    QString Caption;      // serial number, and " - " with the device it serves
    bool Checked = false; // the programmer serves the clicked device
    bool operator==(const AssignMenuItem&) const = default;
};
// The menu is hidden when exactly one programmer is attached.
bool AssignMenuVisible(const CProgrammers& programmers);
std::vector<AssignMenuItem> AssignMenu(const TProject& project, const CProgrammers& programmers,
                                       int device);

} // namespace zelmo
