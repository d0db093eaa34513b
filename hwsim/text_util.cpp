#include "text_util.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace hwsim {

std::string toUtf8(const char16_t* text) {
    std::string out;
    if (text == nullptr) {
        return out;
    }
    for (std::size_t i = 0; i < kMaxWideText && text[i] != 0; ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < kMaxWideText && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // lone surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void toWide(std::string_view text, char16_t* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) {
        return;
    }
    // UTF-8 where the bytes form it, otherwise each byte as ISO 8859-1.
    std::size_t n = 0;
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size() && n + 1 < capacity) {
        std::uint32_t c = byte(i);
        std::size_t len = 1;
        if (c >= 0xC2 && c <= 0xDF && i + 1 < text.size() && (byte(i + 1) & 0xC0) == 0x80) {
            c = ((c & 0x1F) << 6) | (byte(i + 1) & 0x3F);
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF && i + 2 < text.size() && (byte(i + 1) & 0xC0) == 0x80 &&
                   (byte(i + 2) & 0xC0) == 0x80) {
            c = ((c & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
            len = 3;
            if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) {
                c = byte(i);
                len = 1;
            }
        } else if (c >= 0xF0 && c <= 0xF4 && i + 3 < text.size() && (byte(i + 1) & 0xC0) == 0x80 &&
                   (byte(i + 2) & 0xC0) == 0x80 && (byte(i + 3) & 0xC0) == 0x80) {
            c = ((c & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) | ((byte(i + 2) & 0x3F) << 6) |
                (byte(i + 3) & 0x3F);
            len = 4;
            if (c < 0x10000 || c > 0x10FFFF) {
                c = byte(i);
                len = 1;
            } else if (n + 2 >= capacity) {
                break;
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
            out[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out[n++] = static_cast<char16_t>(c);
        }
        i += len;
    }
    out[n] = 0;
}

std::string format(const char* fmt, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += format("%02X", b);
    }
    return out;
}

void putField(char* field, std::size_t width, std::string_view text) {
    if (field == nullptr || width == 0) {
        return;
    }
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

std::string_view getField(const char* field, std::size_t width) {
    if (field == nullptr) {
        return {};
    }
    const void* nul = std::memchr(field, 0, width);
    const std::size_t n = nul != nullptr ? static_cast<const char*>(nul) - field : width;
    return {field, n};
}

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(trim(text.substr(0, at)));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != ',') {
            ++i;
        }
        if (i > start) {
            out.push_back(text.substr(start, i - start));
        }
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<std::uint64_t> parseNumber(std::string_view text) {
    text = trim(text);
    std::uint64_t scale = 1;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) {
        scale = 1024;
        text.remove_suffix(1);
    } else if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) {
        scale = 1048576;
        text.remove_suffix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (value > UINT64_MAX / scale) {
        return std::nullopt;
    }
    return value * scale;
}

std::optional<std::uint8_t> parseHexByte(std::string_view text) {
    text = trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<std::uint32_t> parseColor(std::string_view text) {
    text = trim(text);
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    std::uint32_t rgb = 0;
    const auto [end, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (ec != std::errc() || end != text.data() + 7) {
        return std::nullopt;
    }
    const std::uint32_t r = (rgb >> 16) & 0xFF;
    const std::uint32_t g = (rgb >> 8) & 0xFF;
    const std::uint32_t b = rgb & 0xFF;
    return (b << 16) | (g << 8) | r;
}

} // namespace hwsim
