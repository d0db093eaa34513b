#include "project/build_day.h"

#include "project/project.h"

#include <cstring>

namespace zelmo {

namespace {

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

bool TwoDigits(const char* p, int& value) {
    if (!Digit(p[0]) || !Digit(p[1])) {
        return false;
    }
    value = (p[0] - '0') * 10 + (p[1] - '0');
    return true;
}

} // namespace

bool ParseBuildDay(const char* date, const char* time, BuildDayBytes& out) {
    if (date == nullptr || time == nullptr || std::strlen(date) < 11 || std::strlen(time) < 8) {
        return false;
    }
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        if (std::strncmp(date, kMonths[m], 3) == 0) {
            month = m + 1;
        }
    }
    int day = 0;
    if (date[4] == ' ' && Digit(date[5])) {
        day = date[5] - '0';
    } else if (!TwoDigits(date + 4, day)) {
        return false;
    }
    int year = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (month == 0 || day < 1 || day > 31 || date[3] != ' ' || date[6] != ' ' ||
        !TwoDigits(date + 9, year) || !TwoDigits(time, hours) || time[2] != ':' ||
        !TwoDigits(time + 3, minutes) || time[5] != ':' || !TwoDigits(time + 6, seconds)) {
        return false;
    }
    out = {static_cast<std::uint8_t>(hours + minutes + seconds), static_cast<std::uint8_t>(year),
           static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day)};
    return true;
}

int TProject::SetBuildDay(const char* date, const char* time) {
    return ParseBuildDay(date, time, BuildDay) ? 1 : 0;
}

} // namespace zelmo
