#include "app/refresh_plan.h"

#include <gtest/gtest.h>

#include <string>

namespace zelmo {
namespace {

TEST(RefreshPlan, FullRefreshRunsStepsInOrderWhateverTheRegistrationOrder) {
    CRefreshPlan plan;
    std::string ran;
    plan.Add(RefreshStep::GangPanels, [&] { ran += "gang "; });
    plan.Add(RefreshStep::CommandStates, [&] { ran += "commands "; });
    plan.Add(RefreshStep::OperationTabs, [&] { ran += "tabs "; });
    plan.Add(RefreshStep::BottomTabs, [&] { ran += "bottom1 "; });
    plan.Add(RefreshStep::BottomTabs, [&] { ran += "bottom2 "; });
    plan.Add(RefreshStep::DeviceHeader, [&] { ran += "header "; });
    plan.RunAll();
    EXPECT_EQ(ran, "tabs commands header bottom1 bottom2 gang ");

    ran.clear();
    plan.Run(RefreshStep::BottomTabs);
    EXPECT_EQ(ran, "bottom1 bottom2 ");
}

} // namespace
} // namespace zelmo
