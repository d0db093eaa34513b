#include "platform/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>
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

// A fresh name beside `target`: its own name plus ".tmp<pid>_<n>".
std::filesystem::path temporarySibling(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = target;
    tmp += ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    return tmp;
}

// strerror_r comes in two shapes (XSI returns int, GNU returns the text); take either.
[[maybe_unused]] const char* reasonText(int /*xsiResult*/, const char* buffer) {
    return buffer;
}
[[maybe_unused]] const char* reasonText(const char* gnuResult, const char* /*buffer*/) {
    return gnuResult;
}

// Writeback of a replacement file is started after this many bytes, so that the flush before
// the rename finds most of the file already on its way to the disk.
constexpr std::uint64_t kWritebackStep = std::uint64_t{8} << 20;
} // namespace

std::string errorText(int error) {
    if (error == 0) {
        return {};
    }
    if (error == kNotRegularFile) {
        return "Not a regular file";
    }
    char buffer[256] = {};
    return reasonText(::strerror_r(error, buffer, sizeof buffer), buffer);
}

File::~File() {
    close();
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        error_ = other.error_;
        fd_ = other.release();
    }
    return *this;
}

File File::open(const std::filesystem::path& path, OpenMode mode) {
    // Non-blocking, so that opening a pipe does not wait for its writer; a regular file ignores
    // the flag, and it is cleared again below.
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
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
    File file(fd);
    if (fd < 0) {
        file.error_ = errno;
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        file.error_ = errno;
    } else if (S_ISDIR(st.st_mode)) {
        file.error_ = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        file.error_ = kNotRegularFile;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        file.error_ = errno;
    }
    if (file.error_ != 0) {
        file.close();
    }
    return file;
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
            if (n == 0) {
                errno = EIO; // an early end: the file is shorter than it was, or the disk refused
            }
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

ReplacementFile::~ReplacementFile() {
    discard();
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : file_(std::move(other.file_)), target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})), unsynced_(other.unsynced_),
      error_(other.error_) {}

ReplacementFile& ReplacementFile::operator=(ReplacementFile&& other) noexcept {
    if (this != &other) {
        discard();
        file_ = std::move(other.file_);
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        unsynced_ = other.unsynced_;
        error_ = other.error_;
    }
    return *this;
}

void ReplacementFile::discard() {
    file_.close();
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

ReplacementFile ReplacementFile::create(const std::filesystem::path& target) {
    ReplacementFile r;
    auto fail = [&r](int error) {
        r.error_ = error;
        r.discard();
        return std::move(r);
    };
    // A symbolic link stays what it is: the file it leads to is the one replaced.
    std::filesystem::path path = target;
    for (int hops = 0;; ++hops) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            break;
        }
        if (hops == 40) {
            return fail(ELOOP);
        }
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) {
            return fail(ec.value());
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        return fail(errno);
    }
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            return fail(EISDIR);
        }
        if (!S_ISREG(old.st_mode)) {
            return fail(kNotRegularFile);
        }
        if (::access(path.c_str(), W_OK) != 0) {
            return fail(errno); // a file the caller may not write is not replaced either
        }
    }
    r.target_ = path;
    r.temporary_ = temporarySibling(path);
    const int fd =
        ::open(r.temporary_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, exists ? 0600 : 0644);
    if (fd < 0) {
        const int error = errno;
        r.temporary_.clear();
        return fail(error);
    }
    r.file_ = File(fd);
    if (exists) {
        // The owner first: a change of owner clears the set-id bits that the mode may restore.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the superuser may give a file away; the caller's own ownership is kept.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            return fail(errno);
        }
    }
    return r;
}

bool ReplacementFile::write(std::uint64_t position, std::span<const std::uint8_t> bytes) {
    if (!file_.isOpen()) {
        return false;
    }
    if (!platform::writeAt(file_.fd(), position, bytes)) {
        error_ = errno;
        return false;
    }
    unsynced_ += bytes.size();
    if (unsynced_ >= kWritebackStep) {
        ::sync_file_range(file_.fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
        unsynced_ = 0;
    }
    return true;
}

bool ReplacementFile::commit() {
    if (!file_.isOpen() || temporary_.empty()) {
        return false;
    }
    if (::fdatasync(file_.fd()) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error_ = errno;
        discard();
        return false;
    }
    temporary_.clear();
    syncFolder(target_.parent_path());
    return true;
}

bool replaceFileAtomically(const std::filesystem::path& target,
                           std::span<const std::uint8_t> bytes) {
    ReplacementFile file = ReplacementFile::create(target);
    return file.isOpen() && file.write(0, bytes) && file.commit();
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
