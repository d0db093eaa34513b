#pragma once

// JEDEC fuse-map files of programmable logic devices: the reader fills the fuse map (one byte
// per fuse) and the 48-byte test-vector slots; the writer produces a complete file from both.

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zelmo::formats {

inline constexpr std::size_t kVectorSlot = 48;
inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;

// The memories of one target: the fuse map (memory A) and the vector slots (memory B).
struct JedecTarget {
    std::span<std::uint8_t> fuses;
    std::span<std::uint8_t> vectors;
};

struct JedecLoadResult {
    bool ok = false;
    QString message;
    std::uint8_t defaultTestState = 0; // 1 when the file's test condition is not 0
};

// `pins` is the low byte of the device's pin count. Targets are changed only once the file has
// passed its fuse and pin checks.
JedecLoadResult readJedec(std::span<const char> text, std::span<const JedecTarget> targets,
                          std::uint8_t pins);

struct JedecHeader {
    std::string name;    // device name (8-bit text)
    std::string package; // package name
    std::string created; // creation stamp: short date and short time separated by a blank
    std::array<std::uint8_t, 4> buildDay{}; // time sum, year, month, day
    std::uint8_t pins = 0;                  // low byte of the pin count
};

struct JedecSaveResult {
    bool ok = false;
    QString message;
    int vectors = 0;
};

// Writes the whole file into `out`.
JedecSaveResult writeJedec(std::span<const std::uint8_t> fuses,
                           std::span<const std::uint8_t> vectors, const JedecHeader& header,
                           std::string& out);

} // namespace zelmo::formats
