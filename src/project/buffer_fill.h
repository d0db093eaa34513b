#pragma once

// Writes a byte range of one or more files in pieces of at most 64 KiB, reporting the percentage
// done and stopping between pieces when a cancel is requested. Used to initialise new swap files
// and by the buffer fill tools, which write the same bytes at the same position of every linked
// data set.

#include "platform/file_io.h"
#include "platform/progress.h"

#include <cstdint>
#include <functional>
#include <span>

namespace zelmo {

enum class FillStatus { Done, Cancelled, Failed };

// Produces the next piece of a pattern: `piece` is to be filled with the bytes that belong at
// `offset` bytes into the range.
using PieceProducer = std::function<void(std::span<std::uint8_t> piece, std::uint64_t offset)>;

// Writes `length` bytes of `value` from `start`. Null file pointers are skipped.
FillStatus FillFileRange(std::span<platform::File* const> files, std::uint64_t start,
                         std::uint64_t length, std::uint8_t value, Progress* progress = nullptr);
FillStatus FillFileRange(platform::File& file, std::uint64_t start, std::uint64_t length,
                         std::uint8_t value, Progress* progress = nullptr);

// Writes `length` bytes produced piece by piece by `produce` from `start`; each piece is made
// once and written to every file.
FillStatus WriteFileRange(std::span<platform::File* const> files, std::uint64_t start,
                          std::uint64_t length, const PieceProducer& produce,
                          Progress* progress = nullptr);

} // namespace zelmo
