#include "operations/execution/programmers.h"

#include "project/project.h"

#include <algorithm>

namespace zelmo {

namespace {
std::uint8_t portKey(const ProgrammerInfo& programmer) {
    return static_cast<std::uint8_t>(programmer.Port);
}
} // namespace

CProgrammers::CProgrammers(std::vector<ProgrammerInfo> list,
                           std::map<std::uint8_t, std::int32_t> assignment, bool gangCapable)
    : list_(std::move(list)), assignment_(std::move(assignment)), gangCapable_(gangCapable) {
    // Every programmer of a gang has an entry, so a lookup never meets a port it does not know.
    if (list_.size() >= 2) {
        for (const ProgrammerInfo& p : list_) {
            assignment_.try_emplace(portKey(p), -1);
        }
    }
}

bool CProgrammers::Gang(const TProject& project) const {
    return list_.size() >= 2 && gangCapable_ && project.GangMode != 0;
}

int CProgrammers::SinglePosition(const TProject& project) const {
    return project.ProgrammerIndex < list_.size() ? static_cast<int>(project.ProgrammerIndex) : 0;
}

std::int32_t CProgrammers::AssignmentOf(int position) const {
    if (position < 0 || position >= Count()) {
        return -1;
    }
    const auto it = assignment_.find(portKey(At(position)));
    return it == assignment_.end() ? -1 : it->second;
}

int CProgrammers::AssignedTo(const CDevice& device) const {
    for (int i = 0; i < Count(); ++i) {
        if (AssignmentOf(i) == device.Slot) {
            return i;
        }
    }
    return -1;
}

void CProgrammers::Assign(const CDevice& device, int position) {
    for (auto& [port, assigned] : assignment_) {
        if (assigned == device.Slot) {
            assigned = -1;
        }
    }
    if (position >= 0 && position < Count()) {
        assignment_[portKey(At(position))] = device.Slot;
    }
}

int CProgrammers::ForDevice(const TProject& project, const CDevice& device) const {
    if (Demo()) {
        return -1;
    }
    return Gang(project) ? AssignedTo(device) : SinglePosition(project);
}

} // namespace zelmo
