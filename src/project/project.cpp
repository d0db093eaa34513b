#include "project/project.h"

#include "project/buffer_fill.h"
#include "project/byte_size_text.h"
#include "project/device_descriptor.h"
#include "project/option_file.h"
#include "project/swap_names.h"
#include "serialization/serialization.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <limits>
#include <random>

namespace zelmo {

namespace {

std::mt19937& idGenerator() {
    static std::mt19937 generator = [] {
        std::random_device device;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        std::seed_seq seed{static_cast<unsigned>(device()), static_cast<unsigned>(ticks),
                           static_cast<unsigned>(static_cast<unsigned long long>(ticks) >> 32)};
        return std::mt19937(seed);
    }();
    return generator;
}

// Draws ids until one is non-zero and not yet used.
template <typename Used> std::uint16_t drawId(Used used) {
    std::uniform_int_distribution<unsigned> distribution(1, 0xFFFF);
    for (;;) {
        const auto id = static_cast<std::uint16_t>(distribution(idGenerator()));
        if (!used(id)) {
            return id;
        }
    }
}

bool optIdUsed(const TProject& project, std::uint16_t id) {
    for (const auto& device : project.Devices) {
        if (device && device->OptId == id) {
            return true;
        }
    }
    return false;
}

bool swapIdUsed(const TProject& project, std::uint16_t id) {
    for (const auto& device : project.Devices) {
        if (!device) {
            continue;
        }
        for (const auto& dataSet : device->DataSets) {
            if (dataSet && dataSet->SwapId == id) {
                return true;
            }
        }
    }
    return false;
}

void removeFile(const QString& path) {
    QFile::remove(path);
}

// Closes a device's files (deleting them when asked); the entry itself is destroyed by the caller.
void closeDevice(CDevice& device, bool deleteOptionFile, bool deleteSwapFiles) {
    for (auto& dataSet : device.DataSets) {
        if (!dataSet) {
            continue;
        }
        dataSet->SwapFile.close();
        if (deleteSwapFiles) {
            removeFile(dataSet->SwapPath);
        }
        dataSet.reset();
    }
    device.DataSetCount = 0;
    device.Statistics.reset();
    device.Serialization.reset();
    device.OptFile.close();
    if (deleteOptionFile) {
        removeFile(device.OptPath);
    }
}

std::string defaultDataSetName(const CDevice& device) {
    for (int d = 1;; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "Data set %d", d);
        bool taken = false;
        for (int i = 0; i < device.DataSetCount && !taken; ++i) {
            taken = device.DataSets[i] && device.DataSets[i]->Name == name;
        }
        if (!taken) {
            return name;
        }
    }
}

// An index that followed a removed element: the removed one itself becomes `replacement`, later
// ones move down by one.
void followRemoval(std::int32_t& index, int removed, std::int32_t replacement) {
    if (index == removed) {
        index = replacement;
    } else if (index > removed) {
        --index;
    }
}

} // namespace

TProject::TProject() = default;
TProject::~TProject() = default;

void TProject::SetSwapPath(const QString& folder) {
    SwapPath = WithTrailingSlash(folder);
}

int TProject::AddDevice(const DeviceDescriptor& descriptor, std::uint16_t requestedOptId) {
    // Slots are used contiguously from 0, so the first empty slot is the count. It is checked
    // before the option file is made so a full project leaves no stray file behind.
    if (DeviceCount < 0 || DeviceCount >= kMaxDevices || Devices[DeviceCount]) {
        return -1;
    }
    const int slot = DeviceCount;
    const std::uint16_t optId =
        requestedOptId != 0 ? requestedOptId
                            : drawId([this](std::uint16_t id) { return optIdUsed(*this, id); });
    const QString path = WithTrailingSlash(SwapPath) + OptionFileName(optId);
    platform::File optFile =
        platform::File::open(LocalPath(path), platform::OpenMode::ReadWriteCreate);
    if (!optFile.isOpen() || !PrepareOptionFile(optFile)) {
        return -1;
    }

    auto device = std::make_unique<CDevice>();
    device->Slot = slot;
    device->Descriptor = descriptor;
    const std::uint32_t flags = descriptor.Flags;
    device->PinCheck = (flags & DEV_PIN_CHECK) != 0 ? 1 : 0;
    device->MemSelect = AreaEExists(descriptor) ? 0x80 : 0;
    device->OpTabsSelected = 0;
    device->SupportedOps = flags;
    device->OpTabs = {0, EraseTabSeed(flags), ReadTabSeed(flags), ProgramTabSeed(flags)};
    device->Serialization = std::make_unique<CSerialization>();
    device->OptFile = std::move(optFile);
    device->OptId = optId;
    device->OptPath = path;
    device->Statistics = std::make_unique<CStatistics>();
    device->Statistics->OptFile = &device->OptFile;
    device->Statistics->Read();

    Devices[slot] = std::move(device);
    ++DeviceCount;
    return slot;
}

