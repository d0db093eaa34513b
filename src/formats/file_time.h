#pragma once

// Last-write times as the project keeps them: 100 ns units since 1601-01-01 UTC, split into a
// low and a high 32-bit word.

#include "platform/file_io.h"

#include <QString>

#include <cstdint>

namespace zelmo::formats {

struct FileTime {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    bool operator==(const FileTime&) const = default;
};

// The last-write time of an open file; {0, 0} when it cannot be read.
FileTime LastWriteTime(const platform::File& file);

} // namespace zelmo::formats
