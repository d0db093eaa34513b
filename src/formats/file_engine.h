#pragma once

// TFile, the load and save engine behind the load and save dialogs and the reload step: it
// fills, reads a data file of any supported format into up to 16 target data sets at once, or
// writes one memory to a file, reporting its busy text and percentage through `Busy`.

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
    std::uint8_t SaveType = FmtBinary;       // 0, 1, 2 or 5
    std::array<std::uint32_t, 2> SaveTime{}; // last-write time of the written file (low, high)
    std::uint8_t Optimize = 0;
    QString Message; // result text of the last load or save

    Progress Busy; // read by the busy window while a load or save runs

    bool Load();
    bool Save();

    // Input of the record readers: one mapping of the whole file, or large reads (the default,
    // which measured faster for a single pass over a cached file).
    bool MapInput = false;

private:
    bool fail(const QString& message);
    bool fillBefore(std::uint8_t value);
    bool loadBinary(const platform::File& file);
    template <typename Reader> bool loadRecords(const platform::File& file);
    bool loadJedec(const platform::File& file);
    bool saveBinary(platform::File& file);
    template <typename Writer> bool saveRecords(platform::File& file);
    bool saveJedec(platform::File& file);
    CDataSet* firstTarget() const;
};

} // namespace zelmo::formats
