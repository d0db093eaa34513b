#pragma once

// The order in which the main window's views are brought up to date by a full refresh (after
// start-up and after a project is opened). Each view registers its refresh for its step; the
// full refresh runs the steps in this order, and within a step in the order of registration.

#include <array>
#include <functional>
#include <vector>

namespace zelmo {

enum class RefreshStep {
    OperationTabs,    // operation tab picture and panels
    OperationButtons, // operation buttons
    CommandStates,    // command states of the device and project bars
    ScrollBar,        // buffer scroll bar
    DeviceHeader,     // device header with memory names
    BottomTabs,       // bottom tabs
    MemorySize,       // memory size and edit lock
    FileName,         // file name
    Progress,         // progress
    Serialization,    // serialization
    Statistics,       // statistics
    GangPanels,       // gang panel visibility
};
inline constexpr int kRefreshSteps = static_cast<int>(RefreshStep::GangPanels) + 1;

class CRefreshPlan {
public:
    using Handler = std::function<void()>;

    void Add(RefreshStep step, Handler handler);
    // One step alone, for the updates that touch only one view.
    void Run(RefreshStep step) const;
    // The full refresh.
    void RunAll() const;

private:
    std::array<std::vector<Handler>, kRefreshSteps> steps_;
};

} // namespace zelmo
