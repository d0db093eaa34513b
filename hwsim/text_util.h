#pragma once

// Small text helpers of the simulated hardware library: fixed-width 8-bit fields, UTF-16
// conversion at the C interface, and the tokenising used by its two text file formats.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hwsim {

// Longest wide text accepted from a caller (a platform path).
inline constexpr std::size_t kMaxWideText = 32767;

// UTF-16 (NUL-terminated, at most kMaxWideText units) to UTF-8; null gives "".
std::string toUtf8(const char16_t* text);
// 8-bit text widened unit by unit into out (capacity units, NUL-terminated).
void toWide(std::string_view text, char16_t* out, std::size_t capacity);

// Copies text into a field of `width` bytes, cut to width - 1 and NUL-padded.
void putField(char* field, std::size_t width, std::string_view text);
// The text of a field: up to the first NUL or the field's width.
std::string_view getField(const char* field, std::size_t width);

std::string_view trim(std::string_view text);
std::vector<std::string_view> split(std::string_view text, char separator);
// Splits at runs of blanks and commas.
std::vector<std::string_view> words(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string upper(std::string_view text);
std::string lower(std::string_view text);

// Unsigned number: decimal, or hexadecimal with 0x; an optional K or M suffix multiplies by
// 1024 or 1048576. Nothing else may follow.
std::optional<std::uint64_t> parseNumber(std::string_view text);
// Two hexadecimal digits.
std::optional<std::uint8_t> parseHexByte(std::string_view text);
// printf-style formatting into a string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Bytes as "1E 0D".
std::string hexBytes(const std::vector<std::uint8_t>& bytes);

// "#RRGGBB" to 0x00BBGGRR.
std::optional<std::uint32_t> parseColor(std::string_view text);

} // namespace hwsim
