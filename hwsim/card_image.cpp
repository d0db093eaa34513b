#include "card_image.h"

#include <algorithm>
#include <string>

#include <unistd.h>

namespace hwsim {

bool CardImage::open(const std::filesystem::path& file, std::uint64_t sectors) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    file_ = FileHandle::open(file, true);
    if (!file_.isOpen()) {
        return false;
    }
    if (!existed && ::ftruncate(file_.fd(), static_cast<off_t>(sectors * 512)) != 0) {
        file_ = FileHandle();
        return false;
    }
    sectors_ = static_cast<std::uint64_t>(file_.size()) / 512;
    return true;
}

bool CardImage::read(std::uint64_t first, std::uint32_t count, std::uint8_t* buffer) const {
    if (!isOpen() || buffer == nullptr || first > sectors_ || count > sectors_ - first) {
        return false;
    }
    return file_.readAt(first * 512, {buffer, std::size_t(count) * 512});
}

bool CardImage::write(std::uint64_t first, std::uint32_t count, const std::uint8_t* buffer) const {
    if (!isOpen() || buffer == nullptr || first > sectors_ || count > sectors_ - first) {
        return false;
    }
    return file_.writeAt(first * 512, {buffer, std::size_t(count) * 512});
}

namespace {

void putWord(std::array<std::uint8_t, 512>& block, int word, std::uint16_t value) {
    block[2 * word] = static_cast<std::uint8_t>(value & 0xFF);
    block[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

// ATA strings: space-padded, two characters per word, the first in the high byte.
void putString(std::array<std::uint8_t, 512>& block, int word, int words, std::string text) {
    text.resize(static_cast<std::size_t>(words) * 2, ' ');
    for (int i = 0; i < words; ++i) {
        putWord(block, word + i,
                static_cast<std::uint16_t>((static_cast<unsigned char>(text[2 * i]) << 8) |
                                           static_cast<unsigned char>(text[2 * i + 1])));
    }
}

} // namespace

std::array<std::uint8_t, 512> identifyBlock(const ProgrammerConfig& config, std::uint64_t sectors) {
    std::array<std::uint8_t, 512> block{};
    const std::uint32_t lba =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, 0x0FFFFFFF));
    const std::uint32_t heads = 16, perTrack = 63;
    const std::uint32_t cylinders = std::min<std::uint32_t>(lba / (heads * perTrack), 16383);
    putWord(block, 0, 0x848A); // CompactFlash signature
    putWord(block, 1, static_cast<std::uint16_t>(cylinders));
    putWord(block, 3, static_cast<std::uint16_t>(heads));
    putWord(block, 6, static_cast<std::uint16_t>(perTrack));
    putWord(block, 7, static_cast<std::uint16_t>(lba >> 16));
    putWord(block, 8, static_cast<std::uint16_t>(lba & 0xFFFF));
    const std::string serial = config.cardSerial.empty()
                                   ? "ZSCF" + std::to_string(100000 + config.port)
                                   : config.cardSerial;
    putString(block, 10, 10, serial);
    putString(block, 23, 4, config.cardFirmware);
    putString(block, 27, 20, config.cardModel);
    putWord(block, 47, 0x0001);
    putWord(block, 49, config.cardLba ? 0x0200 : 0x0000);
    putWord(block, 53, 0x0001);
    putWord(block, 54, static_cast<std::uint16_t>(cylinders));
    putWord(block, 55, static_cast<std::uint16_t>(heads));
    putWord(block, 56, static_cast<std::uint16_t>(perTrack));
    putWord(block, 57, static_cast<std::uint16_t>(lba & 0xFFFF));
    putWord(block, 58, static_cast<std::uint16_t>(lba >> 16));
    putWord(block, 60, static_cast<std::uint16_t>(lba & 0xFFFF));
    putWord(block, 61, static_cast<std::uint16_t>(lba >> 16));
    putWord(block, 82, config.cardFeatures);
    return block;
}

} // namespace hwsim
