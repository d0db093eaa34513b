#include "project/device_descriptor.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo {

namespace {
struct NamedBit {
    std::uint32_t bit;
    const char* name;
};

constexpr std::array<NamedBit, 15> kDeviceFlags{{
    {DEV_CHECK_ID, "DEV_CHECK_ID"},
    {DEV_READ, "DEV_READ"},
    {DEV_ERASE, "DEV_ERASE"},
    {DEV_BLANK_CHECK, "DEV_BLANK_CHECK"},
    {DEV_PROGRAM, "DEV_PROGRAM"},
    {DEV_VERIFY, "DEV_VERIFY"},
    {DEV_CONFIGURE, "DEV_CONFIGURE"},
    {DEV_TEST, "DEV_TEST"},
    {DEV_PIN_CHECK, "DEV_PIN_CHECK"},
    {DEV_SETUP, "DEV_SETUP"},
    {DEV_RUN, "DEV_RUN"},
    {DEV_FILES, "DEV_FILES"},
    {DEV_ADAPTER, "DEV_ADAPTER"},
    {DEV_SERIALIZATION, "DEV_SERIALIZATION"},
    {DEV_STAND_ALONE, "DEV_STAND_ALONE"},
}};

constexpr std::array<NamedBit, 3> kBufferFlags{{
    {BUF_READ_ONLY, "BUF_READ_ONLY"},
    {BUF_MANDATORY, "BUF_MANDATORY"},
    {BUF_START_DISABLED, "BUF_START_DISABLED"},
}};

template <std::size_t N>
const char* nameOf(const std::array<NamedBit, N>& table, std::uint32_t bit) {
    for (const NamedBit& entry : table) {
        if (entry.bit == bit) {
            return entry.name;
        }
    }
    return nullptr;
}
} // namespace

QString DeviceTypeText(std::uint8_t type) {
    switch (type) {
    case DT_EPROM:
        return QStringLiteral("EPROM");
    case DT_EEPROM:
        return QStringLiteral("EEPROM");
    case DT_FLASH:
        return QStringLiteral("Flash memory");
    case DT_MICROCONTROLLER:
        return QStringLiteral("Microcontroller");
    case DT_PLD:
        return QStringLiteral("Programmable Logic Device");
    case DT_JTAG:
        return QStringLiteral("JTAG programmable device");
    case DT_SERIAL_EEPROM:
        return QStringLiteral("Serial EEPROM");
    case DT_STATIC_RAM:
        return QStringLiteral("Static RAM");
    case DT_NAND_FLASH:
        return QStringLiteral("NAND Flash");
    case DT_SERIAL_FLASH:
        return QStringLiteral("Serial Flash memory");
    case DT_OTHER:
        return QStringLiteral("Other device");
    default:
        return {};
    }
}

const char* DeviceFlagName(std::uint32_t bit) {
    return nameOf(kDeviceFlags, bit);
}

const char* BufferFlagName(std::uint32_t bit) {
    return nameOf(kBufferFlags, bit);
}

bool MemoryExists(const DeviceDescriptor& descriptor, int m) {
    return m >= 0 && m < 4 && descriptor.MemSize[m] != 0;
}

bool AreaEExists(const DeviceDescriptor& descriptor) {
    return descriptor.MemSize[4] != 0;
}

std::uint8_t InitialMemSelect(const DeviceDescriptor& descriptor,
                              const std::array<BufferInfo, 4>& buffers) {
    std::uint8_t select = AreaEExists(descriptor) ? 0x80 : 0;
    for (int m = 0; m < 4; ++m) {
        if (MemoryExists(descriptor, m) &&
            (buffers[static_cast<std::size_t>(m)].Flags & BUF_START_DISABLED) == 0) {
            select = static_cast<std::uint8_t>(select | (1u << m));
        }
    }
    return select;
}

std::uint64_t TotalMemorySize(const DeviceDescriptor& descriptor) {
    std::uint64_t total = 0;
    for (std::uint32_t size : descriptor.MemSize) {
        total += size;
    }
    return total;
}

std::string_view FieldView(std::span<const char> field) {
    const void* nul = std::memchr(field.data(), 0, field.size());
    const std::size_t length =
        nul == nullptr ? field.size()
                       : static_cast<std::size_t>(static_cast<const char*>(nul) - field.data());
    return {field.data(), length};
}

QString FieldQString(std::span<const char> field) {
    const std::string_view text = FieldView(field);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void SetFieldText(std::span<char> field, std::string_view text) {
    if (field.empty()) {
        return;
    }
    const std::size_t length = std::min(text.size(), field.size() - 1);
    std::fill(field.begin(), field.end(), '\0');
    std::copy_n(text.data(), length, field.begin());
}

} // namespace zelmo
