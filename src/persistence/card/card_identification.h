#pragma once

// What the card commands report about a card from its ATA identification block (256
// little-endian 16-bit words): capacity, serial number, firmware revision and model, and the
// warnings for a card without LBA addressing or without the features the programmer needs.

#include "app/log_kind.h"
#include "persistence/card/card_layout.h"

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace zelmo::card {

struct CardLogLine {
    LogKind Kind = lkPlain;
    QString Text;
    bool operator==(const CardLogLine&) const = default;
};

// Word n of the block (bytes 2n and 2n + 1).
std::uint16_t IdentificationWord(std::span<const std::uint8_t, kSectorSize> block, int n);

// The lines logged for one identified card, indented for `programmerCount` programmers (below
// a "Card slot #n." line when there are two or more).
std::vector<CardLogLine> IdentificationLines(std::span<const std::uint8_t, kSectorSize> block,
                                             int programmerCount);

} // namespace zelmo::card
