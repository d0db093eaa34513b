#include "chip_image.h"

#include <unistd.h>

namespace hwsim {

bool ChipImage::open(const std::filesystem::path& file, const std::array<std::uint32_t, 4>& sizes,
                     std::uint8_t blank, const std::array<std::vector<std::uint8_t>, 4>& preset,
                     std::vector<StuckCell> stuck) {
    sizes_ = sizes;
    blank_ = blank;
    stuck_ = std::move(stuck);
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    created_ = !existed;
    file_ = FileHandle::open(file, true);
    if (!file_.isOpen()) {
        return false;
    }
    const std::uint64_t total = base(4);
    if (file_.size() != static_cast<std::int64_t>(total) &&
        ::ftruncate(file_.fd(), static_cast<off_t>(total)) != 0) {
        return false;
    }
    if (!existed) {
        for (int m = 0; m < 4; ++m) {
            if (!preset[m].empty() &&
                !write(m, 0,
                       {preset[m].data(), std::min<std::size_t>(preset[m].size(), sizes_[m])})) {
                return false;
            }
        }
    }
    return true;
}

std::uint64_t ChipImage::base(int m) const {
    std::uint64_t at = 0;
    for (int i = 0; i < m; ++i) {
        at += sizes_[i];
    }
    return at;
}

bool ChipImage::read(int m, std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > sizes_[m] || out.size() > sizes_[m] - offset ||
        !file_.readAt(base(m) + offset, out)) {
        return false;
    }
    for (std::uint8_t& b : out) {
        b ^= blank_;
    }
    for (const StuckCell& cell : stuck_) {
        if (cell.memory == m && cell.address >= offset && cell.address - offset < out.size()) {
            out[cell.address - offset] = cell.value;
        }
    }
    return true;
}

bool ChipImage::write(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (offset > sizes_[m] || bytes.size() > sizes_[m] - offset) {
        return false;
    }
    std::vector<std::uint8_t> stored(bytes.begin(), bytes.end());
    for (std::uint8_t& b : stored) {
        b ^= blank_;
    }
    return file_.writeAt(base(m) + offset, stored);
}

bool ChipImage::erase(int m, std::uint64_t offset, std::uint64_t length) {
    if (offset > sizes_[m] || length > sizes_[m] - offset) {
        return false;
    }
    return zeroRange(file_.fd(), base(m) + offset, length);
}

} // namespace hwsim
