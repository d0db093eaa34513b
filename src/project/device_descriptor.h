#pragma once

// Reading rules of the catalogue's device descriptor and memory descriptions: which memories
// exist, the 8-bit texts of the fixed fields, the type texts and the operation sets a new device
// entry starts with.

#include "abi/device_records.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zelmo {

// Display text of a device type code ("EPROM", "Flash memory", ...); empty for unknown codes.
QString DeviceTypeText(std::uint8_t type);

// Name of one capability bit of DeviceDescriptor.Flags ("DEV_READ", ...), or of one memory flag
// of BufferInfo.Flags ("BUF_READ_ONLY", ...); nullptr for a bit without meaning.
const char* DeviceFlagName(std::uint32_t bit);
const char* BufferFlagName(std::uint32_t bit);

// Memory m (0 = A ... 3 = D) exists when its size is non-zero; out-of-range indexes do not.
bool MemoryExists(const DeviceDescriptor& descriptor, int m);
// The extra area E exists when its size is non-zero.
bool AreaEExists(const DeviceDescriptor& descriptor);
// Programmable logic devices keep a fuse map in memory A and test vectors in memory B.
inline bool IsProgrammableLogic(const DeviceDescriptor& descriptor) {
    return descriptor.Type == DT_PLD;
}
// Sum of the five memory sizes: the size of every data set's swap file.
std::uint64_t TotalMemorySize(const DeviceDescriptor& descriptor);

// The 8-bit text of a fixed-size field: up to the first NUL, never past the end of the field.
std::string_view FieldView(std::span<const char> field);
template <std::size_t N> std::string_view FieldView(const char (&field)[N]) {
    return FieldView(std::span<const char>(field, N));
}
// The same text converted from ISO 8859-1 for display.
QString FieldQString(std::span<const char> field);
template <std::size_t N> QString FieldQString(const char (&field)[N]) {
    return FieldQString(std::span<const char>(field, N));
}
// Stores text into a fixed-size field, cut to leave room for the NUL, the rest zero-filled.
void SetFieldText(std::span<char> field, std::string_view text);
template <std::size_t N> void SetFieldText(char (&field)[N], std::string_view text) {
    SetFieldText(std::span<char>(field, N), text);
}

// MemSelect of a new device entry once its memories are described: every existing memory whose
// description does not ask to start disabled, plus 0x80 when area E exists.
std::uint8_t InitialMemSelect(const DeviceDescriptor& descriptor,
                              const std::array<BufferInfo, 4>& buffers);

// Operation sets of a new device entry's tabs, seeded from the capability bits.
inline std::uint32_t EraseTabSeed(std::uint32_t flags) {
    return flags & (DEV_CHECK_ID | DEV_ERASE | DEV_BLANK_CHECK);
}
inline std::uint32_t ReadTabSeed(std::uint32_t flags) {
    return flags & (DEV_CHECK_ID | DEV_READ | DEV_VERIFY);
}
inline std::uint32_t ProgramTabSeed(std::uint32_t flags) {
    return flags & 0xFDu; // every operation bit except Read
}

} // namespace zelmo
