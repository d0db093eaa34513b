#include "project/commands/project_commands.h"

#include "catalogue/adapter_file.h"
#include "project/byte_size_text.h"
#include "project/device_descriptor.h"
#include "project/option_file.h"
#include "project/project_tree.h"
#include "project/swap_names.h"

#include <algorithm>

namespace zelmo {

namespace {

constexpr char kCancelled[] = "Operation cancelled.";

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString dataSetName(const CDataSet* dataSet) {
    return dataSet != nullptr ? latin1(dataSet->Name) : QString();
}

QString memoryLetter(int m) {
    return QString(QChar(u'A' + m));
}

// Why the preparation of a new device entry refused it.
enum class PrepareFailure { None, Adapter, PinCount, Library };

} // namespace

CProjectCommands::CProjectCommands(TProject& project, CDeviceLibrary library,
                                   ProjectCommandHost host)
    : project_(project), library_(std::move(library)), host_(std::move(host)) {}

void CProjectCommands::log(LogKind kind, const QString& text) const {
    if (host_.Log) {
        host_.Log(kind, text);
    }
}

void CProjectCommands::status(const QString& text) const {
    if (host_.SetStatus) {
        host_.SetStatus(text);
    }
}

void CProjectCommands::message(const QString& text) const {
    if (host_.ShowMessage) {
        host_.ShowMessage(text);
    }
}

bool CProjectCommands::confirm(const QString& question) const {
    return host_.Confirm && host_.Confirm(question);
}

void CProjectCommands::refresh() const {
    if (host_.Refresh) {
        host_.Refresh();
    }
}

void CProjectCommands::refused() const {
    const QString text = QString::fromLatin1(kCancelled);
    if (CDevice* device = project_.Active()) {
        device->StatusText = text;
    }
    status(text);
}

std::int64_t CProjectCommands::freeBytes() const {
    const QString folder = project_.SwapFolder();
    return host_.FreeBytes ? host_.FreeBytes(folder) : platform::freeDiskSpace(LocalPath(folder));
}

QString CProjectCommands::vendorName(const CDevice& device) const {
    return library_.VendorNameOf(device.Descriptor);
}

void CProjectCommands::AddDevice() {
    if (project_.DeviceCount >= kMaxDevices) {
        message(QStringLiteral("Can't add another device."));
        return;
    }
    if (!DevicesMayChange(project_)) {
        refused();
        return;
    }
    const std::optional<DeviceSelection> chosen =
        host_.SelectDevice ? host_.SelectDevice() : std::nullopt;
    if (!chosen) {
        return;
    }
    const DeviceDescriptor& descriptor = chosen->Descriptor;
    const int copies = std::clamp(chosen->Copies, 1, kMaxCopies);
    // One check for every copy: all of them need their swap file at once.
    const std::uint64_t required = static_cast<std::uint64_t>(copies) * TotalMemorySize(descriptor);
    const std::int64_t available = freeBytes();
    if (available >= 0 && required > static_cast<std::uint64_t>(available)) {
        message((copies == 1 ? QStringLiteral("Could not add device. Not enough disk space.\n")
                             : QStringLiteral("Could not add devices. Not enough disk space.\n")) +
                QStringLiteral("Free at least %1 or change swap directory.")
                    .arg(ByteSizeText(required)));
        return;
    }

    bool addedAny = false;
    for (int n = 0; n < copies; ++n) {
        PrepareFailure failure = PrepareFailure::None;
        PreparedDevice prepared;
        const auto prepare = [&](CDevice& device) {
            if ((descriptor.Flags & DEV_ADAPTER) != 0) {
                std::array<std::uint8_t, kAdapterImageSize> image{};
                if (readAdapterFile(chosen->AdapterPath, image) != AdapterReadResult::Valid) {
                    failure = PrepareFailure::Adapter;
                    return false;
                }
                if (image[offsetof(AdapterImage, DevicePinCount)] !=
                    (descriptor.PinCount & 0xFFu)) {
                    failure = PrepareFailure::PinCount;
                    return false;
                }
                device.AdapterFile = chosen->AdapterPath;
                device.AdapterData = image;
            } else {
                device.AdapterFile.clear();
                device.AdapterData.fill(0);
            }
            if (library_.Prepare) {
                prepared = library_.Prepare(device.Descriptor);
            } else {
                prepared.ok = true;
                prepared.VendorName = vendorName(device);
            }
            if (!prepared.ok) {
                failure = PrepareFailure::Library;
                return false;
            }
            ApplyPreparation(device, prepared);
            return true;
        };
        const AddDeviceResult added =
            project_.AddCompleteDevice(descriptor, prepare, 0, host_.FillProgress);
        switch (added.Failed) {
        case AddDeviceResult::NoEntry:
            continue; // no option file or no slot: the next copy may still get one
        case AddDeviceResult::Preparation:
            if (failure == PrepareFailure::Adapter) {
                message(QStringLiteral("Could not open user adapter file.\nIncorrect file or "
                                       "access error."));
            } else if (failure == PrepareFailure::PinCount) {
                message(QStringLiteral("Incorrect adapter file. Pin count mismatch.\nUse Adapter "
                                       "Creator tool to check this file."));
            } else {
                const QString text = QStringLiteral("Couldn't add device.");
                log(lkSection, text);
                status(text);
                for (const QString& line : prepared.LibraryMessages) {
                    log(lkDetail, line);
                }
                message(text);
            }
            break;
        case AddDeviceResult::DataSet:
            message(QStringLiteral("Error while adding a device."));
            break;
        case AddDeviceResult::None: {
            addedAny = true;
            const CDevice& device = *project_.Devices[static_cast<std::size_t>(added.Slot)];
            const QString text = QStringLiteral("Device has been added.");
            log(lkSection, text);
            status(text);
            log(lkDetail,
                QStringLiteral("%1, %2 / %3, %4.")
                    .arg(prepared.VendorName, FieldQString(device.Descriptor.Name),
                         FieldQString(device.Descriptor.Package), latin1(added.DataSetName)));
            const std::int64_t left = freeBytes();
            if (left >= 0) {
                log(lkDetail, QStringLiteral("Swap directory free bytes: ") +
                                  ByteSizeText(static_cast<std::uint64_t>(left)));
            }
            continue;
        }
        }
        break; // the adapter, the library or the swap file refused: the command ends here
    }
    if (addedAny) {
        refresh();
    }
}

void CProjectCommands::RemoveDevice(int device) {
    if (project_.DeviceCount == 0) {
        message(QStringLiteral("All devices removed."));
        return;
    }
    const int index = device < 0 ? project_.ActiveDevice : device;
    const CDevice* entry = project_.DeviceAt(index);
    if (entry == nullptr) {
        return;
    }
    if (!DevicesMayChange(project_)) {
        refused();
        return;
    }
    const QString name = FieldQString(entry->Descriptor.Name);
    const QString package = FieldQString(entry->Descriptor.Package);
    if (!confirm(QStringLiteral("Device %1 / %2 and all data sets will be removed.\nAre you sure?")
                     .arg(name, package))) {
        return;
    }
    log(lkSection, QStringLiteral("Device has been removed."));
    log(lkDetail, QStringLiteral("%1, %2 / %3.").arg(vendorName(*entry), name, package));
    project_.RemoveDevice(index);
    refresh();
}

void CProjectCommands::AddDataSet(int device) {
    CDevice* entry = project_.DeviceAt(device);
    if (entry == nullptr) {
        return;
    }
    if (!DevicesMayChange(project_)) {
        refused();
        return;
    }
    const std::uint64_t required = TotalMemorySize(entry->Descriptor);
    const std::int64_t available = freeBytes();
    if (available >= 0 && required > static_cast<std::uint64_t>(available)) {
        message(QStringLiteral("Could not add data set. Not enough disk space.\nFree at least %1 "
                               "or change swap directory.")
                    .arg(ByteSizeText(required)));
        return;
    }
    if (entry->DataSetCount >= kMaxDataSets) {
        message(QStringLiteral("Could not add more data sets."));
        return;
    }
    if (library_.Prepare) {
        const PreparedDevice prepared = library_.Prepare(entry->Descriptor);
        if (!prepared.ok) {
            for (const QString& line : prepared.LibraryMessages) {
                log(lkPlain, line);
            }
            return;
        }
        entry->Buffers = prepared.Buffers;
    }
    const std::string name =
        project_.AddDataSet(device, SwapInit::ResetAndFill, 0, nullptr, host_.FillProgress);
    if (name.empty()) {
        if (host_.ErrorBox) {
            host_.ErrorBox(QStringLiteral("Could not add data set."));
        }
        return;
    }
    status(QStringLiteral("Data set added."));
    log(lkDeviceHeaderAfterBlank(device), {});
    log(lkDetail, QStringLiteral("Data set '%1' added.").arg(latin1(name)));
    const std::int64_t left = freeBytes();
    if (left >= 0) {
        log(lkDetail, QStringLiteral("Swap directory free bytes: ") +
                          ByteSizeText(static_cast<std::uint64_t>(left)));
    }
    refresh();
}

void CProjectCommands::RemoveDataSet() {
    const CDevice* device = project_.Active();
    if (device == nullptr || device->DataSetCount <= 1) {
        return;
    }
    if (!DevicesMayChange(project_)) {
        refused();
        return;
    }
    const QString name = dataSetName(device->Shown());
    if (!confirm(QStringLiteral("Data set '%1' will be removed.\nAre you sure?").arg(name))) {
        return;
    }
    log(lkSection, QStringLiteral("Data set has been removed."));
    log((static_cast<LogKind>(project_.ActiveDevice) & lfSlotMask) | lfDeviceHeader, {});
    log(lkDetail, QStringLiteral("Data set '%1' has been removed.").arg(name));
    // A selected data set that is removed gives way to data set 0; one behind the removed one
    // keeps naming the same data set.
    project_.RemoveShownDataSet();
    refresh();
}

bool CProjectCommands::RenameDataSet(int device, int dataSet, const QString& edited) {
    const DataSetNameCheck check = CheckDataSetName(edited);
    if (!check.Ok) {
        message(check.Message);
        return false;
    }
    if (!project_.RenameDataSet(device, dataSet, check.Name)) {
        return false;
    }
    log(lkSection, QStringLiteral("Data set renamed."));
    log(lkDetail, QStringLiteral("Data set renamed to '%1'.").arg(latin1(check.Name)));
    refresh();
    return true;
}

void CProjectCommands::SetActiveDataSet() {
    CDevice* device = project_.Active();
    if (device == nullptr) {
        return;
    }
    if (DeviceBusy(*device)) {
        refused();
        return;
    }
    project_.SelectDataSet(project_.ActiveDevice, device->ShownDataSet);
    log(lkDataSetHeaderAfterBlank(project_.ActiveDevice), {});
    log(lkDetail,
        QStringLiteral("Active data set changed to '%1'.").arg(dataSetName(device->Selected())));
    refresh();
}

void CProjectCommands::DataSetDoubleClicked(int device, int dataSet) {
    CDevice* entry = project_.DeviceAt(device);
    if (entry == nullptr || DeviceBusy(*entry) || entry->DataSetAt(dataSet) == nullptr ||
        entry->SelectedDataSet == dataSet) {
        return;
    }
    ClickDataSetNode(project_, device, dataSet);
    project_.SelectDataSet(device, dataSet);
    log(lkDeviceHeaderAfterBlank(device), {});
    log(lkDetail,
        QStringLiteral("Active data set changed to '%1'.").arg(dataSetName(entry->Selected())));
    refresh();
}

bool CProjectCommands::MoveDevice(int device, int direction) {
    const int other = device + direction;
    if ((direction != -1 && direction != 1) || project_.DeviceAt(device) == nullptr ||
        project_.DeviceAt(other) == nullptr || AnyDeviceBusy(project_)) {
        return false;
    }
    project_.SwapDevices(device, other);
    refresh();
    return true;
}

bool CProjectCommands::SetMemoryEnabled(int memory, bool enabled) {
    CDevice* active = project_.Active();
    if (active == nullptr || !MemoryExists(active->Descriptor, memory) || DeviceBusy(*active) ||
        (active->Buffers[static_cast<std::size_t>(memory)].Flags & BUF_MANDATORY) != 0) {
        return false;
    }
    const auto bit = static_cast<std::uint8_t>(1u << memory);
    for (int d = 0; d < project_.DeviceCount; ++d) {
        CDevice& device = *project_.Devices[static_cast<std::size_t>(d)];
        const bool target = project_.LinkDevices != 0 ? device.Linked != 0 : &device == active;
        if (target) {
            device.MemSelect = static_cast<std::uint8_t>(enabled ? device.MemSelect | bit
                                                                 : device.MemSelect & ~bit);
        }
    }
    log(lkDeviceHeaderAfterBlank(project_.ActiveDevice), {});
    log(lkDetail, QStringLiteral("Buffer configuration changed."));
    bool anyEnabled = false;
    for (int m = 0; m < kMemories; ++m) {
        if (!MemoryExists(active->Descriptor, m)) {
            continue;
        }
        const bool on = (active->MemSelect & (1u << m)) != 0;
        anyEnabled = anyEnabled || on;
        log(lkDetail, QStringLiteral("%1 (Buffer %2)")
                              .arg(FieldQString(active->Buffers[static_cast<std::size_t>(m)].Name),
                                   memoryLetter(m)) +
                          (on ? QStringLiteral(" enabled.") : QStringLiteral(" disabled.")));
    }
    if (!anyEnabled) {
        log(lkWarning, QStringLiteral("All available buffers disabled."));
    }
    refresh();
    return true;
}

std::string CProjectCommands::DescriptionBytes(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    std::string bytes = lines.toLatin1().toStdString();
    // The field keeps its terminator; a cut never leaves half a line break.
    if (bytes.size() > kDescriptionSize - 1) {
        bytes.resize(kDescriptionSize - 1);
        if (bytes.back() == '\r') {
            bytes.pop_back();
        }
    }
    return bytes;
}

QString CProjectCommands::DescriptionOf(const CDevice& device) {
    QString text = latin1(ReadDescription(device.OptFile));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void CProjectCommands::StoreDescription(const QString& text) {
    CDevice* active = project_.Active();
    if (active == nullptr) {
        return;
    }
    const std::string bytes = DescriptionBytes(text);
    for (int d = 0; d < project_.DeviceCount; ++d) {
        CDevice& device = *project_.Devices[static_cast<std::size_t>(d)];
        if (project_.LinkDevices != 0 ? device.Linked != 0 : &device == active) {
            WriteDescription(device.OptFile, bytes);
        }
    }
}

void CProjectCommands::CreateNewProject() {
    if (AnyDeviceBusy(project_)) {
        refused();
        return;
    }
    if (!confirm(QStringLiteral("Create new project?"))) {
        return;
    }
    project_.CloseAll(true);
    // Without devices nothing can be linked, and "Link devices" cannot be switched off again:
    // left on, it would keep "Add device" disabled for good.
    project_.LinkDevices = 0;
    project_.LastSelType = 0;
    project_.LastSelMan = 0;
    project_.LastSelDev = 0;
    refresh();
    log(lkSection, QStringLiteral("New project created."));
}

} // namespace zelmo
