#include "operations/execution/run_rules.h"

#include "operations/execution/operation_block.h"
#include "operations/execution/programmers.h"
#include "project/project.h"

#include <bit>

namespace zelmo {

const std::array<SingleOperationInfo, 8> kSingleOperations = {{
    {1, OP_CHECK_ID, "Checking ID...", false},
    {2, OP_READ, "Reading...", false},
    {3, OP_ERASE, "Erasing...", true},
    {4, OP_BLANK_CHECK, "Blank checking...", false},
    {5, OP_PROGRAM, "Programming...", true},
    {6, OP_VERIFY, "Verifying...", false},
    {7, OP_CONFIGURE, "Configuring...", true},
    {8, OP_TEST, "Testing...", false},
}};

const SingleOperationInfo* SingleOperationForTag(int tag) {
    return tag >= 1 && tag <= 8 ? &kSingleOperations[static_cast<std::size_t>(tag - 1)] : nullptr;
}

std::uint8_t TabAtHeight(int y) {
    if (y >= 1 && y <= 20) {
        return TabProgram;
    }
    if (y >= 21 && y <= 40) {
        return TabRead;
    }
    if (y >= 41 && y <= 60) {
        return TabErase;
    }
    return TabSingle;
}

bool OperationButtons::Enabled(std::uint32_t bit) const {
    if (bit == 0 || !std::has_single_bit(bit) || bit > OP_TEST) {
        return false;
    }
    return Operation[static_cast<std::size_t>(std::countr_zero(bit))];
}

OperationButtons ComputeOperationButtons(const TProject& project, const CProgrammers& programmers) {
    OperationButtons buttons;
    const CDevice* active = project.Active();
    const bool gang = programmers.Gang(project);
    if (active == nullptr || (gang && project.ActiveDevice >= programmers.Count())) {
        return buttons;
    }
    bool anyBusy = false;
    bool anyAuto = false;
    for (int d = 0; d < project.DeviceCount; ++d) {
        const CDevice& device = *project.DeviceAt(d);
        anyBusy = anyBusy || device.Busy != 0;
        anyAuto = anyAuto || device.AutoActive != 0;
    }
    const bool activeBusy = active->Busy != 0;
    const bool activeAuto = active->AutoActive != 0;
    const bool mayStart = gang ? !activeBusy && !activeAuto : !anyBusy && !anyAuto;
    for (std::size_t i = 0; i < buttons.Operation.size(); ++i) {
        buttons.Operation[i] = mayStart && (active->SupportedOps & (1u << i)) != 0;
    }
    const std::uint8_t tab = active->OpTabsSelected;
    if (tab == TabSingle || tab >= kTabOperations.size() ||
        (active->SupportedOps & kTabOperations[tab]) == 0 ||
        (active->SupportedOps & DEV_RUN) == 0) {
        return buttons;
    }
    if (gang) {
        buttons.Run = !activeBusy && !anyAuto;
        buttons.Auto = !anyBusy;
    } else {
        buttons.Run = !anyBusy && !anyAuto;
        // While production runs, only the device running it may switch it off.
        buttons.Auto = !anyBusy && (!anyAuto || activeAuto);
    }
    return buttons;
}

} // namespace zelmo
