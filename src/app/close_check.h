#pragma once

// Whether the application may close: not while an operation runs on any device (a parked
// production thread included), and not while a modified buffer of an enabled memory still has
// its file assigned somewhere in the project. The refusal carries the message to show.

#include "platform/result.h"

namespace zelmo {

class TProject;

inline constexpr char kCloseOperationInProgress[] =
    "Could not close application,\noperation in progress.";
inline constexpr char kCloseFileModified[] =
    "One or more file was modified and not saved.\nSave file or clear buffer to quit.";

Result CloseCheck(const TProject& project);

} // namespace zelmo
