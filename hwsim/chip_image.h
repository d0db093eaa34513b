#pragma once

// The contents of the simulated chip in a programmer's socket, kept in a file of the state
// folder so that they survive the process: memories A to D back to back. Bytes are stored
// XOR the chip's blank value, so a new (sparse, all-zero) file reads as an erased chip and an
// erase only has to release the range. Stuck cells always read their fixed value.

#include "file_handle.h"
#include "sim_config.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace hwsim {

class ChipImage {
public:
    // Opens or creates the image for a chip with the given memory sizes. A new image gets
    // `preset` for the read-only memories (one buffer per memory, may be empty).
    bool open(const std::filesystem::path& file, const std::array<std::uint32_t, 4>& sizes,
              std::uint8_t blank, const std::array<std::vector<std::uint8_t>, 4>& preset,
              std::vector<StuckCell> stuck);

    std::uint32_t size(int m) const { return sizes_[m]; }
    // The last open made a new image (a chip that was never used).
    bool created() const { return created_; }
    std::uint8_t blank() const { return blank_; }

    bool read(int m, std::uint64_t offset, std::span<std::uint8_t> out) const;
    bool write(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes);
    bool erase(int m, std::uint64_t offset, std::uint64_t length);

private:
    std::uint64_t base(int m) const;

    FileHandle file_;
    std::array<std::uint32_t, 4> sizes_{};
    std::uint8_t blank_ = 0xFF;
    bool created_ = false;
    std::vector<StuckCell> stuck_;
};

} // namespace hwsim
