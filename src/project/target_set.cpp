#include "project/target_set.h"

namespace zelmo {

TargetSet SingleTarget(CDataSet* dataSet) {
    TargetSet targets{};
    targets[0] = dataSet;
    return targets;
}

TargetSet LoadTargets(const TProject& project, CDataSet* dataSet) {
    const CDevice* active = project.Active();
    if (project.LinkDevices == 0 || active == nullptr) {
        return SingleTarget(dataSet);
    }
    TargetSet targets{};
    const int index = active->SelectedDataSet;
    std::size_t n = 0;
    for (int d = 0; d < project.DeviceCount && n < targets.size(); ++d) {
        const CDevice* device = project.Devices[d].get();
        if (device != nullptr && device->Linked != 0 && index >= 0 &&
            index < device->DataSetCount) {
            targets[n++] = device->DataSets[index].get();
        }
    }
    return n == 0 ? SingleTarget(dataSet) : targets;
}

int TargetCount(const TargetSet& targets) {
    int count = 0;
    for (const CDataSet* target : targets) {
        count += target != nullptr ? 1 : 0;
    }
    return count;
}

bool WriteTargets(const TargetSet& targets, int m, std::uint64_t offset,
                  std::span<const std::uint8_t> bytes) {
    bool ok = true;
    for (CDataSet* target : targets) {
        if (target != nullptr && !target->Write(m, offset, bytes)) {
            ok = false;
        }
    }
    return ok;
}

} // namespace zelmo
