#include "project/commands/device_setup.h"

#include "app/device_preparation.h"
#include "project/project_tree.h"

#include <cstring>
#include <vector>

namespace zelmo {

namespace {

// A library that never says "no more" must not hold the caller forever.
constexpr std::int32_t kMaxMessages = 256;

constexpr char kProgrammerNotAvailable[] = "Operation cancelled. Programmer not available.";

// Copies the active device's area E of its shown data set to the data set with the same index
// of every other linked device.
void copyAreaEToLinked(TProject& project) {
    const CDevice* active = project.Active();
    const CDataSet* source = active != nullptr ? active->Shown() : nullptr;
    if (source == nullptr || source->MemSize(kAreaE) == 0) {
        return;
    }
    std::vector<std::uint8_t> area(static_cast<std::size_t>(source->MemSize(kAreaE)));
    if (!source->Read(kAreaE, 0, area)) {
        return;
    }
    for (int d = 0; d < project.DeviceCount; ++d) {
        CDevice& device = *project.Devices[static_cast<std::size_t>(d)];
        if (&device == active || device.Linked == 0) {
            continue;
        }
        if (CDataSet* target = device.DataSetAt(active->ShownDataSet);
            target != nullptr && target->MemSize(kAreaE) == area.size()) {
            target->Write(kAreaE, 0, area);
        }
    }
}

} // namespace

DeviceSetupCalls DeviceSetupCallsOf(const HardwareEntryPoints& api) {
    return {api.ZmGetHardware, api.ZmInitLib, api.ZmDeviceSetup, api.ZmFreeLib, api.ZmGetMessage};
}

std::optional<std::int32_t> DeviceSetupPort(const TProject& project,
                                            std::span<const ProgrammerInfo> programmers) {
    if (programmers.empty()) {
        return 0;
    }
    if (programmers.size() >= 2 && project.GangMode != 0) {
        if (project.ActiveDevice < 0 ||
            static_cast<std::size_t>(project.ActiveDevice) >= programmers.size()) {
            return std::nullopt;
        }
        return programmers[static_cast<std::size_t>(project.ActiveDevice)].Port;
    }
    const std::size_t index =
        project.ProgrammerIndex < programmers.size() ? project.ProgrammerIndex : 0;
    return programmers[index].Port;
}

DeviceSetupOutcome RunDeviceSetup(TProject& project, const DeviceSetupCalls& calls,
                                  const QString& appDir,
                                  std::span<const ProgrammerInfo> programmers,
                                  const DeviceSetupHost& host) {
    const auto log = [&host](LogKind kind, const QString& text) {
        if (host.Log) {
            host.Log(kind, text);
        }
    };
    const auto status = [&host](CDevice& device, const QString& text) {
        device.StatusText = text;
        if (host.SetStatus) {
            host.SetStatus(text);
        }
    };
    CDevice* device = project.Active();
    if (device == nullptr) {
        if (host.ShowMessage) {
            host.ShowMessage(QStringLiteral("No device selected."));
        }
        return DeviceSetupOutcome::NoDevice;
    }
    if ((device->Descriptor.Flags & DEV_SETUP) == 0) {
        return DeviceSetupOutcome::NotOffered;
    }
    CDataSet* dataSet = device->Shown();
    if (DeviceBusy(*device) || dataSet == nullptr) {
        status(*device, QStringLiteral("Operation cancelled."));
        return DeviceSetupOutcome::Refused;
    }
    log(lkDataSetHeaderAfterBlank(project.ActiveDevice), {});
    log(lkDetail, QStringLiteral("Device setup."));

    const std::optional<std::int32_t> port = DeviceSetupPort(project, programmers);
    if (!port || calls.ZmGetHardware(*port) != 0) {
        const QString text = QString::fromLatin1(kProgrammerNotAvailable);
        log(lkDetail, text);
        status(*device, text);
        return DeviceSetupOutcome::ProgrammerBusy;
    }

    OperationBlock block{};
    block.Mode = 0;
    block.One = 1;
    block.Operations = 0;
    block.MemSelect = 0;
    std::memcpy(block.AdapterData, device->AdapterData.data(), sizeof block.AdapterData);
    block.DefaultTestState = 0;
    ZmDataSetStorage storage{};
    storage.SwapFile = dataSet->SwapFile.fd();
    for (int m = 0; m <= kAreaE; ++m) {
        storage.MemStart[m] = dataSet->MemStart[static_cast<std::size_t>(m)];
        storage.MemSize[m] = device->Descriptor.MemSize[m];
    }
    const QString library = AlgorithmLibraryPath(appDir, device->Descriptor);
    const CFileEntry* fileA = dataSet->Memories[0].Current.get();
    if (calls.ZmInitLib(*port, reinterpret_cast<const char16_t*>(library.utf16()),
                        device->Descriptor.LibParams, block, &storage, fileA, nullptr) == 0) {
        ZmMessage message{};
        for (std::int32_t n = 0; n < kMaxMessages && calls.ZmGetMessage(*port, n, &message) != 0;
             ++n) {
            message.Text[ZM_MESSAGE_TEXT_CHARS - 1] = u'\0';
            const QString text = QString::fromUtf16(message.Text);
            log(message.Error != 0 ? lkFailureDetail : lkSuccessDetail, text);
            if (message.Class == ZM_MSG_STATUS_LINE) {
                status(*device, text);
            }
            message = ZmMessage{};
        }
        return DeviceSetupOutcome::LibraryRefused;
    }
    calls.ZmDeviceSetup(*port, host.Window);
    calls.ZmFreeLib(*port);
    if (host.Refresh) {
        host.Refresh();
    }
    if (project.LinkDevices != 0) {
        copyAreaEToLinked(project);
    }
    return DeviceSetupOutcome::Done;
}

} // namespace zelmo
