#pragma once

// An owned POSIX file descriptor with positioned transfers of whole byte ranges, and the one
// way the library reads the small files it is given. Only regular files are opened: a FIFO
// would block the caller and a device such as /dev/zero would never end.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace hwsim {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens a regular file for reading and writing, creating it (and its folder) when asked.
    static FileHandle open(const std::filesystem::path& path, bool create);
    // Opens a regular file for reading only.
    static FileHandle openForReading(const std::filesystem::path& path);

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    std::int64_t size() const;

    // False unless every byte moved.
    bool readAt(std::uint64_t position, std::span<std::uint8_t> bytes) const;
    bool writeAt(std::uint64_t position, std::span<const std::uint8_t> bytes) const;

private:
    int fd_ = -1;
};

// Upper bounds of what the library reads from the files it is handed.
inline constexpr std::uint64_t kMaxConfigBytes = 1 << 20;     // configuration, control file
inline constexpr std::uint64_t kMaxCatalogueBytes = 64 << 20; // device catalogue

// The whole of a regular file of at most maxBytes. None for a missing or unreadable file and
// for anything that is not a regular file or is larger; `why` then gets the reason.
std::optional<std::string> readTextFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                        std::string* why = nullptr);
// At most maxBytes from the start of a regular file (a file's first line, say).
std::optional<std::string> readFileHead(const std::filesystem::path& path, std::size_t maxBytes);

// The same transfers on a descriptor the handle does not own (a caller's swap file).
bool readAt(int fd, std::uint64_t position, std::span<std::uint8_t> bytes);
bool writeAt(int fd, std::uint64_t position, std::span<const std::uint8_t> bytes);
// Size of the file behind a descriptor, -1 when it is not an open file.
std::int64_t fileSize(int fd);
// Turns a byte range of a file into zeros, releasing the space where the file system can.
bool zeroRange(int fd, std::uint64_t position, std::uint64_t length);

} // namespace hwsim
