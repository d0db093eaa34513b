#pragma once

// What the Intel HEX and S-record reader tests share: feeding a text to a reader in small pieces,
// as a file read in blocks does, and readable names for table cases.

#include "formats/record_reader.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelmo::formats::test {

struct PieceRun {
    ParseStep step = ParseStep::More;
    QString message;
    std::vector<std::uint8_t> memory;
};

// Runs a fresh reader over `text` handed over `piece` characters at a time into one memory of
// `settings.memSize` bytes that starts as 0xEE.
template <typename Reader>
PieceRun feedInPieces(const std::string& text, const RecordLoadSettings& settings,
                      std::size_t piece) {
    PieceRun run;
    run.memory.assign(settings.memSize, 0xEE);
    const std::vector<std::span<std::uint8_t>> one{run.memory};
    Reader reader(one, settings);
    std::string pending;
    for (std::size_t at = 0; run.step == ParseStep::More;) {
        const std::size_t n = std::min(piece, text.size() - at);
        pending.append(text, at, n);
        at += n;
        std::size_t consumed = 0;
        run.step = reader.parse(pending, at == text.size(), consumed);
        pending.erase(0, consumed);
    }
    run.message = reader.message();
    return run;
}

// A test-name form of a case description: letters and digits kept, the rest as "_".
inline std::string caseName(std::string name) {
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
}

} // namespace zelmo::formats::test
