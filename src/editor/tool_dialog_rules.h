#pragma once

// The rules of the buffer tool dialogs apart from their widgets: field filters, the mirrored
// fields of the fill and go-to dialogs, the ranges the dialogs open with, the fill dialog's
// choice and OK check, the checksum calculator's field corrections and the status-line checksum
// field. The dialogs only collect what the user typed, call these and show the result.

#include "editor/fill_range.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace zelmo {
struct BufferViewState;
class CDevice;
} // namespace zelmo

namespace zelmo::editor {

// A hexadecimal field: lower case becomes upper case, anything but "0" to "9" and "A" to "F"
// is dropped, and the text is cut to `maxLength` characters.
QString filterHexText(const QString& typed, int maxLength);
// A decimal field: digits only, at most `maxLength` of them.
QString filterDecimalText(const QString& typed, int maxLength);
// The value of a hexadecimal field; an empty field (or one too long for 32 bits) reads as 0.
std::uint32_t hexFieldValue(const QString& text);

// The value options of the fill dialog, in the order they are offered.
enum class FillOption { ConstByte, ConstWord, Random, SeqBytes, SeqWords, SeqDWords, Test512 };
// The order list applies to the sequential options only.
bool isSequential(FillOption option);
// The worker's kind for an option; descending adds 16 to a sequential kind.
int fillKindOf(FillOption option, bool descending);

// The byte field's mirror: the character of the hex value (nothing for an empty field or a
// control character, which a text field cannot show).
QString byteAsciiFromHex(const QString& hex);
// The word field's mirror: the high byte's character, then the low byte's.
QString wordAsciiFromHex(const QString& hex);
// Typing into the byte's character field: the code of the character as "%02x"; nothing for an
// empty field or a character that is not an 8-bit one.
std::optional<QString> byteHexFromAscii(const QString& ascii);
// Typing into the word's character field: one character gives "%04X" of its code, two give
// "%02X%02X" of the first and the second character's codes.
std::optional<QString> wordHexFromAscii(const QString& ascii);

// The range a tool works on when it opens: the selection, or the whole buffer without one.
ByteRange selectionOrBuffer(const BufferViewState& state, std::uint32_t size);

struct RangeTexts {
    QString From;
    QString To;
};
// The fill dialog's From and To for a byte range, as "%08X" cells of the display mode.
RangeTexts fillRangeTexts(const ByteRange& bytes, int mode);

// What the fill dialog returns: kind 0 for Cancel.
struct FillChoice {
    int Kind = 0;
    std::uint32_t Value = 0; // constant byte or word
    ByteRange Range;         // bytes, inclusive
};
// OK of the fill dialog: From and To in cells of `mode` checked against the buffer; nothing
// ("Invalid range.") when the range does not lie inside it.
std::optional<FillChoice> fillDialogChoice(FillOption option, bool descending,
                                           const QString& byteHex, const QString& wordHex,
                                           const QString& from, const QString& to, int mode,
                                           std::uint32_t size);

// Go to address: the decimal mirror of the hex field and the hex mirror ("%X") of the decimal
// field (an empty or invalid decimal field counts as 0).
QString goToDecimalFromHex(const QString& hex);
QString goToHexFromDecimal(const QString& decimal);

// The checksum calculator's corrections when a field is left (the values as typed; an empty
// field reads as 0): From stays when From <= To and From < size, else it becomes 0; To stays
// when From <= To and To < size, else it becomes size - 1.
std::uint32_t correctedChecksumFrom(std::uint32_t from, std::uint32_t to, std::uint32_t size);
std::uint32_t correctedChecksumTo(std::uint32_t from, std::uint32_t to, std::uint32_t size);
// "%08X".
QString hex8(std::uint32_t value);

// The status line's checksum field for the shown memory.
struct ChecksumFieldLook {
    bool Visible = false; // hidden for programmable logic devices and without a device
    QString Text;         // "%08X" or "Refresh"
    bool Grey = false;    // "Refresh" is grey
    QString Hint;
};
ChecksumFieldLook checksumFieldLook(const CDevice* device);

} // namespace zelmo::editor
