#include "app/close_check.h"

#include "app/command_states.h"
#include "project/project.h"

namespace zelmo {

namespace {

// A memory blocks closing when it is enabled in the device's MemSelect, has a file assigned and
// its bytes differ from that file.
bool HoldsUnsavedFile(const CDevice& device) {
    for (const auto& dataSet : device.DataSets) {
        if (!dataSet) {
            continue;
        }
        for (int m = 0; m < kMemories; ++m) {
            const MemoryState& memory = dataSet->Memories[static_cast<std::size_t>(m)];
            if ((device.MemSelect & (1u << m)) != 0 && memory.Modified != 0 && memory.Current &&
                !memory.Current->FileName.isEmpty()) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

Result CloseCheck(const TProject& project) {
    if (ProjectBusy(project)) {
        return Result::failure(QString::fromLatin1(kCloseOperationInProgress));
    }
    for (int d = 0; d < project.DeviceCount; ++d) {
        const CDevice* device = project.Devices[static_cast<std::size_t>(d)].get();
        if (device != nullptr && HoldsUnsavedFile(*device)) {
            return Result::failure(QString::fromLatin1(kCloseFileModified));
        }
    }
    return Result::success();
}

} // namespace zelmo
