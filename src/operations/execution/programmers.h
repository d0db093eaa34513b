#pragma once

// The attached programmers as the device operations see them: the list sorted at start-up, the
// assignment of programmers to devices, and the mode the configuration makes of them (demo,
// single or gang). One pairing rule serves every action in gang mode: a device is served by the
// programmer assigned to it, whether it runs, starts production, is polled or is stopped.

#include "abi/hardware_api.h"

#include <cstdint>
#include <map>
#include <vector>

namespace zelmo {

class CDevice;
class TProject;

class CProgrammers {
public:
    CProgrammers() = default;
    // `assignment` maps each programmer's port to a device assignment id, -1 for free; start-up
    // fills it when two or more programmers are attached.
    CProgrammers(std::vector<ProgrammerInfo> list, std::map<std::uint8_t, std::int32_t> assignment,
                 bool gangCapable);

    int Count() const { return static_cast<int>(list_.size()); }
    const ProgrammerInfo& At(int position) const {
        return list_[static_cast<std::size_t>(position)];
    }
    const std::vector<ProgrammerInfo>& List() const { return list_; }

    // No programmer attached: every device operation is refused.
    bool Demo() const { return list_.empty(); }
    // Two or more programmers of one model with the configuration's GangMode on. Programmers of
    // different models never run as a gang, whatever GangMode says: start-up announced single
    // mode for them.
    bool Gang(const TProject& project) const;
    // The programmer used in single mode: ProgrammerIndex, or 0 when it names none.
    int SinglePosition(const TProject& project) const;

    // Position of the programmer assigned to the device (by its Slot id), -1 for none.
    int AssignedTo(const CDevice& device) const;
    // The device assignment id of the programmer at `position`, -1 when it serves none.
    std::int32_t AssignmentOf(int position) const;
    // Releases every programmer assigned to the device, then assigns the one at `position` to
    // it (taking it over from a device it served before).
    void Assign(const CDevice& device, int position);
    const std::map<std::uint8_t, std::int32_t>& Assignment() const { return assignment_; }

    // The programmer that serves the device's operations: the assigned one in gang mode, the
    // single-mode one otherwise; -1 when there is none (demo mode, or no assignment).
    int ForDevice(const TProject& project, const CDevice& device) const;

private:
    std::vector<ProgrammerInfo> list_;
    std::map<std::uint8_t, std::int32_t> assignment_;
    bool gangCapable_ = false;
};

} // namespace zelmo
