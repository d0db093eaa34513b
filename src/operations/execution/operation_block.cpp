#include "operations/execution/operation_block.h"

#include "project/project.h"

#include <algorithm>

namespace zelmo {

std::uint32_t WithPinCheck(const CDevice& device, std::uint32_t operations) {
    if ((device.SupportedOps & DEV_PIN_CHECK) != 0 && device.PinCheck != 0) {
        operations |= OP_PIN_CHECK;
    }
    return operations;
}

std::uint32_t SelectedTabOperations(const CDevice& device) {
    const std::size_t tab = std::min<std::size_t>(device.OpTabsSelected, device.OpTabs.size() - 1);
    return tab == TabSingle ? 0 : WithPinCheck(device, device.OpTabs[tab]);
}

OperationBlock MakeOperationBlock(const CDevice& device, const BlockRequest& request) {
    OperationBlock block{};
    block.Mode = request.Mode;
    block.One = 1;
    block.Beep = request.Beep;
    block.Operations = request.Operations;
    block.MemSelect = device.MemSelect;
    static_assert(sizeof block.AdapterData == std::tuple_size_v<decltype(device.AdapterData)>);
    std::copy(device.AdapterData.begin(), device.AdapterData.end(), block.AdapterData);
    block.DefaultTestState = request.DefaultTestState;
    return block;
}

std::uint8_t DefaultTestStateOf(const CDevice& device, int dataSet) {
    const CDataSet* set = device.DataSetAt(dataSet);
    if (set == nullptr || !set->Memories[0].Current) {
        return 0;
    }
    return set->Memories[0].Current->DefaultTestState;
}

int CompletionCode(std::int32_t status, bool failed) {
    if (failed) {
        return CodeOperationFailed;
    }
    if (status == ZM_STATUS_OK) {
        return CodeSuccess;
    }
    return status == ZM_STATUS_PIN_CHECK ? CodePinCheckFailed : CodeOperationFailed;
}

} // namespace zelmo
