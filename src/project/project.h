#pragma once

// The project: up to 16 devices, each with up to 16 data sets whose memories live in swap
// files. Every window and worker shares the one TProject; all changes run on the main thread.

#include "abi/device_records.h"
#include "platform/file_io.h"
#include "platform/progress.h"
#include "project/project_notifier.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
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

// Where the buffer view of one memory stands, kept in the device so that every device and memory
// keeps its own place while the user switches. Addresses are bytes in the 8-, 16- and 32-bit
// views and cells in the fuse-map and vector views.
struct BufferViewState {
    std::uint32_t TopRow = 0;   // first data row on screen, in rows of the current display mode
    std::uint32_t Cursor = 0;   // address of the cursor cell (the lowest byte of a word)
    std::uint32_t Anchor = 0;   // cursor position before the last left click
    std::uint32_t SelStart = 0; // selected range, both inclusive; none when equal
    std::uint32_t SelEnd = 0;
};
static_assert(sizeof(BufferViewState) == 20);

class CDataSet;

// Bookkeeping of one memory of a data set. The fields are read freely; every writer changes them
// through one of the calls below, so the rules live in one place and the project notifier hears
// of every change (the data set's notifier, on the main thread).
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
    void OnChecksumUnknown(); // bytes may have changed outside the bookkeeping (a failed write)
    // A fill or swap rewrote the bytes and summed the whole buffer on the way.
    void OnFilled(std::uint32_t checksum);
    // A clear rewrote the bytes: no file is assigned any more and nothing is unsaved.
    void OnCleared(std::uint32_t checksum);
    // The memory's recent list (most recent first) and its current file, Recent[0].
    void SetFiles(const std::array<FileEntryPtr, kRecentFiles>& recent);
    void SetCurrent(FileEntryPtr entry);
    // A file entry of this memory was changed in place (its time or options).
    void OnFileEntryChanged();
    // Takes over another memory's checksum and modified state (linked devices after a load).
    void CopyStateFrom(const MemoryState& other);

private:
    friend class CDataSet;
    void set(std::uint8_t modified, std::uint8_t valid, std::uint32_t checksum);
    void reportFiles();
    CDataSet* owner_ = nullptr; // the data set holding this state, null in a free-standing one
    int index_ = 0;             // memory 0 to 3
};

// One data set: an image of the device's memories in a swap file. Its memory states point
// back at it, so it stays where it was made (no copies, no moves).
class CDataSet {
public:
    CDataSet();
    CDataSet(const CDataSet&) = delete;
    CDataSet& operator=(const CDataSet&) = delete;

    std::string Name; // 8-bit text, 3 to 16 characters; renamed through TProject::RenameDataSet
    platform::File SwapFile;
    std::uint32_t TotalSize = 0;
    std::uint16_t SwapId = 0;
    QString SwapPath;
    std::array<std::int64_t, 5> MemStart{}; // A, B, C, D and area E inside the swap file
    std::array<MemoryState, kMemories> Memories;
    std::int32_t CompareTo = -1;
    // Where the changes of this data set are reported; null for a data set outside a project.
    CProjectNotifier* Notifier = nullptr;

    // Size of memory m (0..3) or of area E (4), derived from MemStart and TotalSize.
    std::uint64_t MemSize(int m) const;

