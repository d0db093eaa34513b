#pragma once

// TFile, the load and save engine behind the load and save dialogs and the reload step: it
// fills, reads a data file of any supported format into up to 16 target data sets at once, or
// writes one memory to a file, reporting its busy text and percentage through `Busy`.
//
// A save never touches the file it replaces until the new one is complete: the new file is
// written beside it and renamed over it, so a full disk, a kill or a failed write leaves the old
// file as it was. Inputs are regular files read in pieces, never mapped.

#include "project/project.h"

#include <QString>

#include <array>
#include <cstdint>

namespace zelmo::formats {

class TFile {
public:
    TFile() = default;
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;

    std::int32_t Device = 0;       // device whose memory is addressed
    std::uint8_t Memory = 0;       // memory 0 to 3
    DeviceDescriptor Descriptor{}; // that device's catalogue record (names, sizes, pin count)
    std::array<std::uint8_t, 4> BuildDay{}; // written into JEDEC files
    std::uint32_t Loaded = 0;               // byte count of the last binary or Intel HEX load
    TargetSet Targets{};                    // null slots are skipped; a save uses the first one
    FileEntryPtr CurrentEntry;              // the entry to load
    QString SaveName;
    FileFormat SaveType = FmtBinary;         // FmtBinary, FmtIntelHex, FmtSRecord or FmtJedec
    std::array<std::uint32_t, 2> SaveTime{}; // last-write time of the written file (low, high)
    std::uint8_t Optimize = 0;
    QString Message; // result text of the last load or save
    // The operating system's reason for the last failure ("No space left on device"), empty
    // when the failure has none; shown after Message where there is room for it.
    QString Reason;

    Progress Busy; // read by the busy window while a load or save runs

    bool Load();
    bool Save();

private:
    bool fail(const QString& message, int error = 0);
    bool fillBefore(std::uint8_t value);
    bool loadBinary(const platform::File& file);
    template <typename Reader> bool loadRecords(const platform::File& file);
    bool loadJedec(const platform::File& file);
    bool saveBinary(platform::ReplacementFile& file);
    template <typename Writer> bool saveRecords(platform::ReplacementFile& file);
    bool saveJedec(platform::ReplacementFile& file);
    CDataSet* firstTarget() const;
};

} // namespace zelmo::formats
