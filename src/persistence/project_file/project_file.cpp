#include "persistence/project_file/project_file.h"

#include "catalogue/adapter_file.h"
#include "persistence/settings_document.h"
#include "project/device_descriptor.h"
#include "project/swap_names.h"
#include "serialization/serialization.h"

#include <QFileInfo>

#include <algorithm>

namespace zelmo {

namespace {

constexpr char kRoot[] = "Settings";
const QString kProject = QStringLiteral("Project");

QString deviceSection(int d) {
    return QString::asprintf("Device%02x", static_cast<unsigned>(d));
}

QString dataSetSection(int d, int s) {
    return QString::asprintf("DataSet%02x%02x", static_cast<unsigned>(d), static_cast<unsigned>(s));
}

QString fileKey(int m, int l, const char* field) {
    return QString::asprintf("File%02x%02x", static_cast<unsigned>(m), static_cast<unsigned>(l)) +
           QLatin1String(field);
}

QString paramKey(int m) {
    return QString::asprintf("File%02xParam", static_cast<unsigned>(m));
}

std::string text(std::string_view field) {
    return std::string(field);
}

QString latin1(const std::string& value) {
    return QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()));
}

QString hexId(std::uint16_t id) {
    return QString::asprintf("%04X", static_cast<unsigned>(id));
}

// A stored 32-bit integer as the unsigned value it was written from.
std::uint32_t readUnsigned(const CMyIni& document, const QString& section, const QString& key,
                           std::uint32_t def) {
    return static_cast<std::uint32_t>(
        document.ReadInt(section, key, static_cast<std::int32_t>(def)));
}

void writeUnsigned(CMyIni& document, const QString& section, const QString& key,
                   std::uint32_t value) {
    document.WriteInt(section, key, static_cast<std::int32_t>(value));
}

void storeFileEntry(CMyIni& document, const QString& section, int m, int l,
                    const CFileEntry& entry) {
    document.WriteText(section, fileKey(m, l, "Name"), entry.FileName);
    writeUnsigned(document, section, fileKey(m, l, "TimeL"), entry.TimeLow);
    writeUnsigned(document, section, fileKey(m, l, "TimeH"), entry.TimeHigh);
    // The offsets keep their low 32 bits only.
    writeUnsigned(document, section, fileKey(m, l, "BufferOffset"),
                  static_cast<std::uint32_t>(entry.BufferOffset));
    writeUnsigned(document, section, fileKey(m, l, "FileOffset"),
                  static_cast<std::uint32_t>(entry.FileOffset));
    document.WriteInt(section, fileKey(m, l, "Type"), entry.Type);
    document.WriteInt(section, fileKey(m, l, "FillBefore"), entry.FillBefore);
    document.WriteInt(section, fileKey(m, l, "FillWith"), entry.FillWith);
    document.WriteInt(section, fileKey(m, l, "ChecksumAfter"), entry.ChecksumAfter);
    document.WriteInt(section, fileKey(m, l, "DefaultTestState"), entry.DefaultTestState);
}

FileEntryPtr restoreFileEntry(const CMyIni& document, const QString& section, int m, int l) {
    const QString name = document.ReadText(section, fileKey(m, l, "Name"), QString());
    if (name.isEmpty()) {
        return nullptr;
    }
    auto entry = std::make_shared<CFileEntry>();
    entry->FileName = name;
    entry->TimeLow = readUnsigned(document, section, fileKey(m, l, "TimeL"), 0);
    entry->TimeHigh = readUnsigned(document, section, fileKey(m, l, "TimeH"), 0);
    entry->BufferOffset = readUnsigned(document, section, fileKey(m, l, "BufferOffset"), 0);
    entry->FileOffset = readUnsigned(document, section, fileKey(m, l, "FileOffset"), 0);
    entry->Type =
        static_cast<std::uint8_t>(document.ReadInt(section, fileKey(m, l, "Type"), 0) & 0xFF);
    entry->FillBefore = document.ReadInt(section, fileKey(m, l, "FillBefore"), 1) != 0 ? 1 : 0;
    entry->FillWith =
        static_cast<std::uint8_t>(document.ReadInt(section, fileKey(m, l, "FillWith"), 255) & 0xFF);
    entry->ChecksumAfter =
        document.ReadInt(section, fileKey(m, l, "ChecksumAfter"), 0) != 0 ? 1 : 0;
    entry->DefaultTestState =
        document.ReadInt(section, fileKey(m, l, "DefaultTestState"), 0) != 0 ? 1 : 0;
    return entry;
}

