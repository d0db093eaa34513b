#pragma once

// Memory A's file entry as _ZmInitLib reads it: the file the application assigned to the
// device, which the library itself reads for the devices programmed from a file (the JTAG
// kind). The record is the interface's ZmFileEntry; the application hands a pointer to it, or
// null when no file is assigned, and a record of another Size is taken as no file.

#include "abi/hardware_api.h"

namespace hwsim {

using FileEntryRecord = ZmFileEntry;

} // namespace hwsim
