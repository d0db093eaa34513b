#pragma once

// The stand-alone card image: 512-byte sectors holding a card header, the runtime file, a
// project header, one entry per device and, per data set, a header, the generated code and the
// memory images. Every number is unsigned big-endian and goes through the byte helpers below;
// every record is encoded into a sector pre-filled with 0xFF, so the bytes no field names read
// 0xFF.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zelmo::card {

inline constexpr std::size_t kSectorSize = 512;
inline constexpr int kMaxCardDevices = 16;
inline constexpr int kMaxCardDataSets = 16;
inline constexpr int kCardMemories = 5; // A, B, C, D and area E
inline constexpr std::uint8_t kCardSignature = 0x55;

using Sector = std::array<std::uint8_t, kSectorSize>;

// Sectors needed for `bytes` bytes.
constexpr std::uint64_t SectorsFor(std::uint64_t bytes) {
    return bytes / kSectorSize + (bytes % kSectorSize != 0 ? 1 : 0);
}

// Big-endian fields at a byte offset of a sector.
void PutBe16(std::span<std::uint8_t, kSectorSize> sector, std::size_t offset, std::uint16_t value);
void PutBe32(std::span<std::uint8_t, kSectorSize> sector, std::size_t offset, std::uint32_t value);
std::uint16_t GetBe16(std::span<const std::uint8_t, kSectorSize> sector, std::size_t offset);
std::uint32_t GetBe32(std::span<const std::uint8_t, kSectorSize> sector, std::size_t offset);

// A fixed-width 8-bit text field, NUL-padded to its width.
template <std::size_t N> using TextField = std::array<char, N>;

// False when a field read from a card holds no terminator: its text would run past the field.
template <std::size_t N> bool FieldTerminated(const TextField<N>& field) {
    for (char c : field) {
        if (c == '\0') {
            return true;
        }
    }
    return false;
}

// Sector 0.
struct CardHeader {
    std::uint8_t Signature = kCardSignature;
    std::uint32_t RuntimeFirst = 1;
    std::uint16_t RuntimeCount = 0;
    std::uint32_t ProjectHeader = 0;
};

// Sector H.
struct CardProjectHeader {
    std::uint32_t Self = 0; // H itself
    std::uint8_t ActiveDevice = 0;
    std::uint8_t DeviceCount = 0;
    std::uint32_t ImageSectors = 0; // the first sector after the image
};

// Sector H + 1 + i for device i.
struct CardDeviceEntry {
    TextField<5> Vendor{};
    TextField<25> Name{};
    TextField<10> Package{};
    std::uint8_t DataSetCount = 0;
    std::uint8_t SelectedDataSet = 0;
    std::array<std::uint32_t, kMaxCardDataSets> DataSetHeaders{};
};

// Where one memory image lies; both 0 for a memory A to D of size 0.
struct CardExtent {
    std::uint32_t First = 0;
    std::uint32_t Count = 0;
};

// One sector S per data set.
struct CardDataSetHeader {
    TextField<17> Name{};
    std::uint32_t CodeFirst = 0; // S + 1
    std::uint16_t CodeCount = 0;
    std::uint16_t Flags = 0; // low 16 bits of the descriptor's flags
    // Operation bits of the Program, Read and Erase tabs, each with 0x100 when pin check applies.
    std::uint16_t ProgramOps = 0;
    std::uint16_t ReadOps = 0;
    std::uint16_t EraseOps = 0;
    std::array<CardExtent, kCardMemories> Memories{};
};

// Byte offsets of the fields inside their sectors.
namespace offsets {
inline constexpr std::size_t HeaderSignature = 0, HeaderRuntimeFirst = 1, HeaderRuntimeCount = 5,
                             HeaderProject = 7, HeaderEnd = 11;
inline constexpr std::size_t ProjectSelf = 0, ProjectActive = 4, ProjectDevices = 5,
                             ProjectImageSectors = 6, ProjectEnd = 10;
inline constexpr std::size_t DeviceVendor = 0, DeviceName = 5, DevicePackage = 30,
                             DeviceDataSets = 40, DeviceSelected = 41, DeviceHeaders = 42,
                             DeviceEnd = DeviceHeaders + 4 * kMaxCardDataSets;
inline constexpr std::size_t DataSetName = 0, DataSetCodeFirst = 17, DataSetCodeCount = 21,
                             DataSetFlags = 23, DataSetProgramOps = 25, DataSetReadOps = 27,
                             DataSetEraseOps = 29, DataSetFirsts = 31,
                             DataSetCounts = DataSetFirsts + 4 * kCardMemories,
                             DataSetEnd = DataSetCounts + 4 * kCardMemories;
} // namespace offsets

static_assert(offsets::DeviceName == offsets::DeviceVendor + sizeof(CardDeviceEntry::Vendor));
static_assert(offsets::DevicePackage == offsets::DeviceName + sizeof(CardDeviceEntry::Name));
static_assert(offsets::DeviceDataSets == offsets::DevicePackage + sizeof(CardDeviceEntry::Package));
static_assert(offsets::DataSetCodeFirst == sizeof(CardDataSetHeader::Name));
static_assert(offsets::DataSetCounts == 51 && offsets::DataSetEnd == 71);
static_assert(offsets::DeviceEnd <= kSectorSize && offsets::DataSetEnd <= kSectorSize);

Sector Encode(const CardHeader& header);
Sector Encode(const CardProjectHeader& header);
Sector Encode(const CardDeviceEntry& entry);
Sector Encode(const CardDataSetHeader& header);

CardHeader DecodeCardHeader(const Sector& sector);
CardProjectHeader DecodeProjectHeader(const Sector& sector);
// Only the first 16 data-set header sectors exist in the layout; a larger count is for the
// caller to refuse.
CardDeviceEntry DecodeDeviceEntry(const Sector& sector);
CardDataSetHeader DecodeDataSetHeader(const Sector& sector);

} // namespace zelmo::card
