#pragma once

// What a controller's run request changes in the project before Run starts.

#include "operations/controller_frame.h"

#include <optional>

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

// The answer the request gets at once after Run without a sender started `started`
// operations. Nothing when the run control answers for itself: each started operation through
// its end step, demo mode through its refusal (code 100). A Run that started nothing otherwise
// (no programmer free or assigned) is answered 1 at once, so the controller does not wait for a
// completion that never comes.
std::optional<std::int32_t> AnswerAfterRun(int started, bool demo);

} // namespace zelmo::controller
