#include "project/project.h"

namespace zelmo {

namespace {
bool validMemory(int m) {
    return m >= 0 && m <= kAreaE;
}
} // namespace

void MemoryState::OnLoaded() {
    ChecksumValid = 0;
    Modified = 0;
}

void MemoryState::OnSaved() {
    Modified = 0;
}

void MemoryState::OnEdited() {
    ChecksumValid = 0;
    Modified = 1;
}

void MemoryState::OnChecksum(std::uint32_t checksum) {
    Checksum = checksum;
    ChecksumValid = 1;
}

std::uint64_t CDataSet::MemSize(int m) const {
    if (!validMemory(m) || MemStart[m] < 0) {
        return 0;
    }
    const std::int64_t end = m == kAreaE ? static_cast<std::int64_t>(TotalSize) : MemStart[m + 1];
    return end > MemStart[m] ? static_cast<std::uint64_t>(end - MemStart[m]) : 0;
}

bool CDataSet::Read(int m, std::uint64_t offset, std::span<std::uint8_t> bytes) const {
    const std::uint64_t size = MemSize(m);
    if (!validMemory(m) || offset > size || bytes.size() > size - offset) {
        return false;
    }
    return bytes.empty() ||
           SwapFile.readAt(static_cast<std::uint64_t>(MemStart[m]) + offset, bytes);
}

bool CDataSet::Write(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    const std::uint64_t size = MemSize(m);
    if (!validMemory(m) || offset > size || bytes.size() > size - offset) {
        return false;
    }
    return bytes.empty() ||
           SwapFile.writeAt(static_cast<std::uint64_t>(MemStart[m]) + offset, bytes);
}

platform::Mapping CDataSet::Map() const {
    // A file shorter than TotalSize (still being written) is not mapped: touching the pages
    // past its end would fault.
    const std::int64_t size = SwapFile.size();
    if (size < 0 || static_cast<std::uint64_t>(size) < TotalSize) {
        return {};
    }
    return platform::Mapping::map(SwapFile.fd(), TotalSize, true);
}

std::span<std::uint8_t> CDataSet::MemoryBytes(const platform::Mapping& mapping, int m) const {
    const std::uint64_t size = MemSize(m);
    if (!validMemory(m) || !mapping.valid() || size == 0) {
        return {};
    }
    const auto start = static_cast<std::uint64_t>(MemStart[m]);
    if (start > mapping.size() || size > mapping.size() - start) {
        return {};
    }
    return mapping.bytes().subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(size));
}

} // namespace zelmo
