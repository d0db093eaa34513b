#include "operations/execution/gang_panels.h"

#include "operations/execution/programmers.h"
#include "project/device_descriptor.h"
#include "project/project.h"
#include "serialization/serialization.h"

#include <algorithm>
#include <cstring>

namespace zelmo {

GangLights ComputeLights(const TProject& project, bool gang, bool cleared, int slot) {
    GangLights lights;
    const CDevice* device = project.DeviceAt(slot);
    if (!gang || slot < 0 || slot >= kGangPanels || device == nullptr || cleared) {
        return lights;
    }
    lights.Busy = device->Busy != 0;
    lights.Error = device->LastStatus != 0 && !lights.Busy;
    lights.Good = !lights.Busy && !lights.Error;
    return lights;
}

QString ProgressText(const CDevice& device) {
    if (device.Busy == 0) {
        return {};
    }
    const double percent = std::clamp(device.Progress, 0.0, 100.0);
    return percent < 10.0 ? QString::asprintf("%.1f%%", percent)
                          : QString::asprintf("%.0f%%", percent);
}

int ProgressBarValue(const CDevice& device) {
    return device.Busy == 0 ? 0 : static_cast<int>(std::clamp(device.Progress, 0.0, 100.0));
}

StatisticsCounts DeviceStatistics(const CDevice& device) {
    StatisticsCounts counts;
    if (device.Statistics) {
        counts.Good = device.Statistics->Good;
        counts.Bad = device.Statistics->Bad;
        counts.Total = std::uint64_t{counts.Good} + counts.Bad;
    }
    return counts;
}

int StatisticsSlots(const TProject& project, const CProgrammers& programmers) {
    int count = std::min(project.DeviceCount, kGangPanels);
    if (!programmers.Demo()) {
        count = std::min(count, programmers.Count());
    }
    return std::max(count, 0);
}

StatisticsCounts GlobalStatistics(const TProject& project, const CProgrammers& programmers) {
    StatisticsCounts sum;
    for (int slot = 0; slot < StatisticsSlots(project, programmers); ++slot) {
        const StatisticsCounts counts = DeviceStatistics(*project.DeviceAt(slot));
        sum.Good += counts.Good;
        sum.Bad += counts.Bad;
        sum.Total += counts.Total;
    }
    return sum;
}

QString SerialValueText(const CDevice& device) {
    const CSerialization* serial = device.Serialization.get();
    return serial != nullptr && serial->Enabled != 0 ? serial->ValueText() : QStringLiteral("none");
}

QString DeviceIconHint(const CDevice& device, int slot) {
    const CDataSet* selected = device.Selected();
    const QString dataSet = selected != nullptr
                                ? QString::fromLatin1(selected->Name.data(),
                                                      static_cast<qsizetype>(selected->Name.size()))
                                : QString();
    return QString::asprintf("%02d: ", slot + 1) + FieldQString(device.Descriptor.Name) +
           QStringLiteral(" / ") + FieldQString(device.Descriptor.Package) + u'\n' + dataSet;
}

bool PanelVisible(const TProject& project, const CProgrammers& programmers, int panel,
                  int windowHeight) {
    if (panel < 0 || panel >= kGangPanels || panel >= project.DeviceCount) {
        return false;
    }
    if (!programmers.Demo() && panel >= programmers.Count()) {
        return false;
    }
    return panel < kGangPanels / 2 || windowHeight >= kSecondRowMinHeight;
}

bool AssignMenuVisible(const CProgrammers& programmers) {
    return programmers.Count() != 1;
}

std::vector<AssignMenuItem> AssignMenu(const TProject& project, const CProgrammers& programmers,
                                       int device) {
    std::vector<AssignMenuItem> items;
    const CDevice* clicked = project.DeviceAt(device);
    if (clicked == nullptr || !AssignMenuVisible(programmers)) {
        return items;
    }
    for (int i = 0; i < programmers.Count(); ++i) {
        const ProgrammerInfo& p = programmers.At(i);
        AssignMenuItem item;
        item.Programmer = i;
        item.Caption = FieldQString(p.SerialNumber);
        const std::int32_t assigned = programmers.AssignmentOf(i);
        for (int d = 0; d < project.DeviceCount && assigned >= 0; ++d) {
            const CDevice& served = *project.DeviceAt(d);
            if (served.Slot == assigned) {
                item.Caption += QStringLiteral(" - ") + FieldQString(served.Descriptor.Name);
                break;
            }
        }
        item.Checked = assigned >= 0 && assigned == clicked->Slot;
        // Each programmer goes in at the top, so the last one is listed first.
        items.insert(items.begin(), item);
    }
    return items;
}

} // namespace zelmo
