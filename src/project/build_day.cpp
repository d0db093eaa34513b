#include "project/project.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

namespace zelmo {

namespace {
constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the next colon-separated decimal field of a time text.
bool nextNumber(std::string_view& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || value < 0) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(ptr - text.data()));
    if (!text.empty() && text.front() == ':') {
        text.remove_prefix(1);
    }
    return true;
}
} // namespace

int TProject::SetBuildDay(const char* date, const char* time) {
    if (date == nullptr || time == nullptr) {
        return 0;
    }
    // Date: "Mmm dd yyyy" with a blank for a missing tens digit of the day.
    const std::string_view d(date);
    if (d.size() < 11 || d[3] != ' ') {
        return 0;
    }
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (d.substr(0, 3) == kMonths[i]) {
            month = static_cast<int>(i) + 1;
        }
    }
    const char tens = d[4];
    const char ones = d[5];
    const char y1 = d[d.size() - 2];
    const char y2 = d[d.size() - 1];
    if (month == 0 || !(tens == ' ' || digit(tens)) || !digit(ones) || !digit(y1) || !digit(y2)) {
        return 0;
    }
    const int day = (tens == ' ' ? 0 : tens - '0') * 10 + (ones - '0');
    const int year = (y1 - '0') * 10 + (y2 - '0');

    std::string_view t(time);
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (!nextNumber(t, hours) || !nextNumber(t, minutes) || !nextNumber(t, seconds)) {
        return 0;
    }
    BuildDay[0] =
        static_cast<std::uint8_t>((static_cast<long long>(hours) + minutes + seconds) % 256);
    BuildDay[1] = static_cast<std::uint8_t>(year);
    BuildDay[2] = static_cast<std::uint8_t>(month);
    BuildDay[3] = static_cast<std::uint8_t>(day);
    return 1;
}

} // namespace zelmo
