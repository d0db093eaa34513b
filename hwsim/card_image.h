#pragma once

// The CompactFlash card of a programmer: an image file of 512-byte sectors in the state folder
// (created empty, sparse, at the configured capacity) and its ATA identification block.

#include "file_handle.h"
#include "sim_config.h"

#include <array>
#include <cstdint>
#include <filesystem>

namespace hwsim {

class CardImage {
public:
    // Opens the image, creating it at `sectors` x 512 bytes when missing. An existing image
    // keeps its size.
    bool open(const std::filesystem::path& file, std::uint64_t sectors);
    bool isOpen() const { return file_.isOpen(); }
    void close() { file_ = FileHandle(); }
    std::uint64_t sectors() const { return sectors_; }

    bool read(std::uint64_t first, std::uint32_t count, std::uint8_t* buffer) const;
    bool write(std::uint64_t first, std::uint32_t count, const std::uint8_t* buffer) const;

private:
    FileHandle file_;
    std::uint64_t sectors_ = 0;
};

// The 256-word ATA IDENTIFY DEVICE block of a card (little-endian words).
std::array<std::uint8_t, 512> identifyBlock(const ProgrammerConfig& config, std::uint64_t sectors);

} // namespace hwsim