    // Positioned transfers within memory m; false when the range leaves the memory or the
    // transfer fails. A write on the notifier's thread reports the bytes it changed; workers
    // report theirs in the step that ends their run.
    bool Read(int m, std::uint64_t offset, std::span<std::uint8_t> bytes) const;
    bool Write(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Reports bytes of memory m that were written another way (a mapping, a worker's pieces).
    void OnBytesChanged(int m, std::uint64_t offset, std::uint64_t length);
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
    std::array<BufferViewState, kMemories> ViewState{};
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

    // The data sets the indexes name; null when an index is outside the used slots.
    CDataSet* Shown() const { return DataSetAt(ShownDataSet); }
    CDataSet* Selected() const { return DataSetAt(SelectedDataSet); }
    CDataSet* DataSetAt(int index) const {
        return index >= 0 && index < DataSetCount && index < kMaxDataSets
                   ? DataSets[static_cast<std::size_t>(index)].get()
                   : nullptr;
    }
};

// What "add device" does between creating the device entry and its first data set (adapter,
// memory descriptions, memory enables); false refuses the device.
using DevicePreparation = std::function<bool(CDevice& device)>;

// How AddDataSet treats the swap file it opens (bits: 1 reset, 2 fill).
enum class SwapInit : std::uint8_t {
    Keep = 0,         // a restored project: a file that holds TotalSize bytes keeps them
    Reset = 1,        // always cut to 0; a new id leaves it empty for the caller (a card read)
    Fill = 2,         // always fill with 0xFF
    ResetAndFill = 3, // a new data set: all bytes 0xFF
};

// A stored id that could not be used as it was: it was 0 or already taken in the project, so
// another one was drawn. The caller logs it.
struct IdRedrawn {
    std::uint16_t Requested = 0;
    std::uint16_t Drawn = 0;
};

// Outcome of TProject::AddCompleteDevice.
struct AddDeviceResult {
    enum Failure { None, NoEntry, Preparation, DataSet };
    int Slot = -1;           // the new device's index, -1 on failure
    Failure Failed = None;   // which step refused the device
    std::string DataSetName; // name of the first data set on success
    IdRedrawn OptIdRedrawn;  // Requested is non-zero when the requested option id was taken
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

    // Reports every change of the project's devices, data sets and memories. Lives on the
    // thread that made the project (the main thread).
    CProjectNotifier Notifier;

    // The device ActiveDevice names; null without devices or for an index outside the used slots.
    CDevice* Active() const { return DeviceAt(ActiveDevice); }
    CDevice* DeviceAt(int index) const {
        return index >= 0 && index < DeviceCount && index < kMaxDevices
                   ? Devices[static_cast<std::size_t>(index)].get()
                   : nullptr;
    }
    // The swap directory with its trailing "/": SwapPath, or the system temporary folder while
    // SwapPath is empty, so swap and option files never land in the current directory.
    QString SwapFolder() const;

    // Adds a device entry in the first free slot (Slot = that index) with its option file
    // "optXXXX.swp" in SwapPath (a new unique non-zero id unless one is requested; a file that is
    // not 1024 bytes is rewritten with zero counters and the default description) and reads its
    // statistics. -1 when all 16 slots are used or the option file cannot be opened or written.
    // A requested id that another device already uses is replaced by a new one (reported in
    // `redrawn`); drawn ids also avoid option files already present in the swap folder.
    // The entry has no data set yet: prefer AddCompleteDevice.
    int AddDevice(const DeviceDescriptor& descriptor, std::uint16_t requestedOptId = 0,
                  IdRedrawn* redrawn = nullptr);
    // A swap file that already holds TotalSize bytes and is not reset keeps its contents (a
    // restored project); a reset or short file is filled with 0xFF, except for Reset with a new
    // id, which leaves it empty for the caller to append the memories. A requested id that
    // another data set already uses is replaced by a new one (reported in `redrawn`), so two
    // data sets never share a file; drawn ids also avoid swap files present in the folder.
    // Returns the new data set's name, or an empty string when the swap file cannot be opened
    // or filled.
    std::string AddDataSet(int device, SwapInit init, std::uint16_t requestedSwapId = 0,
                           const char* name = nullptr, Progress* progress = nullptr,
                           IdRedrawn* redrawn = nullptr);
    // Removes a device, deleting its option and swap files; later devices move down one slot
    // (their Slot values stay) and ActiveDevice becomes 0. False for an invalid index.
    bool RemoveDevice(int device);
    // RemoveDataSet for the active device's shown data set; ShownDataSet becomes 0.
    bool RemoveShownDataSet();
    // Closes every device (deleting the option and swap files when asked), empties the project
    // and clears ProjectFileName. -1 when there were no devices, else 1.
    int CloseAll(bool deleteFiles);
    // Copies the configuration file to projectFile and every option and swap file into the
    // folder named like projectFile without its extension, each through a temporary name. False
    // at the first failed copy, with LastError; ProjectFileName is set only on success.
    bool StoreSwapFiles(const QString& projectFile, const QString& configFile);
    // Copies projectFile over the configuration file and every "opt*.swp" and "buf*.swp" of the
    // project folder into SwapPath. False, copying nothing, when the folder lacks either kind;
    // false with LastError when a copy fails. ProjectFileName is set only on success.
    bool TakeSwapFiles(const QString& projectFile, const QString& configFile);
    // BuildDay from the compiler's date ("Mmm dd yyyy") and time ("hh:mm:ss") texts: 1, or 0
    // (BuildDay unchanged) when a text is missing or malformed.
    int SetBuildDay(const char* date, const char* time);

    // Adds a device together with its first data set (flags 3, a new swap id): AddDevice, then
    // `prepare` (may be empty), then AddDataSet. When the preparation or the data set fails the
    // entry is removed again, so no part of the program ever sees a device without data sets;
    // its option file is deleted unless it was requested by id (a restored device's file).
    AddDeviceResult AddCompleteDevice(const DeviceDescriptor& descriptor,
                                      const DevicePreparation& prepare = {},
                                      std::uint16_t requestedOptId = 0,
                                      Progress* progress = nullptr);
    // Removes data set `index` of a device (closing and deleting its swap file); false when the
    // device has only one data set or an index is invalid. SelectedDataSet and ShownDataSet keep
    // naming the same data sets; one that named the removed data set becomes 0. CompareTo
    // references follow the same way (-1 when they named the removed one).
    bool RemoveDataSet(int device, int index);
    // Takes out the devices left without data sets (a restore that stopped half way), closing
    // but keeping their files; ActiveDevice stays on the same device or becomes 0. Returns how
    // many were removed.
    int RemoveIncompleteDevices();
    // Exchanges two devices' slots ("Move up"/"Move down"); ActiveDevice follows the device it
    // named. Slot values do not change. False for an invalid index.
    bool SwapDevices(int a, int b);
    // The index setters: each refuses (false, nothing changed) an index outside the used
    // slots, so a value read from a stored file can never point outside the arrays.
    bool SetActiveDevice(int device);
    bool SelectDataSet(int device, int dataSet); // SelectedDataSet
    bool ShowDataSet(int device, int dataSet);   // ShownDataSet
    // CompareTo of a data set: another data set of the same device, or -1 for none.
    bool SetCompareTo(int device, int dataSet, int compareTo);
    // Renames a data set (3 to 16 characters of 8-bit text); false for a bad index or name.
    bool RenameDataSet(int device, int dataSet, const std::string& name);
    // Recomputes every device's Linked mark: while LinkDevices is on, the devices whose vendor,
    // name and package equal the active device's (the active one included) are linked.
    void UpdateLinks();
    // Sets the swap directory, adding the trailing "/"; an empty folder stands for the system
    // temporary folder (see SwapFolder).
    void SetSwapPath(const QString& folder);

    // Why the last StoreSwapFiles or TakeSwapFiles failed.
    QString LastError;
    // Where new ids come from: empty for the pseudo-random generator; a test may hand in its
    // own sequence. Draws of 0 are skipped.
    std::function<std::uint16_t()> IdSource;

private:
    void removeDeviceAt(int device, bool deleteOptionFile);
    void takeOutDevice(int device);
    bool setDataSetIndex(int device, int dataSet, std::int32_t CDevice::*index,
                         void (CProjectNotifier::*changed)(int, int));
};

} // namespace zelmo
