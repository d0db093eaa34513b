#pragma once

// The names a device header of the log shows for device slot N: the device's name and package
// and, for a data-set header, one of its data sets. For the active device that is the data set
// shown in the buffer views; any other device names its own selected data set (the one its
// operations use and its tree node shows when chosen), never a position it does not have.

#include "app/message_log.h"

namespace zelmo {

class TProject;

// Empty names for a slot without a device.
LogHeaderNames HeaderNamesFor(const TProject& project, int slot);

} // namespace zelmo
