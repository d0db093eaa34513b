#pragma once

// Which commands of the project and device bars are enabled, from the project's state: the
// busy rules for the project and for the active device, and each command's own condition.
// Recomputed by the full refresh and after every operation update; while the project has no
// device nothing changes, so there is no answer then.

#include "abi/hardware_api.h"

#include <array>
#include <optional>
#include <span>

namespace zelmo {

class TProject;

// Some device has Busy or AutoActive set.
bool ProjectBusy(const TProject& project);
// The active device has Busy or AutoActive set; in gang mode it also counts as busy while the
// project is busy and it has no programmer of its own (its index is not below the number of
// programmers).
bool ActiveDeviceBusy(const TProject& project);

struct CommandStates {
    bool NewProject = false; // "New", "Open", "Save", "Options"
    bool OpenProject = false;
    bool SaveProject = false;
    bool Options = false;
    bool AddDevice = false;       // bPlus
    bool RemoveDevice = false;    // bMinus
    bool Setup = false;           // bSetup
    bool File = false;            // bFile
    std::array<bool, 4> Memory{}; // cbMemoryA to cbMemoryD
    bool PinCheck = false;        // cbPinCheck
    bool StatClear = false;       // bStatClear
    bool GlobalStatClear = false; // bGlobalStatClear
    bool UserDescr = false;       // mUserDescr
    bool Checksum = false;        // lChecksum
    // The buffer scroll bar and the grids of the visible buffer view: disabled while the active
    // device is busy; otherwise the scroll bar is set by the buffer view's own refresh.
    bool BufferView = false;

    bool operator==(const CommandStates&) const = default;
};

// nullopt while the project has no device.
std::optional<CommandStates> ComputeCommandStates(const TProject& project);

// "New" offers the card commands when programmers are attached and every one is of the
// card-capable model 1; without programmers there is no card to reach.
bool CardCommandsAvailable(std::span<const ProgrammerInfo> programmers);

} // namespace zelmo
