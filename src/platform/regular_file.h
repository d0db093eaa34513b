#pragma once

// Opening a file for reading only when it is a regular file. Files that anyone may have put in
// place (settings documents, adapter files, logos, the card runtime file) may be FIFOs or
// devices: a FIFO would block the open until a writer appears and a device could be read
// without end, so both are refused before a byte is read.

#include "platform/file_io.h"

#include <filesystem>

namespace zelmo::platform {

// The file opened read-only when it is a regular file or a link to one; a closed File for
// anything else, for a missing file and for one that cannot be opened. Never waits.
File openRegularFile(const std::filesystem::path& path);

} // namespace zelmo::platform
