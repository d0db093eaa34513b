#include "app/command_states.h"

#include "project/project.h"

namespace zelmo {

namespace {

bool DeviceBusy(const CDevice& device) {
    return device.Busy != 0 || device.AutoActive != 0;
}

} // namespace

bool ProjectBusy(const TProject& project) {
    for (int d = 0; d < project.DeviceCount; ++d) {
        const CDevice* device = project.Devices[static_cast<std::size_t>(d)].get();
        if (device != nullptr && DeviceBusy(*device)) {
            return true;
        }
    }
    return false;
}

bool ActiveDeviceBusy(const TProject& project) {
    const CDevice* active = project.Active();
    if (active == nullptr) {
        return false;
    }
    if (DeviceBusy(*active)) {
        return true;
    }
    return project.GangMode != 0 && ProjectBusy(project) &&
           project.ActiveDevice >= project.ProgrammerCount;
}

std::optional<CommandStates> ComputeCommandStates(const TProject& project) {
    const CDevice* active = project.Active();
    if (active == nullptr) {
        return std::nullopt;
    }
    const bool projectBusy = ProjectBusy(project);
    const bool deviceBusy = ActiveDeviceBusy(project);
    const std::uint32_t flags = active->Descriptor.Flags;

    CommandStates s;
    s.NewProject = s.OpenProject = s.SaveProject = s.Options = !projectBusy;
    s.AddDevice = s.RemoveDevice = !projectBusy && project.LinkDevices == 0;
    s.Setup = !deviceBusy;
    s.File = !deviceBusy && (flags & DEV_FILES) != 0;
    for (int m = 0; m < kMemories; ++m) {
        const auto i = static_cast<std::size_t>(m);
        s.Memory[i] = !deviceBusy && active->Descriptor.MemSize[m] != 0 &&
                      (active->Buffers[i].Flags & BUF_MANDATORY) == 0;
    }
    s.PinCheck = !deviceBusy && (flags & DEV_PIN_CHECK) != 0;
    s.StatClear = s.GlobalStatClear = s.UserDescr = s.Checksum = !deviceBusy;
    s.BufferView = !deviceBusy;
    return s;
}

bool CardCommandsAvailable(std::span<const ProgrammerInfo> programmers) {
    if (programmers.empty()) {
        return false;
    }
    for (const ProgrammerInfo& p : programmers) {
        if (p.Model != 1) {
            return false;
        }
    }
    return true;
}

} // namespace zelmo
