#include "formats/file_command_rules.h"

#include "project/device_descriptor.h"

namespace zelmo::formats {

namespace {

QString memoryName(const CDevice& device, int memory) {
    return FieldQString(device.Buffers[static_cast<std::size_t>(memory)].Name);
}

bool running(const CDevice& device) {
    return device.Busy != 0 || device.AutoActive != 0;
}

} // namespace

int FileMemory(const CDevice& device) {
    if (IsProgrammableLogic(device.Descriptor)) {
        return 0;
    }
    return device.CurrentMemory < kMemories ? device.CurrentMemory : 0;
}

QString LoadStartText(const CDevice& device, int memory, LoadKind kind) {
    const bool exists = MemoryExists(device.Descriptor, memory);
    switch (kind) {
    case LoadKind::Load:
        return exists ? QStringLiteral("Loading file. Target buffer: %1...")
                            .arg(memoryName(device, memory))
                      : QStringLiteral("Assigning file...");
    case LoadKind::Recent:
        return exists ? QStringLiteral("Loading recent file. Target buffer: %1...")
                            .arg(memoryName(device, memory))
                      : QStringLiteral("Assigning recent file...");
    case LoadKind::Drop:
        break;
    }
    return QStringLiteral("File dropped. Target buffer: %1...").arg(memoryName(device, memory));
}

QString SaveStartText(const CDevice& device, int memory) {
    return QStringLiteral("Saving file. Source buffer: %1...").arg(memoryName(device, memory));
}

QString ChecksumReportText(std::uint32_t checksum) {
    return QStringLiteral("Buffer checksum: %1.")
        .arg(QStringLiteral("%1").arg(checksum, 8, 16, QLatin1Char('0')).toUpper());
}

FileMenuState FileMenu(const TProject& project, bool bufferTabShown) {
    FileMenuState menu;
    const CDevice* device = project.Active();
    if (device == nullptr) {
        return menu;
    }
    const int m = FileMemory(*device);
    const bool exists = MemoryExists(device->Descriptor, m);
    if (exists && !bufferTabShown) {
        return menu;
    }
    const bool readOnly = (device->Buffers[static_cast<std::size_t>(m)].Flags & BUF_READ_ONLY) != 0;
    if (const CDataSet* shown = device->Shown()) {
        for (const FileEntryPtr& entry : shown->Memories[static_cast<std::size_t>(m)].Recent) {
            if (entry) {
                menu.RecentPaths << entry->FileName;
            }
        }
    }
    menu.Load = !readOnly;
    menu.LoadRecent = !readOnly && !menu.RecentPaths.isEmpty();
    menu.Save = exists;
    if (!exists) {
        menu.LoadCaption = QStringLiteral("Assign");
        menu.LoadRecentCaption = QStringLiteral("Assign recent");
    }
    return menu;
}

TargetSet LoadTargetsFor(const TProject& project) {
    const CDevice* active = project.Active();
    if (active == nullptr) {
        return {};
    }
    TargetSet targets{};
    targets[0] = active->Shown();
    if (project.LinkDevices == 0 || targets[0] == nullptr) {
        return targets;
    }
    std::size_t n = 1;
    for (int d = 0; d < project.DeviceCount && n < targets.size(); ++d) {
        const CDevice* other = project.DeviceAt(d);
        if (other == nullptr || other == active || other->Linked == 0 || running(*other)) {
            continue;
        }
        if (CDataSet* dataSet = other->DataSetAt(active->ShownDataSet)) {
            targets[n++] = dataSet;
        }
    }
    return targets;
}

void FinishLoad(TProject& project, int memory, const RecentList& list) {
    CDevice* active = project.Active();
    CDataSet* shown = active != nullptr ? active->Shown() : nullptr;
    if (shown == nullptr || memory < 0 || memory >= kMemories) {
        return;
    }
    MemoryState& state = shown->Memories[static_cast<std::size_t>(memory)];
    AdoptRecentList(state, list);
    if (project.LinkDevices == 0) {
        return;
    }
    const bool exists = MemoryExists(active->Descriptor, memory);
    for (CDataSet* target : LoadTargetsFor(project)) {
        if (target == nullptr || target == shown) {
            continue;
        }
        MemoryState& linked = target->Memories[static_cast<std::size_t>(memory)];
        LinkRecentList(linked, state.Current);
        if (exists) {
            CopyBufferState(linked, state);
        }
    }
}

const std::vector<SaveFormat>& SaveFormats() {
    static const std::vector<SaveFormat> formats{
        {FmtBinary, QStringLiteral("Binary"), QStringLiteral("Binary (*.bin)"),
         QStringLiteral("bin")},
        {FmtIntelHex, QStringLiteral("Intel HEX"), QStringLiteral("Intel HEX (*.hex)"),
         QStringLiteral("hex")},
        {FmtSRecord, QStringLiteral("Motorola S-Record"),
         QStringLiteral("Motorola S-Record (*.s01)"), QStringLiteral("s01")},
        {FmtJedec, QStringLiteral("Jedec"), QStringLiteral("Jedec (*.jed)"), QStringLiteral("jed")},
    };
    return formats;
}

int InitialSaveFormat(const CDevice& device) {
    return IsProgrammableLogic(device.Descriptor) ? 3 : 0;
}

bool OptimizeEnabled(FileFormat type) {
    return type != FmtJedec;
}

QStringList SaveFileFilters(FileFormat type) {
    QStringList filters;
    for (const SaveFormat& format : SaveFormats()) {
        if (format.Type == type) {
            filters << format.Filter;
        }
    }
    filters << QStringLiteral("All files (*.*)");
    return filters;
}

void FinishSave(CDataSet& dataSet, int memory, const QString& path, FileFormat type,
                std::uint32_t timeLow, std::uint32_t timeHigh) {
    if (memory < 0 || memory >= kMemories) {
        return;
    }
    MemoryState& state = dataSet.Memories[static_cast<std::size_t>(memory)];
    RecentList list = state.Recent;
    const int listed = FindRecent(list, path);
    if (listed >= 0) {
        // The listed entry now describes the file as it was just written: the whole memory in
        // the saved format. Left as it was, a later load or reload would read it in its old
        // format or at its old offsets. A copy takes the change, so other lists that share the
        // entry keep theirs.
        auto saved = std::make_shared<CFileEntry>(*list[listed]);
        saved->Type = type;
        saved->BufferOffset = 0;
        saved->FileOffset = 0;
        saved->TimeLow = timeLow;
        saved->TimeHigh = timeHigh;
        list[listed] = std::move(saved);
    }
    RecordSavedFile(list, path, type, timeLow, timeHigh);
    AdoptRecentList(state, list);
}

} // namespace zelmo::formats
