#pragma once

// A data set over a real swap file in a temporary folder, as the project creates it: memories
// A to D and area E back to back, all 0xFF.

#include "common/temp_dir.h"
#include "project/project.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelmo::test {

class SwapDataSet {
public:
    SwapDataSet(const std::filesystem::path& file, std::array<std::uint32_t, 5> sizes,
                std::uint8_t fill = 0xFF)
        : set(std::make_unique<CDataSet>()) {
        std::int64_t start = 0;
        for (int m = 0; m < 5; ++m) {
            set->MemStart[m] = start;
            start += sizes[m];
        }
        set->TotalSize = static_cast<std::uint32_t>(start);
        set->SwapFile = platform::File::open(file, platform::OpenMode::ReadWriteCreate);
        set->SwapFile.truncate(0);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(start), fill);
        set->SwapFile.writeAt(0, bytes);
    }

    std::vector<std::uint8_t> memory(int m) const {
        std::vector<std::uint8_t> bytes(set->MemSize(m));
        set->Read(m, 0, bytes);
        return bytes;
    }
    void setMemory(int m, const std::vector<std::uint8_t>& bytes) { set->Write(m, 0, bytes); }

    std::unique_ptr<CDataSet> set;
};

inline std::vector<std::uint8_t> bytesOf(std::string_view s) {
    return {s.begin(), s.end()};
}

} // namespace zelmo::test
