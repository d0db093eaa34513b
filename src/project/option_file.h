#pragma once

// The device's option file: 1024 bytes holding the good and bad counters (little-endian u32 at
// offsets 0 and 4) and the user's description (8-bit text, NUL-terminated, at offset 8).

#include "platform/file_io.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmo {

inline constexpr std::size_t kOptionFileSize = 1024;
inline constexpr std::uint64_t kGoodOffset = 0;
inline constexpr std::uint64_t kBadOffset = 4;
inline constexpr std::uint64_t kDescriptionOffset = 8;
inline constexpr std::size_t kDescriptionSize = 1016;
inline constexpr std::string_view kDefaultDescription = "Type your description here...";

// A file of any size other than 1024 bytes is cut to 0 and rewritten as zeros with the default
// description. False when the file cannot be checked or written.
bool PrepareOptionFile(platform::File& file);

// The description: the text up to the first NUL of the 1016 bytes at offset 8; empty when it
// cannot be read.
std::string ReadDescription(const platform::File& file);
// Writes the description zero-padded to 1016 bytes; longer text is cut to 1015 characters so
// the field keeps its terminator.
bool WriteDescription(platform::File& file, std::string_view text);

// Little-endian 32-bit counters at a position of the file.
bool ReadCounter(const platform::File& file, std::uint64_t position, std::uint32_t& value);
bool WriteCounter(platform::File& file, std::uint64_t position, std::uint32_t value);

} // namespace zelmo
