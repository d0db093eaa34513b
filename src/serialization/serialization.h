#pragma once

// The serial number of one device entry: how it is formatted into memory A before a device is
// programmed, how it advances afterwards, and the settings file that keeps it between runs.
// Formatting produces bytes only; the caller writes them into the buffer.

#include <QString>

#include <cstdint>
#include <vector>

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

    // Sets every field but Enabled and FileName to the values of a new record.
    void Reset();

    // Digits of the current mode: Length in ASCII mode, 2 x Length in binary mode; 0 for a
    // length outside 1..8 (binary) or 1..16 (ASCII).
    static int Digits(std::uint8_t length, bool binary);
    // Largest value for a length and mode: 16^D - 1 (hexadecimal) or 10^D - 1 (decimal); 0 for
    // an invalid length.
    static std::uint64_t Maximum(std::uint8_t length, bool binary, bool hex);
    std::uint64_t Maximum() const { return Maximum(Length, BinaryMode != 0, HexType != 0); }

    // The Length bytes that "write serial number" puts at Address of memory A, in buffer order.
    // Empty for an invalid length.
    std::vector<std::uint8_t> FormatBytes() const;

    // Current as text: upper-case hexadecimal with D digits, or decimal without leading zeros.
    QString ValueText() const;

    // Current += Step with the wrap of the current mode, then "Current" is rewritten in the
    // file. False with the message when the file cannot be updated; the new value stays.
    bool Advance(QString* message = nullptr);

    // Reads every key from FileName; false with "Could not open serialization file." (fields
    // unchanged) when it cannot be read or holds a Length outside its mode's range.
    bool LoadFromFile(QString* message = nullptr);
    // Writes every key into FileName as a new document (replacing the file).
    bool SaveToFile(QString* message = nullptr) const;
};

} // namespace zelmo
