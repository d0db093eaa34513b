#include "persistence/card/portable.h"

#include "catalogue/catalogue_assets.h"
#include "persistence/card/card_identification.h"
#include "persistence/card/card_library.h"
#include "persistence/card/sector_io.h"
#include "platform/piece_loop.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <QDir>

#include <cstring>
#include <vector>

namespace zelmo::card {

namespace {

constexpr std::size_t kTransferBytes = kSectorsPerTransfer * kSectorSize; // 128 KiB
constexpr std::uint64_t kMaxCountField = 0xFFFF; // runtime and code sector counts are 16-bit
constexpr int kMemoryCount = kCardMemories;

Result saveFailed() {
    return Result::failure(QString::fromLatin1(kCouldNotSaveProject));
}

Result readFailed() {
    return Result::failure(QString::fromLatin1(kCouldNotReadProject));
}

QString libraryPath(const QString& appDir, const DeviceDescriptor& descriptor) {
    return QDir(appDir).filePath(QStringLiteral("Dev/") + FieldQString(descriptor.LibName) +
                                 QStringLiteral(".so"));
}

const char16_t* wide(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

// A buffer of whole sectors for `bytes` bytes, filled with 0xFF so the tail of the last sector
// reads 0xFF.
std::vector<std::uint8_t> sectorBuffer(std::uint64_t bytes) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(SectorsFor(bytes) * kSectorSize),
                                     0xFF);
}

// The operation bits of one tab, with pin check when the device offers it and has it on.
std::uint16_t tabBits(const CDevice& device, std::uint32_t ops) {
    const bool pinCheck = (device.Descriptor.Flags & DEV_PIN_CHECK) != 0 && device.PinCheck != 0;
    return static_cast<std::uint16_t>((ops | (pinCheck ? std::uint32_t{OP_PIN_CHECK} : 0u)) &
                                      0xFFFF);
}

// Frees the library's preparation however the data set's step ends.
class PreparedLibrary {
public:
    PreparedLibrary(CardLibrary& library, std::int32_t port) : library_(library), port_(port) {}
    ~PreparedLibrary() { library_.FreeLib(port_); }
    PreparedLibrary(const PreparedLibrary&) = delete;
    PreparedLibrary& operator=(const PreparedLibrary&) = delete;

private:
    CardLibrary& library_;
    std::int32_t port_;
};

// Closes card access however the transfer ends.
class CardAccess {
public:
    CardAccess(CardLibrary& library, std::int32_t port, bool writing)
        : library_(library), port_(port), writing_(writing) {
        open_ = writing_ ? library_.WriteCard(port_ | ZM_CARD_OPEN, 0, 0, nullptr)
                         : library_.ReadCard(port_ | ZM_CARD_OPEN, 0, 0, nullptr);
    }
    ~CardAccess() {
        if (writing_) {
            library_.WriteCard(port_ | ZM_CARD_CLOSE, 0, 0, nullptr);
        } else {
            library_.ReadCard(port_ | ZM_CARD_CLOSE, 0, 0, nullptr);
        }
    }
    CardAccess(const CardAccess&) = delete;
    CardAccess& operator=(const CardAccess&) = delete;
    bool open() const { return open_; }

private:
    CardLibrary& library_;
    std::int32_t port_;
    bool writing_;
    bool open_ = false;
};

void logLine(const CardContext& context, LogKind kind, const QString& text) {
    if (context.Log) {
        context.Log(kind, text);
    }
}

// Runs a change of the project where the context says the project lives.
void runStep(const CardContext& context, const std::function<void()>& change) {
    if (context.Synchronize) {
        context.Synchronize(change);
    } else {
        change();
    }
}

void report(Progress* progress, std::uint64_t done, std::uint64_t total) {
    if (progress != nullptr) {
        progress->setFraction(done, total);
    }
}

// Builds one image. The state mirrors the image: the next free sector lives in the writer, the
// entries are collected as the data area is written and go to their reserved sectors last.
class ImageWriter {
public:
    ImageWriter(const CardContext& context, const TProject& project, std::int32_t port)
        : context_(context), library_(*context.Library), project_(project), port_(port),
          out_(library_, port), transfer_(kTransferBytes) {}