// The memories a device has, plus area E: a stored MemSelect never enables a memory the
// device lacks.
std::uint8_t restoredMemSelect(const DeviceDescriptor& descriptor, std::int32_t stored) {
    std::uint8_t select = 0;
    for (int m = 0; m < kMemories; ++m) {
        if (MemoryExists(descriptor, m) && (stored & (1 << m)) != 0) {
            select = static_cast<std::uint8_t>(select | (1u << m));
        }
    }
    return static_cast<std::uint8_t>(select | (AreaEExists(descriptor) ? 0x80 : 0));
}

} // namespace

void StoreProjectSections(CMyIni& document, const TProject& project) {
    document.WriteInt(kProject, QStringLiteral("Devices"), project.DeviceCount);
    document.WriteInt(kProject, QStringLiteral("ActiveDevice"), project.ActiveDevice);
    for (int d = 0; d < project.DeviceCount; ++d) {
        const CDevice& device = *project.Devices[static_cast<std::size_t>(d)];
        const DeviceDescriptor& descriptor = device.Descriptor;
        const QString section = deviceSection(d);
        document.WriteAnsiText(section, QStringLiteral("Vendor"),
                               text(FieldView(descriptor.Vendor)));
        document.WriteAnsiText(section, QStringLiteral("Name"), text(FieldView(descriptor.Name)));
        document.WriteAnsiText(section, QStringLiteral("Package"),
                               text(FieldView(descriptor.Package)));
        document.WriteText(section, QStringLiteral("AdapterFile"), device.AdapterFile);
        document.WriteInt(section, QStringLiteral("PinCheck"), device.PinCheck);
        document.WriteInt(section, QStringLiteral("MemSelect"), device.MemSelect);
        document.WriteInt(section, QStringLiteral("ActiveTab"), device.ActiveTab);
        document.WriteInt(section, QStringLiteral("OpTabsSelected"), device.OpTabsSelected);
        writeUnsigned(document, section, QStringLiteral("OpTabsEnabledE"), device.OpTabs[1]);
        writeUnsigned(document, section, QStringLiteral("OpTabsEnabledR"), device.OpTabs[2]);
        writeUnsigned(document, section, QStringLiteral("OpTabsEnabledP"), device.OpTabs[3]);
        const CSerialization* serialization = device.Serialization.get();
        document.WriteInt(section, QStringLiteral("SerializationEnabled"),
                          serialization != nullptr && serialization->Enabled != 0 ? 1 : 0);
        document.WriteText(section, QStringLiteral("SerializationFile"),
                           serialization != nullptr ? serialization->FileName : QString());
        document.WriteInt(section, QStringLiteral("OptId"), device.OptId);
        document.WriteInt(section, QStringLiteral("DataSets"), device.DataSetCount);
        document.WriteInt(section, QStringLiteral("SelectedDataSet"), device.SelectedDataSet);

        for (int s = 0; s < device.DataSetCount; ++s) {
            const CDataSet& dataSet = *device.DataSets[static_cast<std::size_t>(s)];
            const QString setSection = dataSetSection(d, s);
            document.WriteAnsiText(setSection, QStringLiteral("Name"), dataSet.Name);
            document.WriteInt(setSection, QStringLiteral("SwapId"), dataSet.SwapId);
            for (int m = 0; m < kMemories; ++m) {
                const MemoryState& memory = dataSet.Memories[static_cast<std::size_t>(m)];
                for (int l = 0; l < kRecentFiles; ++l) {
                    if (const CFileEntry* entry =
                            memory.Recent[static_cast<std::size_t>(l)].get()) {
                        storeFileEntry(document, setSection, m, l, *entry);
                    }
                }
                document.WriteInt(setSection, paramKey(m), memory.Current ? 1 : 0);
            }
        }
    }
}

