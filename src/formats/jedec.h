#pragma once

// JEDEC fuse-map files of programmable logic devices: the reader fills the fuse map (one byte
// per fuse) and the 48-byte test-vector slots; the writer produces a complete file from both.

#include "formats/text_output.h"
#include "platform/progress.h"
#include "platform/result.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
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

struct JedecLoadResult : Result {
    std::uint8_t defaultTestState = 0; // 1 when the file's test condition is not 0
};

// Where the reader takes the file's text from. The reader passes over the text twice and reads
// it in pieces, so a file is never mapped: one that another process cuts short is a read error,
// not a crash.
struct JedecSource {
    std::uint64_t size = 0;
    // Reads into.size() characters at `position`; false unless all of them could be read.
    std::function<bool(std::uint64_t position, std::span<char> into)> read;
};

// `pins` is the low byte of the device's pin count. Targets are changed only once the file has
// passed its fuse and pin checks.
JedecLoadResult readJedec(const JedecSource& source, std::span<const JedecTarget> targets,
                          std::uint8_t pins, Progress* progress = nullptr);
// The same over text in memory.
JedecLoadResult readJedec(std::span<const char> text, std::span<const JedecTarget> targets,
                          std::uint8_t pins);

struct JedecHeader {
    std::string name;    // device name (8-bit text)
    std::string package; // package name
    std::string created; // creation stamp: short date and short time separated by a blank
    std::array<std::uint8_t, 4> buildDay{}; // time sum, year, month, day
    std::uint8_t pins = 0;                  // low byte of the pin count
};

struct JedecSaveResult : Result {
    int vectors = 0;
};

// Writes the whole file into `out`.
JedecSaveResult writeJedec(std::span<const std::uint8_t> fuses,
                           std::span<const std::uint8_t> vectors, const JedecHeader& header,
                           TextOutput& out);

} // namespace zelmo::formats