    Result Write(const std::vector<int>& devices, bool oneDevice) {
        const std::optional<SectorRegion> header = out_.Reserve(1);
        if (!header || !WriteRuntime()) {
            return saveFailed();
        }
        const std::uint64_t n = devices.size();
        const std::optional<SectorRegion> directory = out_.Reserve(1 + n);
        if (!directory) {
            return saveFailed();
        }
        std::vector<CardDeviceEntry> entries;
        for (std::size_t k = 0; k < devices.size(); ++k) {
            if (!oneDevice) {
                report(context_.DeviceProgress, k, n);
            }
            CardDeviceEntry entry;
            if (!WriteDevice(*project_.Devices[static_cast<std::size_t>(devices[k])], entry)) {
                return saveFailed();
            }
            entries.push_back(entry);
        }

        CardProjectHeader projectHeader;
        projectHeader.Self = directory->First;
        const bool activeInRange =
            project_.ActiveDevice >= 0 && project_.ActiveDevice < static_cast<int>(devices.size());
        projectHeader.ActiveDevice =
            oneDevice || !activeInRange ? 0 : static_cast<std::uint8_t>(project_.ActiveDevice);
        projectHeader.DeviceCount = static_cast<std::uint8_t>(n);
        projectHeader.ImageSectors = out_.Next();
        if (!out_.Write(*directory, 0, Encode(projectHeader))) {
            return saveFailed();
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!out_.Write(*directory, 1 + i, Encode(entries[i]))) {
                return saveFailed();
            }
        }
        CardHeader cardHeader;
        cardHeader.RuntimeFirst = runtime_.First;
        cardHeader.RuntimeCount = static_cast<std::uint16_t>(runtime_.Count);
        cardHeader.ProjectHeader = directory->First;
        // Sector 0 last: an image whose writing failed never looks complete.
        if (!out_.Write(*header, Encode(cardHeader))) {
            return saveFailed();
        }
        if (context_.DeviceProgress != nullptr && !oneDevice) {
            context_.DeviceProgress->setPercent(100);
        }
        return Result::success();
    }

private:
    // The runtime file of the application's library folder, copied byte for byte.
    bool WriteRuntime() {
        const platform::File file =
            OpenApplicationFile(QDir(context_.AppDir).filePath(QStringLiteral("Lib/fpu.lib")));
        const std::int64_t size = file.size();
        if (!file.isOpen() || size < 0 ||
            SectorsFor(static_cast<std::uint64_t>(size)) > kMaxCountField) {
            return false;
        }
        const auto bytes = static_cast<std::uint64_t>(size);
        const std::optional<SectorRegion> region = out_.Reserve(SectorsFor(bytes));
        if (!region) {
            return false;
        }
        runtime_ = *region;
        return platform::forEachPiece(
                   bytes, kTransferBytes, [&](std::uint64_t done, std::size_t length) {
                       return CopyPiece(*region, done, length, [&](std::span<std::uint8_t> piece) {
                           return file.readAt(done, piece);
                       });
                   }) == platform::PieceEnd::Done;
    }

    // One piece of at most 128 KiB: read into the 0xFF-filled transfer buffer, written as whole
    // sectors at its place in the region.
    template <typename Source>
    bool CopyPiece(const SectorRegion& region, std::uint64_t done, std::size_t length,
                   Source&& source) {
        std::fill(transfer_.begin(), transfer_.end(), 0xFF);
        if (!source(std::span<std::uint8_t>(transfer_.data(), length))) {
            return false;
        }
        const std::size_t whole = static_cast<std::size_t>(SectorsFor(length) * kSectorSize);
        return out_.Write(region, done / kSectorSize,
                          std::span<const std::uint8_t>(transfer_.data(), whole));
    }

    bool WriteDevice(const CDevice& device, CardDeviceEntry& entry) {
        const DeviceDescriptor& d = device.Descriptor;
        SetFieldText(entry.Vendor, FieldView(d.Vendor));
        SetFieldText(entry.Name, FieldView(d.Name));
        SetFieldText(entry.Package, FieldView(d.Package));
        if (device.DataSetCount < 1 || device.DataSetCount > kMaxCardDataSets) {
            return false;
        }
        entry.DataSetCount = static_cast<std::uint8_t>(device.DataSetCount);
        entry.SelectedDataSet = static_cast<std::uint8_t>(
            device.SelectedDataSet >= 0 && device.SelectedDataSet < device.DataSetCount
                ? device.SelectedDataSet
                : 0);
        const QString library = libraryPath(context_.AppDir, d);
        for (int j = 0; j < device.DataSetCount; ++j) {
            const CDataSet* dataSet = device.DataSets[static_cast<std::size_t>(j)].get();
            if (dataSet == nullptr ||
                !WriteDataSet(device, *dataSet, library, entry.DataSetHeaders[j])) {
                return false;
            }
        }
        return true;
    }

