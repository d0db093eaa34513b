#pragma once

// The byte sum and the seven CRCs of the checksum calculator, computed in one pass over any
// number of consecutive byte ranges. The engine is pure: it never touches files or threads.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zelmo::editor {

// The nine calculator values (the two sums share one accumulator).
struct ChecksumValues {
    std::uint32_t Sum = 0;       // byte sum, 32-bit wrap-around ("Checksum 32"; low half "16")
    std::uint32_t Crc16 = 0;     // CRC-16/ARC
    std::uint32_t Modbus = 0;    // CRC-16/MODBUS
    std::uint32_t Dnp = 0;       // CRC-16/DNP, bytes exchanged for display
    std::uint32_t XModem = 0;    // CRC-16/XMODEM
    std::uint32_t CcittFFFF = 0; // CRC-16/IBM-3740
    std::uint32_t Ccitt1D0F = 0; // CRC-16/SPI-FUJITSU
    std::uint32_t Crc32 = 0;     // CRC-32/ISO-HDLC
};

// The 32-bit wrap-around sum of the bytes, added to `sum`.
std::uint32_t byteSum(std::span<const std::uint8_t> bytes, std::uint32_t sum = 0);

// CRC-32 continuing from `crc` in its register form (no initial value applied and no final XOR).
std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes);
// Plain CRC-32 of a whole range (initial value and final XOR applied).
std::uint32_t crc32(std::span<const std::uint8_t> bytes);

// Register of a reflected or a most-significant-bit-first 16-bit CRC after `count` zero bytes,
// starting from `crc`. Since CRCs without a final XOR are linear in their initial value, a CRC
// with initial value I over n bytes is the CRC with initial value 0 XOR this term for (I, n).
std::uint16_t crc16ArcZeros(std::uint16_t crc, std::uint64_t count);
std::uint16_t crc16XModemZeros(std::uint16_t crc, std::uint64_t count);

// CRC-32 uses carry-less multiplication where the processor has it. Passing false forces the
// table path everywhere (tests and measurements); returns whether the faster path is now used.
bool setChecksumAcceleration(bool allowed);

// Accumulates all nine values over consecutive ranges.
class ChecksumCalculator {
public:
    // With `allValues` false only the byte sum is kept (buffer-checksum mode).
    explicit ChecksumCalculator(bool allValues = true) : all_(allValues) {}
    void update(std::span<const std::uint8_t> bytes);
    // The values over everything fed so far.
    ChecksumValues result() const;
    std::uint64_t count() const { return count_; }

private:
    bool all_;
    std::uint64_t count_ = 0;
    std::uint32_t sum_ = 0;
    std::uint16_t arc_ = 0; // started from 0; MODBUS follows by the linear correction
    std::uint16_t dnp_ = 0;
    std::uint16_t xmodem_ = 0; // started from 0; the other two CCITT values follow likewise
    std::uint32_t crc32_ = 0xFFFFFFFFu;
};

// Caption and display width of each of the nine values, in the calculator's order.
struct ChecksumField {
    const char* Caption;
    int Digits;
};
extern const std::array<ChecksumField, 9> kChecksumFields;

// The nine values as shown: upper-case hexadecimal with leading zeros, in field order.
std::array<std::string, 9> formatChecksumValues(const ChecksumValues& values);

// The calculator's From and To corrections against a buffer of `size` bytes (size > 0), both
// judged on the range as typed: From stays when From <= To and From < size, else it becomes 0;
// To stays when From <= To and To < size, else it becomes size - 1.
void correctChecksumRange(std::uint32_t& from, std::uint32_t& to, std::uint32_t size);

} // namespace zelmo::editor
