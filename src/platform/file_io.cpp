#include "platform/file_io.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zelmo::platform {

namespace {
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// Makes a rename inside `folder` durable.
void syncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::filesystem::path temporarySibling(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = target;
    tmp += ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    return tmp;
}
} // namespace

File::~File() {
    close();
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

File File::open(const std::filesystem::path& path, OpenMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Read:
        flags |= O_RDONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= O_RDWR;
        break;
    case OpenMode::ReadWriteCreate:
        flags |= O_RDWR | O_CREAT;
        break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            fd = -1;
        }
    }
    return File(fd);
}

int File::release() {
    return std::exchange(fd_, -1);
}

void File::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::int64_t File::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

bool File::truncate(std::uint64_t length) {
    return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

bool File::flush() {
    return fd_ >= 0 && ::fdatasync(fd_) == 0;
}

namespace {
// Repeats a positioned transfer until every byte has moved; false on an error or an early end.
template <typename Byte, typename Transfer>
bool transferAll(int fd, std::uint64_t position, std::span<Byte> bytes, Transfer transfer) {
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t want = std::min(bytes.size() - done, kMaxTransfer);
        const ssize_t n =
            transfer(fd, bytes.data() + done, want, static_cast<off_t>(position + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

bool readAt(int fd, std::uint64_t position, std::span<std::uint8_t> bytes) {
    return transferAll(fd, position, bytes, ::pread);
}

bool writeAt(int fd, std::uint64_t position, std::span<const std::uint8_t> bytes) {
    return transferAll(fd, position, bytes, ::pwrite);
}

bool File::readAt(std::uint64_t position, std::span<std::uint8_t> bytes) const {
    return platform::readAt(fd_, position, bytes);
}

bool File::writeAt(std::uint64_t position, std::span<const std::uint8_t> bytes) {
    return platform::writeAt(fd_, position, bytes);
}

bool File::append(std::span<const std::uint8_t> bytes) {
    const std::int64_t end = size();
    return end >= 0 && writeAt(static_cast<std::uint64_t>(end), bytes);
}

Mapping::~Mapping() {
    reset();
}

Mapping::Mapping(Mapping&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      valid_(std::exchange(other.valid_, false)) {}

Mapping& Mapping::operator=(Mapping&& other) noexcept {
    if (this != &other) {
        reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        valid_ = std::exchange(other.valid_, false);
    }
    return *this;
}

void Mapping::reset() {
    if (data_ != nullptr && size_ > 0) {
        ::munmap(data_, size_);
    }
    data_ = nullptr;
    size_ = 0;
    valid_ = false;
}

Mapping Mapping::map(int fd, std::uint64_t length, bool writable) {
    Mapping m;
    if (fd < 0 || length > SIZE_MAX) {
        return m;
    }
    if (length == 0) {
        m.valid_ = true;
        return m;
    }
    const int prot = writable ? (PROT_READ | PROT_WRITE) : PROT_READ;
    void* p = ::mmap(nullptr, static_cast<std::size_t>(length), prot, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        return m;
    }
    m.data_ = static_cast<std::uint8_t*>(p);
    m.size_ = static_cast<std::size_t>(length);
    m.valid_ = true;
    return m;
}

Mapping Mapping::mapFile(const std::filesystem::path& path) {
    File f = File::open(path, OpenMode::Read);
    const std::int64_t size = f.size();
    if (size < 0) {
        return {};
    }
    return map(f.fd(), static_cast<std::uint64_t>(size), false);
}

void Mapping::adviseSequential() const {
    if (data_ != nullptr && size_ > 0) {
        ::madvise(data_, size_, MADV_SEQUENTIAL | MADV_WILLNEED);
    }
}

std::int64_t freeDiskSpace(const std::filesystem::path& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

bool replaceFileAtomically(const std::filesystem::path& target,
                           std::span<const std::uint8_t> bytes) {
    const std::filesystem::path tmp = temporarySibling(target);
    {
        int fd = ::open(tmp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        File f(fd);
        if (!f.writeAt(0, bytes) || ::fsync(f.fd()) != 0) {
            f.close();
            ::unlink(tmp.c_str());
            return false;
        }
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    syncFolder(target.parent_path());
    return true;
}

bool copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to) {
    const std::filesystem::path tmp = temporarySibling(to);
    std::error_code ec;
    if (!std::filesystem::copy_file(from, tmp, std::filesystem::copy_options::overwrite_existing,
                                    ec)) {
        std::filesystem::remove(tmp, ec);
        return false;
    }
    // Copies are writable whatever the source's mode was.
    std::filesystem::permissions(
        tmp, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
        std::filesystem::perm_options::add, ec);
    if (::rename(tmp.c_str(), to.c_str()) != 0) {
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

} // namespace zelmo::platform
