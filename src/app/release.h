#pragma once

// The release number: the build day (project/build_day.h) shown as "%d.%02d.%02d.%02d" in the
// order hour-sum, year, month, day. A build of Feb 16 2018 at 13:33:27 is 73.18.02.16.

#include "project/build_day.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

namespace zelmo {

inline constexpr char kVersionUnknownMessage[] =
    "Can't determine Zelmo2 version.\nApplication terminated.";
inline constexpr char kReleaseAgeWarning[] =
    "Release of the software is older than 30 days. Please update.";

// "%d.%02d.%02d.%02d" of hour-sum, year, month, day.
QString ReleaseText(const BuildDayBytes& buildDay);

// True when `nowUtc` is later than the build day at 00:00 UTC plus 30 days (2,592,000 s).
bool ReleaseIsOutdated(const BuildDayBytes& buildDay, const QDateTime& nowUtc);

// The texts this program was built with (the compiler's date and time, or the moment given by
// SOURCE_DATE_EPOCH when the build had it).
const char* BuildDateText();
const char* BuildTimeText();

} // namespace zelmo
