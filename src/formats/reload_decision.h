#pragma once

// Whether an operation's reload step loads a memory's file again. "ReloadFile" 1 always
// reloads; 2 reloads only a modified buffer or a file whose last-write time changed since it was
// loaded or saved.

#include "project/project.h"

#include <QString>

namespace zelmo::formats {

enum class ReloadAction {
    Load,   // load the Current entry again
    Skip,   // unchanged: go on with the next memory
    Failed, // message() says why; the operation is cancelled
};

struct ReloadDecision {
    ReloadAction action = ReloadAction::Load;
    QString message;      // the log text for Skip and Failed
    bool warning = false; // Failed because the file could not be opened (logged as a warning)
};

ReloadDecision DecideReload(std::uint8_t reloadFile, const MemoryState& state);

} // namespace zelmo::formats