    bool WriteDataSet(const CDevice& device, const CDataSet& dataSet, const QString& library,
                      std::uint32_t& headerSector) {
        const DeviceDescriptor& d = device.Descriptor;
        OperationBlock block{};
        block.Mode = OPMODE_CARD_CODE;
        block.One = 0;
        block.Beep = project_.Beep;
        block.MemSelect = device.MemSelect;
        std::memcpy(block.AdapterData, device.AdapterData.data(), sizeof block.AdapterData);
        ZmDataSetStorage storage{};
        storage.SwapFile = dataSet.SwapFile.fd();
        for (int m = 0; m < kMemoryCount; ++m) {
            storage.MemStart[m] = dataSet.MemStart[static_cast<std::size_t>(m)];
            storage.MemSize[m] = d.MemSize[m];
        }
        if (!library_.InitLib(port_, wide(library), d.LibParams, block, storage)) {
            return false;
        }
        const PreparedLibrary prepared(library_, port_);
        if (library_.MakeCode(port_) == 0) {
            for (const QString& text : library_.Messages(port_)) {
                logLine(context_, lkPlain, text);
            }
            return false;
        }

        const std::optional<SectorRegion> headerRegion = out_.Reserve(1);
        const std::int32_t codeSize = library_.GetCode(port_, nullptr);
        if (!headerRegion || codeSize < 0 ||
            SectorsFor(static_cast<std::uint64_t>(codeSize)) > kMaxCountField) {
            return false;
        }
        std::vector<std::uint8_t> code = sectorBuffer(static_cast<std::uint64_t>(codeSize));
        if (codeSize > 0 && library_.GetCode(port_, code.data()) != codeSize) {
            return false; // the code changed between the two calls
        }
        const std::optional<SectorRegion> codeRegion = out_.Reserve(code.size() / kSectorSize);
        if (!codeRegion || !out_.Write(*codeRegion, 0, code)) {
            return false;
        }

        CardDataSetHeader header;
        SetFieldText(header.Name, dataSet.Name);
        header.CodeFirst = codeRegion->First;
        header.CodeCount = static_cast<std::uint16_t>(codeRegion->Count);
        header.Flags = static_cast<std::uint16_t>(d.Flags & 0xFFFF);
        header.ProgramOps = tabBits(device, device.OpTabs[3]);
        header.ReadOps = tabBits(device, device.OpTabs[2]);
        header.EraseOps = tabBits(device, device.OpTabs[1]);
        for (int m = 0; m < kMemoryCount; ++m) {
            const std::uint64_t size = d.MemSize[m];
            CardExtent& extent = header.Memories[static_cast<std::size_t>(m)];
            if (size == 0 && m < kAreaE) {
                continue; // an absent memory: start and count 0
            }
            const std::optional<SectorRegion> region = out_.Reserve(SectorsFor(size));
            if (!region || !WriteMemory(dataSet, m, size, *region)) {
                return false;
            }
            extent = {region->First, region->Count};
        }
        headerSector = headerRegion->First;
        return out_.Write(*headerRegion, Encode(header));
    }

    bool WriteMemory(const CDataSet& dataSet, int m, std::uint64_t size,
                     const SectorRegion& region) {
        return platform::forEachPiece(
                   size, kTransferBytes, [&](std::uint64_t done, std::size_t length) {
                       report(context_.PieceProgress, done, size);
                       return CopyPiece(region, done, length, [&](std::span<std::uint8_t> piece) {
                           return dataSet.Read(m, done, piece);
                       });
                   }) == platform::PieceEnd::Done;
    }

    const CardContext& context_;
    CardLibrary& library_;
    const TProject& project_;
    std::int32_t port_;
    SectorWriter out_;
    SectorRegion runtime_;
    std::vector<std::uint8_t> transfer_;
};

// The directory checks of one device entry that need no catalogue.
bool entryUsable(const CardDeviceEntry& entry, const SectorReader& in, std::uint64_t dataArea) {
    if (!FieldTerminated(entry.Vendor) || !FieldTerminated(entry.Name) ||
        !FieldTerminated(entry.Package)) {
        return false;
    }
    if (entry.DataSetCount < 1 || entry.DataSetCount > kMaxCardDataSets ||
        entry.SelectedDataSet >= entry.DataSetCount) {
        return false;
    }
    for (int j = 0; j < entry.DataSetCount; ++j) {
        const std::uint32_t sector = entry.DataSetHeaders[static_cast<std::size_t>(j)];
        if (sector < dataArea || !in.Inside(sector, 1)) {
            return false;
        }
    }
    return true;
}

