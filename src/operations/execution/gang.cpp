// Gang mode: the programmer assignment, linked devices, the panels' lights and the statistics
// commands.

#include "operations/execution/operations.h"
#include "project/project.h"

namespace zelmo {

std::vector<AssignMenuItem> COperations::AssignMenu(int device) const {
    return zelmo::AssignMenu(project_, programmers_, device);
}

void COperations::AssignProgrammer(int device, int programmer) {
    const CDevice* d = project_.DeviceAt(device);
    if (d == nullptr || programmer < 0 || programmer >= programmers_.Count()) {
        return;
    }
    programmers_.Assign(*d, programmer);
    changed(device, ViewTree | ViewOperations);
}

GangLights COperations::Lights(int slot) const {
    const bool cleared =
        slot < 0 || slot >= kGangPanels || panelCleared_[static_cast<std::size_t>(slot)];
    return ComputeLights(project_, Gang(), cleared, slot);
}

void COperations::ToggleLinkDevices() {
    if (project_.DeviceCount == 0) {
        return;
    }
    project_.LinkDevices = project_.LinkDevices != 0 ? 0 : 1;
    project_.UpdateLinks();
    changed(-1, ViewLinks | ViewTree | ViewOperations);
}

void COperations::ClearStatistics() {
    CDevice* active = project_.Active();
    if (active == nullptr || !ask(QStringLiteral("Do you want clear statistics?"))) {
        return;
    }
    for (int d = 0; d < project_.DeviceCount; ++d) {
        CDevice& device = *project_.DeviceAt(d);
        const bool chosen =
            project_.LinkDevices != 0 ? device.Linked != 0 : d == project_.ActiveDevice;
        if (chosen && device.Statistics) {
            device.Statistics->Clear();
            changed(d, ViewStatistics);
        }
    }
    const QString text = QStringLiteral("Statistics cleared.");
    log(lkDeviceHeaderAfterBlank(project_.ActiveDevice));
    log(lkDetail, text);
    emit StatusMessage(text);
}

void COperations::ClearGlobalStatistics() {
    if (project_.DeviceCount == 0 || !ask(QStringLiteral("Do you want clear global statistics?"))) {
        return;
    }
    for (int d = 0; d < StatisticsSlots(project_, programmers_); ++d) {
        CDevice& device = *project_.DeviceAt(d);
        if (device.Statistics) {
            device.Statistics->Clear();
            changed(d, ViewStatistics);
        }
    }
    const QString text = QStringLiteral("Global statistics cleared.");
    log(lkSection, text);
    emit StatusMessage(text);
}

} // namespace zelmo
