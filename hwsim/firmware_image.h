#pragma once

// Firmware image files (Lib/cpu.lib, Lib/cpuupd.lib): a first text line
// "<KIND> <version>" such as "ZELMO-FIRMWARE 1.02.10.05", followed by the image bytes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace hwsim {

inline constexpr std::string_view kFirmwareKind = "ZELMO-FIRMWARE";
inline constexpr std::string_view kUpdaterKind = "ZELMO-UPDATER";

// The version in an image of the given kind; none when the file is missing or not that kind.
std::optional<std::array<std::uint8_t, 4>> imageVersion(const std::filesystem::path& file,
                                                        std::string_view kind);

} // namespace hwsim