// A data-set header fits the catalogue device: every memory image has exactly the sectors the
// device's memory needs and lies inside the image.
bool headerUsable(const CardDataSetHeader& header, const DeviceDescriptor& device,
                  const SectorReader& in) {
    if (!FieldTerminated(header.Name)) {
        return false;
    }
    for (int m = 0; m < kMemoryCount; ++m) {
        const CardExtent& extent = header.Memories[static_cast<std::size_t>(m)];
        if (extent.Count != SectorsFor(device.MemSize[m])) {
            return false;
        }
        if (extent.Count != 0 && !in.Inside(extent.First, extent.Count)) {
            return false;
        }
    }
    return true;
}

// Takes one image back into the project. Every number read from the card is checked before it
// is used: sectors against the card and then the image, counts against the catalogue device,
// texts for their terminator.
class ImageReader {
public:
    ImageReader(const CardContext& context, TProject& project, std::int32_t port)
        : context_(context), library_(*context.Library), project_(project), port_(port),
          transfer_(kTransferBytes) {}

    Result Read() {
        const CardAccess access(library_, port_, false);
        Sector id{};
        if (!access.open() || !library_.IdentifyCard(port_, id.data())) {
            return readFailed();
        }
        SectorReader in(library_, port_, CardSectors(id));
        Sector sector{};
        if (!in.Read(0, sector)) {
            return readFailed();
        }
        const std::uint32_t h = DecodeCardHeader(sector).ProjectHeader;
        if (h == 0 || !in.Read(h, sector)) {
            return readFailed();
        }
        const CardProjectHeader projectHeader = DecodeProjectHeader(sector);
        const int n = projectHeader.DeviceCount;
        const std::uint64_t dataArea = std::uint64_t{h} + 1 + static_cast<std::uint64_t>(n);
        if (n < 1 || n > kMaxCardDevices || projectHeader.ActiveDevice >= n ||
            projectHeader.ImageSectors > in.Limit() || dataArea > projectHeader.ImageSectors) {
            return readFailed();
        }
        // From here on nothing past the image is read, however the entries point.
        in.Narrow(projectHeader.ImageSectors);
        std::vector<CardDeviceEntry> entries;
        for (int i = 0; i < n; ++i) {
            if (!in.Read(std::uint64_t{h} + 1 + static_cast<std::uint64_t>(i), sector)) {
                return readFailed();
            }
            entries.push_back(DecodeDeviceEntry(sector));
        }

        int activeSlot = 0;
        for (int i = 0; i < n; ++i) {
            report(context_.DeviceProgress, static_cast<std::uint64_t>(i),
                   static_cast<std::uint64_t>(n));
            int slot = -1;
            const Result restored =
                RestoreDevice(entries[static_cast<std::size_t>(i)], in, dataArea, i, slot);
            if (!restored.ok) {
                // Only a device restored completely stays in the project.
                if (slot >= 0) {
                    runStep(context_, [&] { project_.RemoveDevice(slot); });
                }
                return restored;
            }
            if (i == projectHeader.ActiveDevice && slot >= 0) {
                activeSlot = slot;
            }
        }
        runStep(context_, [&] {
            project_.ActiveDevice = activeSlot < project_.DeviceCount ? activeSlot : 0;
        });
        if (context_.DeviceProgress != nullptr) {
            context_.DeviceProgress->setPercent(100);
        }
        return Result::success();
    }

private:
    // Device `index` of the image into a new device entry; `slot` receives the entry's index
    // as soon as it exists (-1 when the device is left out).
    Result RestoreDevice(const CardDeviceEntry& entry, SectorReader& in, std::uint64_t dataArea,
                         int index, int& slot) {
        if (!entryUsable(entry, in, dataArea)) {
            return readFailed();
        }
        DeviceDescriptor descriptor{};
        if (!library_.SearchDev(entry.Vendor.data(), entry.Name.data(), entry.Package.data(),
                                descriptor)) {
            return readFailed();
        }
        runStep(context_, [&] { slot = project_.AddDevice(descriptor, 0); });
        if (slot < 0) {
            return Result::success(); // the option file could not be made: the device is left out
        }
        CDevice& device = *project_.Devices[static_cast<std::size_t>(slot)];
        const QString algorithms = libraryPath(context_.AppDir, descriptor);
        std::array<BufferInfo, kMemories> buffers{};
        if (!library_.GetBufferInfo(wide(algorithms), descriptor.LibParams, buffers.data())) {
            for (const QString& text : library_.Messages(0)) {
                logLine(context_, lkPlain, text);
            }
            return Result::failure({});
        }
        runStep(context_, [&] {
            device.SelectedDataSet = entry.SelectedDataSet;
            device.Buffers = buffers;
        });

        Sector sector{};
        for (int j = 0; j < entry.DataSetCount; ++j) {
            if (!in.Read(entry.DataSetHeaders[static_cast<std::size_t>(j)], sector)) {
                return readFailed();
            }
            const CardDataSetHeader header = DecodeDataSetHeader(sector);
            if (!headerUsable(header, descriptor, in)) {
                return readFailed();
            }
            const std::string name(FieldView(header.Name));
            std::string added;
            runStep(context_,
                    [&] { added = project_.AddDataSet(slot, SwapInit::Reset, 0, name.c_str()); });
            if (added.empty() || !ReadMemories(header, descriptor, in,
                                               *device.DataSets[static_cast<std::size_t>(j)])) {
                return readFailed();
            }
        }
        logLine(context_, lkDetail,
                QStringLiteral("Device restored: %1: %2 / %3.")
                    .arg(index + 1, 2, 10, QLatin1Char('0'))
                    .arg(FieldQString(descriptor.Name), FieldQString(descriptor.Package)));
        return Result::success();
    }

