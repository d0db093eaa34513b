#pragma once

// The log kind word of AddLog: a device slot for headers, and flags choosing the header form,
// a blank line before the entry, indentation, colour, a warning prefix and an open line end.

#include <cstdint>

namespace zelmo {

using LogKind = std::uint32_t;

inline constexpr LogKind lfSlotMask = 0x0000FFFF;      // device slot of a header entry
inline constexpr LogKind lfDataSetHeader = 0x00010000; // header naming device, package, data set
inline constexpr LogKind lfDeviceHeader = 0x00020000;  // header naming device and package
inline constexpr LogKind lfBlankLine = 0x00040000;     // an empty line before the entry
inline constexpr LogKind lfIndent2 = 0x00080000;       // two blanks before the text
inline constexpr LogKind lfIndent4 = 0x00100000;       // four blanks before the text
inline constexpr LogKind lfGreen = 0x00200000;
inline constexpr LogKind lfRed = 0x00400000;       // unless green
inline constexpr LogKind lfPurple = 0x00800000;    // unless green or red
inline constexpr LogKind lfWarning = 0x01000000;   // "Warning! " in red before the text
inline constexpr LogKind lfNoLineEnd = 0x02000000; // the next entry continues the line

// The kinds used across the application.
inline constexpr LogKind lkPlain = 0;
inline constexpr LogKind lkSection = lfBlankLine;                      // 0x40000
inline constexpr LogKind lkDetail = lfIndent2;                         // 0x80000
inline constexpr LogKind lkSubDetail = lfIndent4;                      // 0x100000
inline constexpr LogKind lkDetailAfterBlank = lfBlankLine | lfIndent2; // 0xC0000
inline constexpr LogKind lkSuccessDetail = lfGreen | lfIndent2;        // 0x280000
inline constexpr LogKind lkFailureDetail = lfRed | lfIndent2;          // 0x480000
inline constexpr LogKind lkFailureSubDetail = lfRed | lfIndent4;       // 0x500000
inline constexpr LogKind lkPurpleDetail = lfPurple | lfIndent2;        // 0x880000
inline constexpr LogKind lkPurpleSubDetail = lfPurple | lfIndent4;     // 0x900000
inline constexpr LogKind lkPurpleSection = lfPurple | lfBlankLine;     // 0x840000
inline constexpr LogKind lkWarning = lfWarning;                        // 0x1000000
inline constexpr LogKind lkWarningSubDetail = lfWarning | lfIndent4;   // 0x1100000
inline constexpr LogKind lkOpenSubDetail = lfNoLineEnd | lfIndent4;    // 0x2100000

// Headers after a blank line, for device slot 0-15.
constexpr LogKind lkDataSetHeaderAfterBlank(int slot) {
    return (static_cast<LogKind>(slot) & lfSlotMask) | lfDataSetHeader | lfBlankLine;
}
constexpr LogKind lkDeviceHeaderAfterBlank(int slot) {
    return (static_cast<LogKind>(slot) & lfSlotMask) | lfDeviceHeader | lfBlankLine;
}

// Reports indented once per programmer level: the shallower kind with fewer than two
// programmers attached, the deeper one otherwise.
constexpr LogKind lkDetailFor(int programmerCount) {
    return programmerCount < 2 ? lkDetail : lkSubDetail;
}
constexpr LogKind lkFailureDetailFor(int programmerCount) {
    return programmerCount < 2 ? lkFailureDetail : lkFailureSubDetail;
}
constexpr LogKind lkPurpleDetailFor(int programmerCount) {
    return programmerCount < 2 ? lkPurpleDetail : lkPurpleSubDetail;
}

static_assert(lkSection == 0x40000 && lkDetailAfterBlank == 0xC0000);
static_assert(lkSuccessDetail == 0x280000 && lkFailureDetail == 0x480000);
static_assert(lkFailureSubDetail == 0x500000 && lkPurpleDetail == 0x880000);
static_assert(lkPurpleSubDetail == 0x900000 && lkPurpleSection == 0x840000);
static_assert(lkWarningSubDetail == 0x1100000 && lkOpenSubDetail == 0x2100000);
static_assert(lkDataSetHeaderAfterBlank(3) == 0x50003 && lkDeviceHeaderAfterBlank(0) == 0x60000);

} // namespace zelmo
