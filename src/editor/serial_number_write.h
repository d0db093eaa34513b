#pragma once

// Writes a device's current serial number into memory A of its shown data set before the device
// is programmed, and keeps memory A's stored checksum equal to what the buffer now holds.

#include "platform/result.h"

namespace zelmo {
class CDevice;
}

namespace zelmo::editor {

// With serialization enabled: formats the current value and writes it at `Address` of memory A
// of the shown data set, then recomputes memory A's checksum from the swap file. Does nothing
// (success) when serialization is disabled. Refuses, writing nothing, a number that does not
// fit into memory A at `Address`. A failed checksum read leaves the checksum marked invalid, so
// the stored value never claims bytes that were not read.
Result WriteSerialNumber(CDevice& device);

} // namespace zelmo::editor
