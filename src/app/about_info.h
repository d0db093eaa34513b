#pragma once

// What the About box shows for the programmer at a position, how its arrows step through the
// programmers, and where the maker's updater program is installed.

#include "abi/hardware_api.h"

#include <QString>

#include <span>

namespace zelmo {

inline constexpr char kMakerWebSite[] = "https://tervanik.example/";
inline constexpr char kUpdaterNotFound[] = "Updater not found.\nIs it installed?";
inline constexpr char kUpdaterNotStarted[] = "Couldn't execute Updater.";

struct AboutPage {
    QString Model;           // model name, "Demo mode" without programmers
    QString HardwareVersion; // "-" in demo mode
    QString FirmwareVersion;
    QString SerialNumber;
    QString Position;     // "Device p of n", empty in demo mode
    bool CanStep = false; // "<" and ">" with more than one programmer
};

// "%d.%02X.%02X.%02X" of a firmware version.
QString FirmwareText(const std::uint8_t (&version)[4]);

// The page for `position` (taken modulo the count) among `programmers`.
AboutPage AboutPageFor(std::span<const ProgrammerInfo> programmers, int position);
// The position after stepping by `delta` with wrap-around.
int StepPosition(int position, int delta, int count);

// The updater program: the folder in the "Location" value of the maker's "Updater" record
// (organisation "TERVANIK") followed by "/Updater"; empty when the record or the value is missing.
QString UpdaterProgram();

} // namespace zelmo
