#pragma once

// What a controller's run request changes in the project before Run starts.

#include "operations/controller_frame.h"

namespace zelmo {
class TProject;
}

namespace zelmo::controller {

// The operation-tab selection (OpTabsSelected) of a tab: 3 Program, 2 Read, 1 Erase.
std::uint8_t OpTabsSelectedFor(ControllerTab tab);

// Device `device` (0-based) becomes the active device, its shown data set its selected one and
// `tab` its operation tab. False, changing nothing, when the project has no such device or the
// device is running (its tab stays as it is while it runs, as for a click on the tab strip).
bool PrepareControllerRun(TProject& project, int device, ControllerTab tab);

} // namespace zelmo::controller