CProjectFile::CProjectFile(TProject& project, CDeviceLibrary library, ProjectFileHost host,
                           QString configFile)
    : project_(project), library_(std::move(library)), host_(std::move(host)),
      configFile_(std::move(configFile)) {}

void CProjectFile::log(LogKind kind, const QString& text) const {
    if (host_.Log) {
        host_.Log(kind, text);
    }
}

void CProjectFile::status(const QString& text) const {
    if (host_.SetStatus) {
        host_.SetStatus(text);
    }
}

void CProjectFile::errorBox(const QString& text) const {
    if (host_.ErrorBox) {
        host_.ErrorBox(text);
    }
}

bool CProjectFile::takeProject(const QString& path) {
    const QString swapPath = project_.SwapPath;
    const std::uint8_t useTemp = project_.SwapUseTEMP;
    if (applyProjectSwapFolder(path) && project_.TakeSwapFiles(path, configFile_)) {
        return true;
    }
    // Nothing was copied in: the swap folder in force stays.
    project_.SwapPath = swapPath;
    project_.SwapUseTEMP = useTemp;
    return false;
}

bool CProjectFile::applyProjectSwapFolder(const QString& path) {
    // A missing project file would open as an empty document.
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    CMyIni document;
    if (!document.Open(path, QLatin1String(kRoot), true)) {
        return false;
    }
    const QString config = QStringLiteral("Config");
    const bool useTemp = document.ReadInt(config, QStringLiteral("SwapUseTEMP"), 1) != 0;
    const QString folder = document.ReadText(config, QStringLiteral("SwapPath"), QString());
    project_.SwapUseTEMP = useTemp ? 1 : 0;
    // An empty swap path stands for the system's temporary folder.
    project_.SetSwapPath(useTemp ? QString() : folder);
    return true;
}

Result CProjectFile::Restore(const RestoreRequest& request) {
    if (request.ProjectMissing) {
        const QString text =
            QString::fromLatin1(kCouldNotOpenProject) + QStringLiteral("\nIncorrect parameters.");
        errorBox(text);
        return Result::failure(text);
    }
    if (request.ProjectPath) {
        const QString& path = *request.ProjectPath;
        log(lkSection, QStringLiteral("Restoring project:"));
        log(lkDetail, path);
        if (!takeProject(path)) {
            const QString text = QString::fromLatin1(kCouldNotOpenProject);
            errorBox(text);
            return Result::failure(text);
        }
    }
    return restoreFromConfiguration();
}

Result CProjectFile::restoreFromConfiguration() {
    CMyIni document;
    if (!document.Open(configFile_, QLatin1String(kRoot), true)) {
        const QString text = QStringLiteral("Could not restore config.");
        errorBox(text);
        return Result::failure(text);
    }
    if (host_.RestoreConfiguration) {
        host_.RestoreConfiguration(document);
    }
    const int devices =
        std::clamp(document.ReadInt(kProject, QStringLiteral("Devices"), 0), 0, kMaxDevices);
    if (devices != 0) {
        log(lkSection, QStringLiteral("Restoring devices:"));
    }
    bool complete = true;
    for (int d = 0; d < devices && complete; ++d) {
        complete = restoreDevice(document, d);
    }
    // A device whose data sets could not be made is no device: nothing may see it without one.
    project_.RemoveIncompleteDevices();
    if (!complete) {
        return Result::failure({});
    }

    const int active = document.ReadInt(kProject, QStringLiteral("ActiveDevice"), 0);
    if (!project_.SetActiveDevice(active)) {
        project_.SetActiveDevice(0);
    }
    if (project_.DeviceCount > 0) {
        log(lkPlain, QString::asprintf("Active device: %02d", project_.ActiveDevice + 1));
    }
    if (host_.Refresh) {
        host_.Refresh();
    }
    return Result::success();
}

