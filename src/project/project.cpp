#include "project/project.h"

#include "project/buffer_fill.h"
#include "project/byte_size_text.h"
#include "project/device_descriptor.h"
#include "project/option_file.h"
#include "project/swap_names.h"
#include "serialization/serialization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Draws a non-zero id that the project does not use and whose file (named by `fileName`) is not
// in the swap folder, so a stale file left there never hands its contents to a new entry. When
// random draws keep hitting present files, the ids are walked in order; a folder holding every
// name gives the first id the project does not use (the project holds at most 256 ids).
template <typename Used>
std::uint16_t drawId(const std::function<std::uint16_t()>& source, Used used, const QString& folder,
                     QString (*fileName)(std::uint16_t)) {
    const auto present = [&](std::uint16_t id) { return QFile::exists(folder + fileName(id)); };
    std::uniform_int_distribution<unsigned> distribution(1, 0xFFFF);
    for (int attempt = 0; attempt < 256; ++attempt) {
        const auto id = source ? source() : static_cast<std::uint16_t>(distribution(idGenerator()));
        if (id == 0) {
            continue;
        }
        if (!used(id) && !present(id)) {
            return id;
        }
    }
    std::uint16_t firstUnused = 0;
    for (unsigned id = 1; id <= 0xFFFF; ++id) {
        const auto candidate = static_cast<std::uint16_t>(id);
        if (used(candidate)) {
            continue;
        }
        if (!present(candidate)) {
            return candidate;
        }
        if (firstUnused == 0) {
            firstUnused = candidate;
        }
    }
    return firstUnused;
}