std::string TProject::AddDataSet(int device, int flags, std::uint16_t requestedSwapId,
                                 const char* name, Progress* progress) {
    if (device < 0 || device >= DeviceCount || !Devices[device]) {
        return {};
    }
    CDevice& entry = *Devices[device];
    if (entry.DataSetCount < 0 || entry.DataSetCount >= kMaxDataSets) {
        return {};
    }
    const DeviceDescriptor& descriptor = entry.Descriptor;
    const std::uint64_t total = TotalMemorySize(descriptor);
    if (total > std::numeric_limits<std::uint32_t>::max()) {
        return {}; // the swap file's size must fit TotalSize
    }
    const std::uint16_t swapId =
        requestedSwapId != 0 ? requestedSwapId
                             : drawId([this](std::uint16_t id) { return swapIdUsed(*this, id); });
    const QString path = WithTrailingSlash(SwapPath) + SwapFileName(swapId);
    platform::File swapFile =
        platform::File::open(LocalPath(path), platform::OpenMode::ReadWriteCreate);
    if (!swapFile.isOpen()) {
        return {};
    }

    auto dataSet = std::make_unique<CDataSet>();
    dataSet->Name = name != nullptr && name[0] != '\0' ? std::string(name).substr(0, 16)
                                                       : defaultDataSetName(entry);
    dataSet->TotalSize = static_cast<std::uint32_t>(total);
    dataSet->SwapId = swapId;
    dataSet->SwapPath = path;
    std::int64_t start = 0;
    for (int m = 0; m <= kAreaE; ++m) {
        dataSet->MemStart[m] = start;
        start += descriptor.MemSize[m];
    }

    // A file that already holds at least TotalSize bytes and is not to be reset keeps its
    // contents: that is how a restored project gets its buffers back.
    const std::int64_t size = swapFile.size();
    const bool reset = (flags & 1) != 0 || size < 0 || static_cast<std::uint64_t>(size) < total;
    if (reset && !swapFile.truncate(0)) {
        return {};
    }
    // A reset file is filled unless the caller asked for an empty one to write itself (reset
    // flag, new id: a card being read); a restore that names no id still gets a whole buffer.
    const bool fill = (flags & 2) != 0 || (reset && (requestedSwapId != 0 || (flags & 1) == 0));
    if (fill && total > 0) {
        if (progress != nullptr) {
            progress->setText(QStringLiteral("Allocating buffer (") + ByteSizeText(total) +
                              QStringLiteral(")"));
        }
        if (FillFileRange(swapFile, 0, total, 0xFF, progress) != FillStatus::Done) {
            swapFile.close();
            removeFile(path);
            return {};
        }
    }
    if (fill) {
        // Every byte is known now, so each memory's checksum is too.
        for (int m = 0; m < kMemories; ++m) {
            dataSet->Memories[m].OnChecksum(descriptor.MemSize[m] * 0xFFu);
        }
    }
    dataSet->SwapFile = std::move(swapFile);

    std::string result = dataSet->Name;
    entry.DataSets[entry.DataSetCount] = std::move(dataSet);
    ++entry.DataSetCount;
    return result;
}

void TProject::removeDeviceAt(int device, bool deleteOptionFile) {
    closeDevice(*Devices[device], deleteOptionFile, true);
    for (int i = device; i + 1 < DeviceCount; ++i) {
        Devices[i] = std::move(Devices[i + 1]);
    }
    Devices[DeviceCount - 1].reset();
    --DeviceCount;
}

bool TProject::RemoveDevice(int device) {
    if (device < 0 || device >= DeviceCount || !Devices[device]) {
        return false;
    }
    removeDeviceAt(device, true);
    ActiveDevice = 0;
    return true;
}

