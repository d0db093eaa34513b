#pragma once

// Texts of the end of start-up: the status message naming what hardware was found and the
// free-space lines of the program and swap folders.

#include "abi/hardware_api.h"

#include <QString>

#include <span>

namespace zelmo {

// "Hardware found: <model>." with one programmer; "Hardware found: N programmers. 'Gang' mode
// enabled." with several of one model and gang mode configured, "... 'Single' mode enabled."
// with several otherwise; "Hardware not found. Entered demo mode." without programmers.
QString HardwareFoundMessage(std::span<const ProgrammerInfo> programmers, bool gangCapable,
                             bool gangMode);

// `caption` followed by the short byte-size text of the space free to the user on the volume
// holding `folder` ("0 bytes" when it cannot be read).
QString FreeSpaceLine(const QString& caption, const QString& folder);

} // namespace zelmo