bool CProjectFile::restoreDevice(const CMyIni& document, int number) {
    const QString section = deviceSection(number);
    const std::string vendor = document.ReadAnsiText(section, QStringLiteral("Vendor"), {}, 5);
    const std::string name = document.ReadAnsiText(section, QStringLiteral("Name"), {}, 25);
    const std::string package = document.ReadAnsiText(section, QStringLiteral("Package"), {}, 10);
    const int dataSets =
        std::clamp(document.ReadInt(section, QStringLiteral("DataSets"), 0), 0, kMaxDataSets);
    const int selected = document.ReadInt(section, QStringLiteral("SelectedDataSet"), 0);

    const std::optional<DeviceDescriptor> found =
        library_.Search ? library_.Search(vendor, name, package) : std::nullopt;
    if (!found) {
        const QString vendorName =
            library_.VendorName ? library_.VendorName(vendor) : latin1(vendor);
        log(lkPlain, QStringLiteral("%1, %2 / %3 could not be restored. Skipped.")
                         .arg(vendorName, latin1(name), latin1(package)));
        return true;
    }

    const auto optId =
        static_cast<std::uint16_t>(document.ReadInt(section, QStringLiteral("OptId"), 0) & 0xFFFF);
    IdRedrawn optRedrawn;
    const int slot = project_.AddDevice(*found, optId, &optRedrawn);
    if (slot < 0) {
        return true; // no option file or no free slot: skipped without a message
    }
    CDevice& device = *project_.Devices[static_cast<std::size_t>(slot)];
    if (optRedrawn.Requested != 0) {
        log(lkDetail, QStringLiteral("Option file %1 is used by another device; this one keeps its "
                                     "statistics and description in option file %2.")
                          .arg(hexId(optRedrawn.Requested), hexId(optRedrawn.Drawn)));
    }

    const QString adapterFile = document.ReadText(section, QStringLiteral("AdapterFile"), {});
    std::array<std::uint8_t, kAdapterImageSize> image{};
    if (!adapterFile.isEmpty() && readAdapterFile(adapterFile, image) == AdapterReadResult::Valid) {
        device.AdapterData = image;
        device.AdapterFile = adapterFile;
    }

    device.PinCheck = document.ReadInt(section, QStringLiteral("PinCheck"), 1) != 0 ? 1 : 0;
    device.MemSelect = restoredMemSelect(device.Descriptor,
                                         document.ReadInt(section, QStringLiteral("MemSelect"), 1));
    device.ActiveTab = document.ReadInt(section, QStringLiteral("ActiveTab"), 0);
    const int opTab = document.ReadInt(section, QStringLiteral("OpTabsSelected"), 0) & 0xFF;
    device.OpTabsSelected = static_cast<std::uint8_t>(opTab <= 3 ? opTab : 0);
    device.OpTabs[1] = readUnsigned(document, section, QStringLiteral("OpTabsEnabledE"), 0);
    device.OpTabs[2] = readUnsigned(document, section, QStringLiteral("OpTabsEnabledR"), 0);
    device.OpTabs[3] = readUnsigned(document, section, QStringLiteral("OpTabsEnabledP"), 0);
    if (CSerialization* serialization = device.Serialization.get()) {
        serialization->Enabled =
            document.ReadInt(section, QStringLiteral("SerializationEnabled"), 0) != 0 ? 1 : 0;
        serialization->FileName =
            document.ReadText(section, QStringLiteral("SerializationFile"), {});
        QString problem;
        if (!serialization->FileName.isEmpty() && !serialization->LoadFromFile(&problem)) {
            log(lkDetail, problem);
        }
    }
    log(lkDetail, QString::asprintf("%02d: ", slot + 1) + FieldQString(device.Descriptor.Name) +
                      QStringLiteral(" / ") + FieldQString(device.Descriptor.Package));

    PreparedDevice prepared;
    if (library_.Prepare) {
        prepared = library_.Prepare(device.Descriptor);
    } else {
        prepared.ok = true;
    }
    if (!prepared.ok) {
        for (const QString& line : prepared.LibraryMessages) {
            log(lkPlain, line);
        }
        return false;
    }
    device.Buffers = prepared.Buffers;

    for (int s = 0; s < dataSets; ++s) {
        const QString setSection = dataSetSection(number, s);
        const std::string setName =
            document.ReadAnsiText(setSection, QStringLiteral("Name"), "Data set", 17);
        const auto swapId = static_cast<std::uint16_t>(
            document.ReadInt(setSection, QStringLiteral("SwapId"), 0) & 0xFFFF);
        IdRedrawn swapRedrawn;
        const std::string made = project_.AddDataSet(slot, SwapInit::Keep, swapId, setName.c_str(),
                                                     host_.FillProgress, &swapRedrawn);
        if (made.empty()) {
            continue;
        }
        const int index = device.DataSetCount - 1;
        // The star marks the data set the device's operations use, as it was stored.
        log(lkSubDetail,
            (index == selected ? QStringLiteral("*") : QStringLiteral(" ")) + latin1(made));
        if (swapRedrawn.Requested != 0) {
            log(lkSubDetail,
                QStringLiteral("Swap file %1 is used by another data set; '%2' gets "
                               "swap file %3 with empty buffers.")
                    .arg(hexId(swapRedrawn.Requested), latin1(made), hexId(swapRedrawn.Drawn)));
        }
        CDataSet& dataSet = *device.DataSets[static_cast<std::size_t>(index)];
        for (int m = 0; m < kMemories; ++m) {
            std::array<FileEntryPtr, kRecentFiles> recent{};
            std::size_t count = 0;
            for (int l = 0; l < kRecentFiles; ++l) {
                if (FileEntryPtr entry = restoreFileEntry(document, setSection, m, l)) {
                    recent[count++] = std::move(entry); // the list stays without gaps
                }
            }
            MemoryState& memory = dataSet.Memories[static_cast<std::size_t>(m)];
            memory.SetFiles(recent);
            memory.SetCurrent(document.ReadInt(setSection, paramKey(m), 0) != 0 ? recent[0]
                                                                                : nullptr);
        }
    }
    project_.SelectDataSet(slot, selected);
    return true;
}