bool TProject::RemoveDataSet(int device, int index) {
    if (device < 0 || device >= DeviceCount || !Devices[device]) {
        return false;
    }
    CDevice& entry = *Devices[device];
    if (entry.DataSetCount <= 1 || index < 0 || index >= entry.DataSetCount) {
        return false;
    }
    CDataSet& removed = *entry.DataSets[index];
    removed.SwapFile.close();
    removeFile(removed.SwapPath);
    for (int i = index; i + 1 < entry.DataSetCount; ++i) {
        entry.DataSets[i] = std::move(entry.DataSets[i + 1]);
    }
    entry.DataSets[entry.DataSetCount - 1].reset();
    --entry.DataSetCount;
    followRemoval(entry.SelectedDataSet, index, 0);
    followRemoval(entry.ShownDataSet, index, 0);
    for (int i = 0; i < entry.DataSetCount; ++i) {
        followRemoval(entry.DataSets[i]->CompareTo, index, -1);
    }
    return true;
}

bool TProject::RemoveShownDataSet() {
    CDevice* device = Active();
    if (device == nullptr) {
        return false;
    }
    if (!RemoveDataSet(ActiveDevice, device->ShownDataSet)) {
        return false;
    }
    device->ShownDataSet = 0;
    return true;
}

int TProject::RemoveIncompleteDevices() {
    int removed = 0;
    for (int d = DeviceCount - 1; d >= 0; --d) {
        if (Devices[d] && Devices[d]->DataSetCount > 0) {
            continue;
        }
        if (Devices[d]) {
            closeDevice(*Devices[d], false, false);
        }
        for (int i = d; i + 1 < DeviceCount; ++i) {
            Devices[i] = std::move(Devices[i + 1]);
        }
        Devices[DeviceCount - 1].reset();
        --DeviceCount;
        followRemoval(ActiveDevice, d, 0);
        ++removed;
    }
    if (ActiveDevice >= DeviceCount) {
        ActiveDevice = 0;
    }
    return removed;
}

bool TProject::SwapDevices(int a, int b) {
    if (a < 0 || b < 0 || a >= DeviceCount || b >= DeviceCount) {
        return false;
    }
    std::swap(Devices[a], Devices[b]);
    if (ActiveDevice == a) {
        ActiveDevice = b;
    } else if (ActiveDevice == b) {
        ActiveDevice = a;
    }
    return true;
}

void TProject::UpdateLinks() {
    const CDevice* active = Active();
    for (int d = 0; d < DeviceCount; ++d) {
        CDevice& device = *Devices[d];
        const DeviceDescriptor& x = device.Descriptor;
        device.Linked = LinkDevices != 0 && active != nullptr &&
                                FieldView(x.Vendor) == FieldView(active->Descriptor.Vendor) &&
                                FieldView(x.Name) == FieldView(active->Descriptor.Name) &&
                                FieldView(x.Package) == FieldView(active->Descriptor.Package)
                            ? 1
                            : 0;
    }
}

int TProject::CloseAll(bool deleteFiles) {
    const bool hadDevices = DeviceCount > 0;
    for (auto& device : Devices) {
        if (device) {
            closeDevice(*device, deleteFiles, deleteFiles);
            device.reset();
        }
    }
    ActiveDevice = 0;
    DeviceCount = 0;
    ProjectFileName.clear();
    return hadDevices ? 1 : -1;
}

AddDeviceResult TProject::AddCompleteDevice(const DeviceDescriptor& descriptor,
                                            const DevicePreparation& prepare,
                                            std::uint16_t requestedOptId, Progress* progress) {
    AddDeviceResult result;
    const int slot = AddDevice(descriptor, requestedOptId);
    if (slot < 0) {
        result.Failed = AddDeviceResult::NoEntry;
        return result;
    }
    const std::int32_t active = ActiveDevice;
    if (prepare && !prepare(*Devices[slot])) {
        result.Failed = AddDeviceResult::Preparation;
    } else {
        result.DataSetName = AddDataSet(slot, 3, 0, nullptr, progress);
        if (result.DataSetName.empty()) {
            result.Failed = AddDeviceResult::DataSet;
        }
    }
    if (result.Failed != AddDeviceResult::None) {
        // The entry is the last one, so no other index moves.
        removeDeviceAt(slot, requestedOptId == 0);
        ActiveDevice = active < DeviceCount ? active : 0;
        return result;
    }
    result.Slot = slot;
    return result;
}

} // namespace zelmo
