#pragma once

// The build day: four bytes taken from the compiler's build date and time texts, in the order
// hours + minutes + seconds of the build time (modulo 256), two-digit year, month, day. They
// make the release number and are written into JEDEC files.

#include <array>
#include <cstdint>

namespace zelmo {

using BuildDayBytes = std::array<std::uint8_t, 4>;

// Parses a build date text of the form "Feb 16 2018" (a blank for the tens of a one-digit day)
// and a build time text "13:33:27". Returns false, and leaves `out` alone, when either text is
// absent or not of that form.
bool ParseBuildDay(const char* date, const char* time, BuildDayBytes& out);

} // namespace zelmo
