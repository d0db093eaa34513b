#include "file_handle.h"

#include "platform/file_io.h"
#include "platform/piece_loop.h"

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

namespace {

// Refuses anything but a regular file before opening it; the open itself does not block on a
// FIFO swapped in meanwhile, and the descriptor is kept only if it is a regular file.
FileHandle openRegular(const std::filesystem::path& path, int flags) {
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) {
        return FileHandle();
    }
    FileHandle file(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644));
    struct stat st {};
    if (!file.isOpen() || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return FileHandle();
    }
    const int status = ::fcntl(file.fd(), F_GETFL);
    if (status == -1 || ::fcntl(file.fd(), F_SETFL, status & ~O_NONBLOCK) == -1) {
        return FileHandle();
    }
    return file;
}

} // namespace

FileHandle FileHandle::open(const std::filesystem::path& path, bool create) {
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    return openRegular(path, O_RDWR | (create ? O_CREAT : 0));
}

FileHandle FileHandle::openForReading(const std::filesystem::path& path) {
    return openRegular(path, O_RDONLY);
}

std::optional<std::string> readTextFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                        std::string* why) {
    const auto fail = [&](const char* reason) -> std::optional<std::string> {
        if (why != nullptr) {
            *why = "'" + path.string() + "' " + reason + ".";
        }
        return std::nullopt;
    };
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        return fail("cannot be opened");
    }
    if (!std::filesystem::is_regular_file(status)) {
        return fail("is not a regular file");
    }
    const FileHandle file = FileHandle::openForReading(path);
    if (!file.isOpen()) {
        return fail("cannot be opened");
    }
    const std::int64_t size = file.size();
    if (size < 0) {
        return fail("cannot be read");
    }
    if (static_cast<std::uint64_t>(size) > maxBytes) {
        return fail("is too large");
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    const auto end = zelmo::platform::forEachPiece(
        text.size(), std::size_t(1) << 20, [&](std::uint64_t at, std::size_t n) {
            return file.readAt(at, {reinterpret_cast<std::uint8_t*>(text.data()) + at, n});
        });
    if (end != zelmo::platform::PieceEnd::Done) {
        return fail("cannot be read");
    }
    return text;
}

std::optional<std::string> readFileHead(const std::filesystem::path& path, std::size_t maxBytes) {
    const FileHandle file = FileHandle::openForReading(path);
    if (!file.isOpen()) {
        return std::nullopt;
    }
    std::string head(maxBytes, '\0');
    const ssize_t n = ::pread(file.fd(), head.data(), head.size(), 0);
    if (n < 0) {
        return std::nullopt;
    }
    head.resize(static_cast<std::size_t>(n));
    return head;
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
    const std::vector<std::uint8_t> zeros(std::min<std::uint64_t>(length, 1 << 20), 0);
    return zelmo::platform::forEachPiece(length, zeros.size(),
                                         [&](std::uint64_t at, std::size_t n) {
                                             return writeAt(fd, position + at, {zeros.data(), n});
                                         }) == zelmo::platform::PieceEnd::Done;
}

} // namespace hwsim