Result CProjectFile::Open(const QString& path) {
    project_.CloseAll(true);
    project_.LinkDevices = 0;
    if (!takeProject(path)) {
        if (host_.ShowInfoPage) {
            host_.ShowInfoPage();
        }
        const QString text = QString::fromLatin1(kProjectFileError);
        status(text);
        log(lkSection, text);
        log(lkDetail, path);
        if (host_.Refresh) {
            host_.Refresh();
        }
        return Result::failure(text);
    }
    const Result restored = restoreFromConfiguration();
    if (host_.ApplyConfiguration) {
        host_.ApplyConfiguration();
    }
    if (host_.Refresh) {
        host_.Refresh();
    }
    if (!restored.ok) {
        return restored;
    }
    const QString text = QStringLiteral("Project restored.");
    status(text);
    log(lkSection, text);
    log(lkDetail, path);
    return Result::success();
}

bool CProjectFile::StoreState() {
    if (configFile_.isEmpty()) {
        return false;
    }
    CMyIni document;
    if (!document.Open(configFile_, QLatin1String(kRoot), false)) {
        return false;
    }
    if (host_.StoreConfiguration) {
        host_.StoreConfiguration(document);
    }
    StoreProjectSections(document, project_);
    return document.Save();
}

Result CProjectFile::CanSaveAs() const {
    if (project_.DeviceCount == 0) {
        return Result::failure(QString::fromLatin1(kNoDevicesInProject));
    }
    return Result::success();
}

Result CProjectFile::Save(const QString& path) {
    QString reason;
    if (!StoreState()) {
        reason = QStringLiteral("Could not write '%1'.").arg(configFile_);
    } else if (!project_.StoreSwapFiles(path, configFile_)) {
        reason = project_.LastError;
    }
    if (!reason.isEmpty()) {
        const QString text = QString::fromLatin1(kProjectSavingError);
        status(text);
        log(lkSection, text);
        log(lkDetail, path);
        log(lkFailureDetail, reason);
        if (host_.ShowMessage) {
            host_.ShowMessage(text + QStringLiteral("\n") + reason);
        }
        return Result::failure(text);
    }
    const QString text = QString::fromLatin1(kProjectSaved);
    status(text);
    log(lkSection, text);
    log(lkDetail, path);
    if (host_.Refresh) {
        host_.Refresh();
    }
    return Result::success();
}

} // namespace zelmo