// A stored (requested) id is taken as it is unless the project already uses it; then, or when
// none is requested, one is drawn. A replaced stored id is reported in `redrawn`.
template <typename Used>
std::uint16_t chooseId(const std::function<std::uint16_t()>& source, std::uint16_t requested,
                       Used used, const QString& folder, QString (*fileName)(std::uint16_t),
                       IdRedrawn* redrawn) {
    if (requested != 0 && !used(requested)) {
        return requested;
    }
    const std::uint16_t id = drawId(source, used, folder, fileName);
    if (requested != 0 && redrawn != nullptr) {
        *redrawn = {requested, id};
    }
    return id;
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

QString TProject::SwapFolder() const {
    if (!SwapPath.isEmpty()) {
        return WithTrailingSlash(SwapPath);
    }
    const QString temp = QDir::tempPath();
    const QString canonical = QFileInfo(temp).canonicalFilePath();
    return WithTrailingSlash(canonical.isEmpty() ? temp : canonical);
}

int TProject::AddDevice(const DeviceDescriptor& descriptor, std::uint16_t requestedOptId,
                        IdRedrawn* redrawn) {
    // Slots are used contiguously from 0, so the first empty slot is the count. It is checked
    // before the option file is made so a full project leaves no stray file behind.
    if (DeviceCount < 0 || DeviceCount >= kMaxDevices || Devices[DeviceCount]) {
        return -1;
    }
    const int slot = DeviceCount;
    const QString folder = SwapFolder();
    // Two devices on one option file would share their counters and description.
    const std::uint16_t optId = chooseId(
        IdSource, requestedOptId, [this](std::uint16_t id) { return optIdUsed(*this, id); }, folder,
        &OptionFileName, redrawn);
    const QString path = folder + OptionFileName(optId);
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
    emit Notifier.DeviceAdded(slot);
    return slot;
}

std::string TProject::AddDataSet(int device, SwapInit init, std::uint16_t requestedSwapId,
                                 const char* name, Progress* progress, IdRedrawn* redrawn) {
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
    const QString folder = SwapFolder();
    // Two data sets on one swap file would overwrite each other, and removing one would delete
    // the other's buffers.
    const std::uint16_t swapId = chooseId(
        IdSource, requestedSwapId, [this](std::uint16_t id) { return swapIdUsed(*this, id); },
        folder, &SwapFileName, redrawn);
    const QString path = folder + SwapFileName(swapId);
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
    const auto flags = static_cast<unsigned>(init);
    const bool reset = (flags & 1) != 0 || size < 0 || static_cast<std::uint64_t>(size) < total;
    if (reset && !swapFile.truncate(0)) {
        return {};
    }
    // A reset file is filled unless the caller asked for an empty one to write itself (reset
    // flag, new id: a card being read); a restore that names no id still gets a whole buffer.
    const bool fill =
        (flags & 2) != 0 || (reset && (swapId == requestedSwapId || (flags & 1) == 0));
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

    // Reported from here on: the set-up above is part of adding it.
    dataSet->Notifier = &Notifier;
    std::string result = dataSet->Name;
    const int index = entry.DataSetCount;
    entry.DataSets[static_cast<std::size_t>(index)] = std::move(dataSet);
    ++entry.DataSetCount;
    emit Notifier.DataSetAdded(device, index);
    return result;
}

void TProject::takeOutDevice(int device) {
    for (int i = device; i + 1 < DeviceCount; ++i) {
        Devices[i] = std::move(Devices[i + 1]);
    }
    Devices[DeviceCount - 1].reset();
    --DeviceCount;
    emit Notifier.DeviceRemoved(device);
}

void TProject::removeDeviceAt(int device, bool deleteOptionFile) {
    closeDevice(*Devices[device], deleteOptionFile, true);
    takeOutDevice(device);
}

bool TProject::RemoveDevice(int device) {
    if (device < 0 || device >= DeviceCount || !Devices[device]) {
        return false;
    }
    removeDeviceAt(device, true);
    SetActiveDevice(0);
    if (DeviceCount == 0) {
        ActiveDevice = 0;
    }
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
    const std::int32_t selected = entry.SelectedDataSet;
    const std::int32_t shown = entry.ShownDataSet;
    followRemoval(entry.SelectedDataSet, index, 0);
    followRemoval(entry.ShownDataSet, index, 0);
    for (int i = 0; i < entry.DataSetCount; ++i) {
        followRemoval(entry.DataSets[i]->CompareTo, index, -1);
    }
    emit Notifier.DataSetRemoved(device, index);
    // An index that only moved down with its data set still names the same one; only a
    // selection that lost its data set has changed.
    if (selected == index) {
        emit Notifier.DataSetSelected(device, entry.SelectedDataSet);
    }
    if (shown == index) {
        emit Notifier.DataSetShown(device, entry.ShownDataSet);
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
    ShowDataSet(ActiveDevice, 0);
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
        takeOutDevice(d);
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
    if (a == b) {
        return true;
    }
    std::swap(Devices[a], Devices[b]);
    emit Notifier.DevicesMoved(a, b);
    if (ActiveDevice == a) {
        ActiveDevice = b;
        emit Notifier.ActiveDeviceChanged(b);
    } else if (ActiveDevice == b) {
        ActiveDevice = a;
        emit Notifier.ActiveDeviceChanged(a);
    }
    return true;
}

bool TProject::SetActiveDevice(int device) {
    if (DeviceAt(device) == nullptr) {
        return false;
    }
    if (ActiveDevice != device) {
        ActiveDevice = device;
        emit Notifier.ActiveDeviceChanged(device);
    }
    return true;
}

bool TProject::setDataSetIndex(int device, int dataSet, std::int32_t CDevice::*index,
                               void (CProjectNotifier::*changed)(int, int)) {
    CDevice* entry = DeviceAt(device);
    if (entry == nullptr || entry->DataSetAt(dataSet) == nullptr) {
        return false;
    }
    if (entry->*index != dataSet) {
        entry->*index = dataSet;
        (Notifier.*changed)(device, dataSet);
    }
    return true;
}

bool TProject::SelectDataSet(int device, int dataSet) {
    return setDataSetIndex(device, dataSet, &CDevice::SelectedDataSet,
                           &CProjectNotifier::DataSetSelected);
}

bool TProject::ShowDataSet(int device, int dataSet) {
    return setDataSetIndex(device, dataSet, &CDevice::ShownDataSet,
                           &CProjectNotifier::DataSetShown);
}

bool TProject::SetCompareTo(int device, int dataSet, int compareTo) {
    CDevice* entry = DeviceAt(device);
    CDataSet* set = entry != nullptr ? entry->DataSetAt(dataSet) : nullptr;
    if (set == nullptr || (compareTo != -1 && entry->DataSetAt(compareTo) == nullptr)) {
        return false;
    }
    set->CompareTo = compareTo;
    return true;
}

bool TProject::RenameDataSet(int device, int dataSet, const std::string& name) {
    CDevice* entry = DeviceAt(device);
    CDataSet* set = entry != nullptr ? entry->DataSetAt(dataSet) : nullptr;
    if (set == nullptr || name.size() < 3 || name.size() > 16 ||
        name.find('\0') != std::string::npos) {
        return false;
    }
    if (set->Name != name) {
        set->Name = name;
        emit Notifier.DataSetRenamed(device, dataSet);
    }
    return true;
}

void TProject::UpdateLinks() {
    const CDevice* active = Active();
    for (int d = 0; d < DeviceCount; ++d) {
        CDevice& device = *Devices[d];
        const DeviceDescriptor& x = device.Descriptor;
        const std::uint8_t linked =
            LinkDevices != 0 && active != nullptr &&
                    FieldView(x.Vendor) == FieldView(active->Descriptor.Vendor) &&
                    FieldView(x.Name) == FieldView(active->Descriptor.Name) &&
                    FieldView(x.Package) == FieldView(active->Descriptor.Package)
                ? 1
                : 0;
        if (device.Linked != linked) {
            device.Linked = linked;
            emit Notifier.DeviceLinked(d, linked != 0);
        }
    }
}

int TProject::CloseAll(bool deleteFiles) {
    const bool hadDevices = DeviceCount > 0;
    // Last to first, so every removal leaves the indexes below it as they were.
    for (int d = kMaxDevices - 1; d >= 0; --d) {
        auto& device = Devices[static_cast<std::size_t>(d)];
        if (device) {
            closeDevice(*device, deleteFiles, deleteFiles);
            device.reset();
            if (d < DeviceCount) {
                DeviceCount = d;
                emit Notifier.DeviceRemoved(d);
            }
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
    const int slot = AddDevice(descriptor, requestedOptId, &result.OptIdRedrawn);
    if (slot < 0) {
        result.Failed = AddDeviceResult::NoEntry;
        return result;
    }
    const std::int32_t active = ActiveDevice;
    if (prepare && !prepare(*Devices[slot])) {
        result.Failed = AddDeviceResult::Preparation;
    } else {
        result.DataSetName = AddDataSet(slot, SwapInit::ResetAndFill, 0, nullptr, progress);
        if (result.DataSetName.empty()) {
            result.Failed = AddDeviceResult::DataSet;
        }
    }
    if (result.Failed != AddDeviceResult::None) {
        // The entry is the last one, so no other index moves.
        // A restored device's own option file stays; one made for this entry goes.
        removeDeviceAt(slot, requestedOptId == 0 || result.OptIdRedrawn.Requested != 0);
        if (!SetActiveDevice(active)) {
            SetActiveDevice(0);
        }
        return result;
    }
    result.Slot = slot;
    return result;
}

} // namespace zelmo
