#include "project/option_file.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo {

bool PrepareOptionFile(platform::File& file) {
    const std::int64_t size = file.size();
    if (size < 0) {
        return false;
    }
    if (size == static_cast<std::int64_t>(kOptionFileSize)) {
        return true;
    }
    std::array<std::uint8_t, kOptionFileSize> image{};
    std::copy(kDefaultDescription.begin(), kDefaultDescription.end(),
              image.begin() + kDescriptionOffset);
    return file.truncate(0) && file.writeAt(0, image);
}

std::string ReadDescription(const platform::File& file) {
    std::array<std::uint8_t, kDescriptionSize> field{};
    if (!file.readAt(kDescriptionOffset, field)) {
        return {};
    }
    const auto* begin = reinterpret_cast<const char*>(field.data());
    const void* nul = std::memchr(begin, 0, field.size());
    const std::size_t length =
        nul == nullptr ? field.size()
                       : static_cast<std::size_t>(static_cast<const char*>(nul) - begin);
    return std::string(begin, length);
}

bool WriteDescription(platform::File& file, std::string_view text) {
    std::array<std::uint8_t, kDescriptionSize> field{};
    const std::size_t length = std::min(text.size(), kDescriptionSize - 1);
    std::copy_n(text.begin(), length, field.begin());
    return file.writeAt(kDescriptionOffset, field);
}

bool ReadCounter(const platform::File& file, std::uint64_t position, std::uint32_t& value) {
    std::array<std::uint8_t, 4> b{};
    if (!file.readAt(position, b)) {
        return false;
    }
    value = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
}

bool WriteCounter(platform::File& file, std::uint64_t position, std::uint32_t value) {
    const std::array<std::uint8_t, 4> b{
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return file.writeAt(position, b);
}

} // namespace zelmo
