#pragma once

// The serial number of one device entry: how it is formatted into memory A before a device is
// programmed, how it advances afterwards, and the settings file that keeps it between runs.

#include <QString>

#include <cstdint>

namespace zelmo {

class CSerialization {
public:
    std::uint8_t Enabled = 0;
    QString FileName;
    std::uint8_t Type = 0; // 0 = generated numbers, 1 = numbers from a file
    std::uint32_t Address = 0;
    std::uint64_t Current = 0;
    std::uint64_t Step = 1;
    std::uint8_t Length = 2;
    std::uint8_t BinaryMode = 1;
    std::uint8_t MsbOrder = 1;
    std::uint8_t HexType = 1;
};

} // namespace zelmo
