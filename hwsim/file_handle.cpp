#include "file_handle.h"

#include "platform/file_io.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hwsim {

FileHandle::~FileHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle FileHandle::open(const std::filesystem::path& path, bool create) {
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
    return FileHandle(::open(path.c_str(), flags, 0644));
}

std::int64_t FileHandle::size() const {
    return fileSize(fd_);
}

bool FileHandle::readAt(std::uint64_t position, std::span<std::uint8_t> bytes) const {
    return hwsim::readAt(fd_, position, bytes);
}

bool FileHandle::writeAt(std::uint64_t position, std::span<const std::uint8_t> bytes) const {
    return hwsim::writeAt(fd_, position, bytes);
}

bool readAt(int fd, std::uint64_t position, std::span<std::uint8_t> bytes) {
    return zelmo::platform::readAt(fd, position, bytes);
}

bool writeAt(int fd, std::uint64_t position, std::span<const std::uint8_t> bytes) {
    return zelmo::platform::writeAt(fd, position, bytes);
}

std::int64_t fileSize(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    return st.st_size;
}

bool zeroRange(int fd, std::uint64_t position, std::uint64_t length) {
#ifdef FALLOC_FL_PUNCH_HOLE
    if (::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(position),
                    static_cast<off_t>(length)) == 0) {
        return true;
    }
#endif
    std::vector<std::uint8_t> zeros(std::min<std::uint64_t>(length, 1 << 20), 0);
    while (length > 0) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, zeros.size()));
        if (!writeAt(fd, position, {zeros.data(), n})) {
            return false;
        }
        position += n;
        length -= n;
    }
    return true;
}

} // namespace hwsim
