#include "app/refresh_plan.h"

namespace zelmo {

void CRefreshPlan::Add(RefreshStep step, Handler handler) {
    steps_[static_cast<std::size_t>(step)].push_back(std::move(handler));
}

void CRefreshPlan::Run(RefreshStep step) const {
    for (const Handler& handler : steps_[static_cast<std::size_t>(step)]) {
        handler();
    }
}

void CRefreshPlan::RunAll() const {
    for (int step = 0; step < kRefreshSteps; ++step) {
        Run(static_cast<RefreshStep>(step));
    }
}

} // namespace zelmo
