#pragma once

// The project: up to 16 devices, each with up to 16 data sets whose memories live in swap
// files. Every window and worker shares the one TProject; all changes run on the main thread.

#include "platform/file_io.h"
#include "platform/progress.h"
#include "project/device_records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zelmo {

class CSerialization;

inline constexpr int kMaxDevices = 16;
inline constexpr int kMaxDataSets = 16;
inline constexpr int kRecentFiles = 10;
inline constexpr int kMemories = 4;              // A to D
inline constexpr int kAreaE = 4;                 // index of the extra area in MemSize and MemStart
inline constexpr std::size_t kPieceSize = 65536; // positioned transfers move at most this much

// Format index of a file entry.
enum FileFormat : std::uint8_t {
    FmtBinary = 0,
    FmtIntelHex = 1,
    FmtSRecord = 2,
    FmtTiTxt = 3,
    FmtPof = 4,
    FmtJedec = 5,
    FmtIspVme = 6,
};

// A file assigned to a memory. Entries are shared between a memory's recent list and the
// dialogs that work on a copy of that list, so an entry pushed out of one list stays valid for
// whoever still holds it.
struct CFileEntry {
    QString FileName;
    std::uint8_t Type = FmtBinary;
    std::uint32_t TimeLow = 0; // last-write time when last loaded or saved, 100 ns since 1601
    std::uint32_t TimeHigh = 0;
    std::int64_t BufferOffset = 0;
    std::int64_t FileOffset = 0;
    std::uint8_t FillBefore = 0;
    std::uint8_t FillWith = 0;
    std::uint8_t ChecksumAfter = 0;
    std::uint8_t DefaultTestState = 0;
};
using FileEntryPtr = std::shared_ptr<CFileEntry>;

// Bookkeeping of one memory of a data set. Every writer of a buffer reports what it did through
// one of the On... calls, so the rules live in one place.
struct MemoryState {
    std::uint8_t ChecksumValid = 0;
    std::uint32_t Checksum = 0;
    std::uint8_t Modified = 0;
    FileEntryPtr Current;
    std::array<FileEntryPtr, kRecentFiles> Recent;

    void OnLoaded();                         // a file was loaded or reloaded into the memory
    void OnSaved();                          // the memory was saved to a file
    void OnEdited();                         // edit, fill, swap or replace changed the bytes
    void OnChecksum(std::uint32_t checksum); // the checksum was computed anew
};

// One data set: an image of the device's memories in a swap file.
class CDataSet {
public:
    std::string Name; // 8-bit text, 3 to 16 characters
    platform::File SwapFile;
    std::uint32_t TotalSize = 0;
    std::uint16_t SwapId = 0;
    QString SwapPath;
    std::array<std::int64_t, 5> MemStart{}; // A, B, C, D and area E inside the swap file
    std::array<MemoryState, kMemories> Memories;
    std::int32_t CompareTo = -1;

    // Size of memory m (0..3) or of area E (4), derived from MemStart and TotalSize.
    std::uint64_t MemSize(int m) const;

    // Positioned transfers within memory m; false when the range leaves the memory or the
    // transfer fails.
    bool Read(int m, std::uint64_t offset, std::span<std::uint8_t> bytes) const;
    bool Write(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Maps the whole swap file for reading and writing.
    platform::Mapping Map() const;
    // The bytes of memory m inside a mapping made by Map().
    std::span<std::uint8_t> MemoryBytes(const platform::Mapping& mapping, int m) const;
};

// Up to 16 data sets that a load writes the same bytes into; null slots are skipped.
using TargetSet = std::array<CDataSet*, kMaxDataSets>;

class CStatistics {
public:
    std::uint32_t Good = 0;
    std::uint32_t Bad = 0;
    platform::File* OptFile = nullptr; // the device's option file

    bool Read();
    bool Count(bool success);
    bool Clear();
};

class CDevice {
public:
    CDevice();
    ~CDevice();
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;

