#include "project/project.h"

#include <QThread>

namespace zelmo {

namespace {

bool validMemory(int m) {
    return m >= 0 && m <= kAreaE;
}

// On the notifier's thread (the main thread) a data set reports its changes; anywhere else, or
// without a notifier, it stays silent.
CProjectNotifier* reportingNotifier(const CDataSet* dataSet) {
    if (dataSet == nullptr || dataSet->Notifier == nullptr ||
        QThread::currentThread() != dataSet->Notifier->thread()) {
        return nullptr;
    }
    return dataSet->Notifier;
}

} // namespace

void MemoryState::set(std::uint8_t modified, std::uint8_t valid, std::uint32_t checksum) {
    const bool modifiedChanged = Modified != modified;
    // An invalid checksum's value means nothing, so only a valid one's value counts.
    const bool checksumChanged = ChecksumValid != valid || (valid != 0 && Checksum != checksum);
    Modified = modified;
    ChecksumValid = valid;
    Checksum = checksum;
    if (CProjectNotifier* notifier = reportingNotifier(owner_)) {
        if (modifiedChanged) {
            emit notifier->ModifiedChanged(owner_, index_);
        }
        if (checksumChanged) {
            emit notifier->ChecksumChanged(owner_, index_);
        }
    }
}

void MemoryState::reportFiles() {
    if (CProjectNotifier* notifier = reportingNotifier(owner_)) {
        emit notifier->FileEntryChanged(owner_, index_);
    }
}

void MemoryState::OnLoaded() {
    set(0, 0, Checksum);
}

void MemoryState::OnSaved() {
    set(0, ChecksumValid, Checksum);
}

void MemoryState::OnEdited() {
    set(1, 0, Checksum);
}

void MemoryState::OnChecksum(std::uint32_t checksum) {
    set(Modified, 1, checksum);
}

void MemoryState::OnChecksumUnknown() {
    set(Modified, 0, Checksum);
}

void MemoryState::OnFilled(std::uint32_t checksum) {
    set(1, 1, checksum);
}

void MemoryState::OnCleared(std::uint32_t checksum) {
    set(0, 1, checksum);
    if (Current) {
        Current.reset();
        reportFiles();
    }
}

void MemoryState::SetFiles(const std::array<FileEntryPtr, kRecentFiles>& recent) {
    Recent = recent;
    Current = Recent[0];
    reportFiles();
}

void MemoryState::SetCurrent(FileEntryPtr entry) {
    if (Current == entry) {
        return;
    }
    Current = std::move(entry);
    reportFiles();
}

void MemoryState::OnFileEntryChanged() {
    reportFiles();
}

void MemoryState::CopyStateFrom(const MemoryState& other) {
    set(other.Modified, other.ChecksumValid, other.Checksum);
}

CDataSet::CDataSet() {
    for (int m = 0; m < kMemories; ++m) {
        Memories[static_cast<std::size_t>(m)].owner_ = this;
        Memories[static_cast<std::size_t>(m)].index_ = m;
    }
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
    if (bytes.empty()) {
        return true;
    }
    const bool written = SwapFile.writeAt(static_cast<std::uint64_t>(MemStart[m]) + offset, bytes);
    // A failed write may still have changed some of the bytes.
    if (CProjectNotifier* notifier = reportingNotifier(this);
        notifier != nullptr && m < kMemories) {
        emit notifier->BytesChanged(this, m, offset, bytes.size());
    }
    return written;
}

void CDataSet::OnBytesChanged(int m, std::uint64_t offset, std::uint64_t length) {
    if (CProjectNotifier* notifier = reportingNotifier(this);
        notifier != nullptr && m >= 0 && m < kMemories && length > 0) {
        emit notifier->BytesChanged(this, m, offset, length);
    }
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
