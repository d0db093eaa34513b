#pragma once

// The few file facilities that Qt does not cover well for multi-gigabyte buffers: an owned file
// descriptor with positioned 64-bit transfers, a whole-file mapping, free disk space, and the
// write-to-temporary-then-rename replacement of a file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zelmo::platform {

enum class OpenMode {
    Read,           // existing file, read only
    ReadWrite,      // existing file, read and write
    ReadWriteCreate // read and write, created when missing
};

// An open file descriptor, closed on destruction. Moves, never copies.
class File {
public:
    File() = default;
    explicit File(int fd) : fd_(fd) {}
    ~File();
    File(File&& other) noexcept : fd_(other.release()) {}
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    static File open(const std::filesystem::path& path, OpenMode mode);

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int release();
    void close();

    // Size in bytes, or -1 on failure.
    std::int64_t size() const;
    bool truncate(std::uint64_t length);
    bool flush();

    // Positioned transfers of the whole span; false unless every byte moved.
    bool readAt(std::uint64_t position, std::span<std::uint8_t> bytes) const;
    bool writeAt(std::uint64_t position, std::span<const std::uint8_t> bytes);
    // Appends at the end of the file.
    bool append(std::span<const std::uint8_t> bytes);

private:
    int fd_ = -1;
};

// A mapping of a whole file (shared), unmapped on destruction. A zero-length file maps to an
// empty span that is still valid().
class Mapping {
public:
    Mapping() = default;
    ~Mapping();
    Mapping(Mapping&& other) noexcept;
    Mapping& operator=(Mapping&& other) noexcept;
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    // Maps `length` bytes of the descriptor from offset 0.
    static Mapping map(int fd, std::uint64_t length, bool writable);
    // Maps the whole file at `path` for reading.
    static Mapping mapFile(const std::filesystem::path& path);

    bool valid() const { return valid_; }
    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::span<std::uint8_t> bytes() const { return {data_, size_}; }
    // Tells the kernel the mapping will be read front to back.
    void adviseSequential() const;

private:
    void reset();
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool valid_ = false;
};

// Positioned transfers of a whole span on a descriptor the caller owns; false unless every byte
// moved.
bool readAt(int fd, std::uint64_t position, std::span<std::uint8_t> bytes);
bool writeAt(int fd, std::uint64_t position, std::span<const std::uint8_t> bytes);

// Bytes available to an unprivileged user on the volume holding `path`, or -1.
std::int64_t freeDiskSpace(const std::filesystem::path& path);

// Writes `bytes` to a temporary file in the target's folder, flushes it and renames it over
// `target`, so a crash or a full disk never leaves a truncated target.
bool replaceFileAtomically(const std::filesystem::path& target,
                           std::span<const std::uint8_t> bytes);

// Copies `from` to `to` (overwriting) through a temporary name in the target's folder and a
// rename; uses the kernel's copy path (copy_file_range or a reflink) where it can.
bool copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace zelmo::platform
