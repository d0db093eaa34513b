#pragma once

// The few file facilities that Qt does not cover well for multi-gigabyte buffers: an owned file
// descriptor with positioned 64-bit transfers, a whole-file mapping, free disk space, and the
// write-to-temporary-then-rename replacement of a file.
//
// Only regular files are ever opened: a pipe would block its reader for good and a device such
// as /dev/zero never ends, so both are refused before anything is read.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zelmo::platform {

// Why an open or a replacement failed when the operating system gave no errno value for it.
inline constexpr int kNotRegularFile = -1;

// The text of a failure reason: the system's own for errno values ("No space left on device"),
// "Not a regular file" for kNotRegularFile, empty for 0.
std::string errorText(int error);

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
    File(File&& other) noexcept : fd_(other.release()), error_(other.error_) {}
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens a regular file; anything else (folder, pipe, device, socket) is refused without
    // waiting for a writer or a device.
    static File open(const std::filesystem::path& path, OpenMode mode);

    bool isOpen() const { return fd_ >= 0; }
    // Why open() failed: an errno value or kNotRegularFile; 0 for an open file.
    int error() const { return error_; }
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
    int error_ = 0;
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

// The new version of a file, written beside it and put in its place only when complete. The
// temporary file lies in the folder of the file replaced (the final target when `target` is a
// symbolic link, so the link stays), takes that file's permissions and owner, and is flushed to
// disk before the rename; an uncommitted writer removes it. A crash, a kill or a full disk at any
// moment therefore leaves the old file or the new one, never a mix. An existing target must be
// a regular file the caller may write.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(ReplacementFile&& other) noexcept;
    ReplacementFile& operator=(ReplacementFile&& other) noexcept;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    static ReplacementFile create(const std::filesystem::path& target);

    bool isOpen() const { return file_.isOpen(); }
    // Why create(), write() or commit() failed: an errno value or kNotRegularFile.
    int error() const { return error_; }
    // The temporary file; after commit() the new file itself.
    const File& file() const { return file_; }

    // Positioned writes into the temporary file; false (and error() set) unless every byte moved.
    bool write(std::uint64_t position, std::span<const std::uint8_t> bytes);
    // Flushes the temporary file to disk and renames it over the target.
    bool commit();

private:
    void discard();
    File file_;
    std::filesystem::path target_;    // the file replaced, symbolic links followed
    std::filesystem::path temporary_; // empty once renamed or removed
    std::uint64_t unsynced_ = 0;      // bytes written since writeback was last started
    int error_ = 0;
};

// Replaces `target` with `bytes` through a ReplacementFile.
bool replaceFileAtomically(const std::filesystem::path& target,
                           std::span<const std::uint8_t> bytes);

// Copies `from` to `to` (overwriting) through a temporary name in the target's folder and a
// rename; uses the kernel's copy path (copy_file_range or a reflink) where it can.
bool copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace zelmo::platform
