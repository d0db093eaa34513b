#include "persistence/card/card_layout.h"

#include <algorithm>
#include <cstring>

namespace zelmo::card {

namespace {

Sector blank() {
    Sector sector;
    sector.fill(0xFF);
    return sector;
}

template <std::size_t N> void putText(Sector& sector, std::size_t offset, const TextField<N>& f) {
    std::memcpy(sector.data() + offset, f.data(), N);
}

template <std::size_t N> TextField<N> getText(const Sector& sector, std::size_t offset) {
    TextField<N> field;
    std::memcpy(field.data(), sector.data() + offset, N);
    return field;
}

} // namespace

void PutBe16(std::span<std::uint8_t, kSectorSize> sector, std::size_t offset, std::uint16_t value) {
    sector[offset] = static_cast<std::uint8_t>(value >> 8);
    sector[offset + 1] = static_cast<std::uint8_t>(value);
}

void PutBe32(std::span<std::uint8_t, kSectorSize> sector, std::size_t offset, std::uint32_t value) {
    sector[offset] = static_cast<std::uint8_t>(value >> 24);
    sector[offset + 1] = static_cast<std::uint8_t>(value >> 16);
    sector[offset + 2] = static_cast<std::uint8_t>(value >> 8);
    sector[offset + 3] = static_cast<std::uint8_t>(value);
}

std::uint16_t GetBe16(std::span<const std::uint8_t, kSectorSize> sector, std::size_t offset) {
    return static_cast<std::uint16_t>(sector[offset] << 8 | sector[offset + 1]);
}

std::uint32_t GetBe32(std::span<const std::uint8_t, kSectorSize> sector, std::size_t offset) {
    return static_cast<std::uint32_t>(sector[offset]) << 24 |
           static_cast<std::uint32_t>(sector[offset + 1]) << 16 |
           static_cast<std::uint32_t>(sector[offset + 2]) << 8 |
           static_cast<std::uint32_t>(sector[offset + 3]);
}

Sector Encode(const CardHeader& header) {
    using namespace offsets;
    Sector s = blank();
    s[HeaderSignature] = header.Signature;
    PutBe32(s, HeaderRuntimeFirst, header.RuntimeFirst);
    PutBe16(s, HeaderRuntimeCount, header.RuntimeCount);
    PutBe32(s, HeaderProject, header.ProjectHeader);
    return s;
}

Sector Encode(const CardProjectHeader& header) {
    using namespace offsets;
    Sector s = blank();
    PutBe32(s, ProjectSelf, header.Self);
    s[ProjectActive] = header.ActiveDevice;
    s[ProjectDevices] = header.DeviceCount;
    PutBe32(s, ProjectImageSectors, header.ImageSectors);
    return s;
}

Sector Encode(const CardDeviceEntry& entry) {
    using namespace offsets;
    Sector s = blank();
    putText(s, DeviceVendor, entry.Vendor);
    putText(s, DeviceName, entry.Name);
    putText(s, DevicePackage, entry.Package);
    s[DeviceDataSets] = entry.DataSetCount;
    s[DeviceSelected] = entry.SelectedDataSet;
    const int count = std::min<int>(entry.DataSetCount, kMaxCardDataSets);
    for (int j = 0; j < count; ++j) {
        PutBe32(s, DeviceHeaders + 4 * static_cast<std::size_t>(j),
                entry.DataSetHeaders[static_cast<std::size_t>(j)]);
    }
    return s;
}

Sector Encode(const CardDataSetHeader& header) {
    using namespace offsets;
    Sector s = blank();
    putText(s, DataSetName, header.Name);
    PutBe32(s, DataSetCodeFirst, header.CodeFirst);
    PutBe16(s, DataSetCodeCount, header.CodeCount);
    PutBe16(s, DataSetFlags, header.Flags);
    PutBe16(s, DataSetProgramOps, header.ProgramOps);
    PutBe16(s, DataSetReadOps, header.ReadOps);
    PutBe16(s, DataSetEraseOps, header.EraseOps);
    for (std::size_t m = 0; m < kCardMemories; ++m) {
        PutBe32(s, DataSetFirsts + 4 * m, header.Memories[m].First);
        PutBe32(s, DataSetCounts + 4 * m, header.Memories[m].Count);
    }
    return s;
}

CardHeader DecodeCardHeader(const Sector& s) {
    using namespace offsets;
    CardHeader h;
    h.Signature = s[HeaderSignature];
    h.RuntimeFirst = GetBe32(s, HeaderRuntimeFirst);
    h.RuntimeCount = GetBe16(s, HeaderRuntimeCount);
    h.ProjectHeader = GetBe32(s, HeaderProject);
    return h;
}

CardProjectHeader DecodeProjectHeader(const Sector& s) {
    using namespace offsets;
    CardProjectHeader h;
    h.Self = GetBe32(s, ProjectSelf);
    h.ActiveDevice = s[ProjectActive];
    h.DeviceCount = s[ProjectDevices];
    h.ImageSectors = GetBe32(s, ProjectImageSectors);
    return h;
}

CardDeviceEntry DecodeDeviceEntry(const Sector& s) {
    using namespace offsets;
    CardDeviceEntry e;
    e.Vendor = getText<5>(s, DeviceVendor);
    e.Name = getText<25>(s, DeviceName);
    e.Package = getText<10>(s, DevicePackage);
    e.DataSetCount = s[DeviceDataSets];
    e.SelectedDataSet = s[DeviceSelected];
    const int count = std::min<int>(e.DataSetCount, kMaxCardDataSets);
    for (int j = 0; j < count; ++j) {
        e.DataSetHeaders[static_cast<std::size_t>(j)] =
            GetBe32(s, DeviceHeaders + 4 * static_cast<std::size_t>(j));
    }
    return e;
}

CardDataSetHeader DecodeDataSetHeader(const Sector& s) {
    using namespace offsets;
    CardDataSetHeader h;
    h.Name = getText<17>(s, DataSetName);
    h.CodeFirst = GetBe32(s, DataSetCodeFirst);
    h.CodeCount = GetBe16(s, DataSetCodeCount);
    h.Flags = GetBe16(s, DataSetFlags);
    h.ProgramOps = GetBe16(s, DataSetProgramOps);
    h.ReadOps = GetBe16(s, DataSetReadOps);
    h.EraseOps = GetBe16(s, DataSetEraseOps);
    for (std::size_t m = 0; m < kCardMemories; ++m) {
        h.Memories[m].First = GetBe32(s, DataSetFirsts + 4 * m);
        h.Memories[m].Count = GetBe32(s, DataSetCounts + 4 * m);
    }
    return h;
}

} // namespace zelmo::card