    // The memory images, appended to the new, empty swap file so the memories lie back to back
    // where MemStart expects them.
    bool ReadMemories(const CardDataSetHeader& header, const DeviceDescriptor& descriptor,
                      SectorReader& in, CDataSet& dataSet) {
        for (int m = 0; m < kMemoryCount; ++m) {
            const std::uint64_t size = descriptor.MemSize[m];
            const std::uint32_t first = header.Memories[static_cast<std::size_t>(m)].First;
            const platform::PieceEnd end = platform::forEachPiece(
                size, kTransferBytes, [&](std::uint64_t done, std::size_t length) {
                    report(context_.PieceProgress, done, size);
                    const std::size_t whole =
                        static_cast<std::size_t>(SectorsFor(length) * kSectorSize);
                    return in.Read(first + done / kSectorSize,
                                   std::span<std::uint8_t>(transfer_.data(), whole)) &&
                           dataSet.Write(m, done,
                                         std::span<const std::uint8_t>(transfer_.data(), length));
                });
            if (end != platform::PieceEnd::Done) {
                return false;
            }
        }
        return true;
    }

    const CardContext& context_;
    CardLibrary& library_;
    TProject& project_;
    std::int32_t port_;
    std::vector<std::uint8_t> transfer_;
};

} // namespace

std::uint64_t CardSectors(std::span<const std::uint8_t, kSectorSize> id) {
    auto words = [&](int high, int low) {
        return std::uint64_t{IdentificationWord(id, high)} << 16 | IdentificationWord(id, low);
    };
    const std::uint64_t lba = words(61, 60);
    return lba != 0 ? lba : words(58, 57);
}

CPortable::CPortable(CardContext context) : context_(std::move(context)) {}

Result CPortable::Write(const TProject& project, std::int32_t port, std::optional<int> oneDevice) {
    if (context_.Library == nullptr) {
        return saveFailed();
    }
    std::vector<int> devices;
    if (oneDevice) {
        if (*oneDevice < 0 || *oneDevice >= project.DeviceCount) {
            return saveFailed();
        }
        devices.push_back(*oneDevice);
    } else {
        for (int i = 0; i < project.DeviceCount && i < kMaxCardDevices; ++i) {
            devices.push_back(i);
        }
    }
    for (int i : devices) {
        if (!project.Devices[static_cast<std::size_t>(i)]) {
            return saveFailed();
        }
    }
    if (devices.empty()) {
        return saveFailed();
    }
    const CardAccess access(*context_.Library, port, true);
    if (!access.open()) {
        return saveFailed();
    }
    ImageWriter writer(context_, project, port);
    return writer.Write(devices, oneDevice.has_value());
}

Result CPortable::Read(TProject& project, std::int32_t port) {
    if (context_.Library == nullptr) {
        return readFailed();
    }
    ImageReader reader(context_, project, port);
    return reader.Read();
}

} // namespace zelmo::card
