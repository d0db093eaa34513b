#include "operations/controller_run.h"

#include "project/project.h"

namespace zelmo::controller {

std::uint8_t OpTabsSelectedFor(ControllerTab tab) {
    switch (tab) {
    case ControllerTab::Program:
        return 3;
    case ControllerTab::Read:
        return 2;
    case ControllerTab::Erase:
        break;
    }
    return 1;
}

bool PrepareControllerRun(TProject& project, int device, ControllerTab tab) {
    CDevice* entry = project.DeviceAt(device);
    if (entry == nullptr || entry->Busy != 0 || entry->AutoActive != 0) {
        return false;
    }
    project.SetActiveDevice(device);
    project.SelectDataSet(device, entry->ShownDataSet);
    entry->OpTabsSelected = OpTabsSelectedFor(tab);
    return true;
}

std::optional<std::int32_t> AnswerAfterRun(int started, bool demo) {
    if (started > 0 || demo) {
        return std::nullopt;
    }
    return kAnswerFailed;
}

} // namespace zelmo::controller
