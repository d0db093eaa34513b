#pragma once

// An owned POSIX file descriptor with positioned transfers of whole byte ranges.

#include <cstdint>
#include <filesystem>
#include <span>

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

    // Opens for reading and writing, creating the file (and its folder) when asked.
    static FileHandle open(const std::filesystem::path& path, bool create);

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    std::int64_t size() const;

    // False unless every byte moved.
    bool readAt(std::uint64_t position, std::span<std::uint8_t> bytes) const;
    bool writeAt(std::uint64_t position, std::span<const std::uint8_t> bytes) const;

private:
    int fd_ = -1;
};

// The same transfers on a descriptor the handle does not own (a caller's swap file).
bool readAt(int fd, std::uint64_t position, std::span<std::uint8_t> bytes);
bool writeAt(int fd, std::uint64_t position, std::span<const std::uint8_t> bytes);
// Size of the file behind a descriptor, -1 when it is not an open file.
std::int64_t fileSize(int fd);
// Turns a byte range of a file into zeros, releasing the space where the file system can.
bool zeroRange(int fd, std::uint64_t position, std::uint64_t length);

} // namespace hwsim
