#include "formats/file_time.h"

#include <sys/stat.h>

namespace zelmo::formats {

FileTime LastWriteTime(const platform::File& file) {
    struct stat st {};
    if (!file.isOpen() || ::fstat(file.fd(), &st) != 0) {
        return {};
    }
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    const std::int64_t ticks =
        (static_cast<std::int64_t>(st.st_mtim.tv_sec) + kSecondsFrom1601To1970) * 10000000 +
        st.st_mtim.tv_nsec / 100;
    const auto value = static_cast<std::uint64_t>(ticks);
    return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
}

} // namespace zelmo::formats