    DeviceDescriptor Descriptor{};
    std::uint8_t Linked = 0;
    std::array<std::array<std::int32_t, 5>, kMemories> ViewState{};
    std::array<BufferInfo, kMemories> Buffers{};
    std::uint8_t Editable = 0;
    std::array<std::unique_ptr<CDataSet>, kMaxDataSets> DataSets;
    std::int32_t DataSetCount = 0;
    std::int32_t SelectedDataSet = 0;
    std::int32_t ShownDataSet = 0;
    QString AdapterFile;
    std::array<std::uint8_t, 2310> AdapterData{};
    std::uint8_t PinCheck = 0;
    std::uint8_t MemSelect = 0;
    std::uint8_t CurrentMemory = 0;
    std::int32_t ActiveTab = 0;
    std::uint8_t OpTabsSelected = 0;
    std::uint32_t SupportedOps = 0;
    std::array<std::uint32_t, 4> OpTabs{};
    // Operation state, written by the operation thread's synchronised steps.
    std::uint8_t Busy = 0;
    std::uint8_t AutoActive = 0;
    std::int32_t LastStatus = 0;
    double Progress = 0.0;
    QString StatusText;
    std::array<std::uint8_t, 49> PinCheckResult{};
    std::unique_ptr<CSerialization> Serialization;
    std::unique_ptr<CStatistics> Statistics;
    platform::File OptFile;
    std::uint16_t OptId = 0;
    QString OptPath;
    std::int32_t Slot = 0;

    CDataSet* Shown() const { return DataSets[ShownDataSet].get(); }
    CDataSet* Selected() const { return DataSets[SelectedDataSet].get(); }
};

class TProject {
public:
    TProject();
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // Configuration switches (their keys belong to the application configuration).
    std::uint8_t ReportFile = 0;
    std::uint8_t Beep = 0;
    std::uint8_t ShowOpTime = 0;
    std::uint8_t ExtReport = 0;
    std::uint8_t SafeMode = 0;
    std::uint8_t GangMode = 0;
    std::uint32_t ProgrammerIndex = 0;
    std::uint8_t ProdModeType = 0;
    std::uint8_t ReloadFile = 0;
    std::uint8_t SwapUseTEMP = 0;

    QString SwapPath; // always ends with "/"
    std::uint32_t TimerInterval = 333;
    std::uint8_t RemoteCtrl = 0;
    std::string HelpFile;
    std::uint8_t DebugMode = 0;
    std::int32_t ProgrammerCount = 0;
    std::uint8_t GangCapable = 0;
    std::uint8_t LinkDevices = 0;

    std::array<std::unique_ptr<CDevice>, kMaxDevices> Devices;
    std::int32_t ActiveDevice = 0;
    std::int32_t DeviceCount = 0;
    QString ProjectFileName;
    std::int32_t LastSelType = 0;
    std::int32_t LastSelMan = 0;
    std::int32_t LastSelDev = 0;
    std::string LastSearchStr;
    std::array<std::uint8_t, 4> BuildDay{};

    CDevice* Active() const { return DeviceCount > 0 ? Devices[ActiveDevice].get() : nullptr; }

    // Model operations; see project.cpp for the rules each one keeps.
    int AddDevice(const DeviceDescriptor& descriptor, std::uint16_t requestedOptId = 0);
    // Flags: bit 0 always reset the swap file, bit 1 always fill it with 0xFF. Returns the new
    // data set's name, or an empty string when the swap file cannot be opened or filled.
    std::string AddDataSet(int device, int flags, std::uint16_t requestedSwapId = 0,
                           const char* name = nullptr, Progress* progress = nullptr);
    bool RemoveDevice(int device);
    bool RemoveShownDataSet();
    int CloseAll(bool deleteFiles);
    bool StoreSwapFiles(const QString& projectFile, const QString& configFile);
    bool TakeSwapFiles(const QString& projectFile, const QString& configFile);
    int SetBuildDay(const char* date, const char* time);
};

} // namespace zelmo
