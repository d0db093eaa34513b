#pragma once

#include "project/project.h"

#include <QString>

namespace zelmo::formats {

// The format index a file name suggests by its extension (case-insensitive): ".jed" JEDEC,
// ".pof" POF, ".txt" TI-txt, ".hex" Intel HEX, ".s" followed by a digit (s19, S28 ...)
// S-record, anything else (or no extension) binary.
FileFormat GuessFormat(const QString& fileName);

} // namespace zelmo::formats
