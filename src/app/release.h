#pragma once

// The release number, derived from the build date and time: four bytes (two-digit year, month,
// day, hours + minutes + seconds of the build time modulo 256) shown as "%d.%02d.%02d.%02d" in
// the order hour-sum, year, month, day. A build of Feb 16 2018 at 13:33:27 is 73.18.02.16.

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

namespace zelmo {

using BuildDayBytes = std::array<std::uint8_t, 4>;

inline constexpr char kVersionUnknownMessage[] =
    "Can't determine Zelmo2 version.\nApplication terminated.";
inline constexpr char kReleaseAgeWarning[] =
    "Release of the software is older than 30 days. Please update.";

// Parses a build date text of the form "Feb 16 2018" (a blank for the tens of a one-digit day)
// and a build time text "13:33:27" into {year % 100, month, day, hour-sum}. Returns false, and
// leaves `out` alone, when either text is absent or not of that form.
bool ParseBuildDay(const char* date, const char* time, BuildDayBytes& out);

// "%d.%02d.%02d.%02d" of hour-sum, year, month, day.
QString ReleaseText(const BuildDayBytes& buildDay);

// True when `nowUtc` is later than the build day at 00:00 UTC plus 30 days (2,592,000 s).
bool ReleaseIsOutdated(const BuildDayBytes& buildDay, const QDateTime& nowUtc);

// The texts this program was built with (the compiler's date and time, or the moment given by
// SOURCE_DATE_EPOCH when the build had it).
const char* BuildDateText();
const char* BuildTimeText();

} // namespace zelmo
