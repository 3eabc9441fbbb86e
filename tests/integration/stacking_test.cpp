// Keeping the clock above other windows, as the window manager sees it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "clock_fixture.h"

namespace desktop {
namespace {

bool KeptAbove(unsigned long window) {
    return WindowProperty(window, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE") != std::string::npos;
}

struct Stacking {
    const char* name;
    const char* ini;  // settings file before the start; null for none
    bool above;
};
void PrintTo(const Stacking& c, std::ostream* os) { *os << c.name; }

class StartUpStacking : public ::testing::TestWithParam<Stacking> {};

TEST_P(StartUpStacking, FollowsZOrderAndWritesItBack) {
    const Stacking& c = GetParam();
    ProgramFolder folder;
    if (c.ini) folder.WriteIni(c.ini);
    auto clock = StartClock(folder);
    ASSERT_TRUE(clock);
    // The window manager sets the state a moment after the window is mapped.
    PollUntil([&] { return KeptAbove(clock->window()) == c.above; }, 3s);
    EXPECT_EQ(KeptAbove(clock->window()), c.above) << WindowProperty(clock->window(), "_NET_WM_STATE");
    EXPECT_EQ(SettingKeys(folder.ReadIni().value_or("")).at("ZOrder"), c.above ? "True" : "False");
}

INSTANTIATE_TEST_SUITE_P(Settings, StartUpStacking,
                         ::testing::Values(Stacking{"NoFile", nullptr, false},
                                           Stacking{"ZOrderFalse", "[Setting]\nZOrder=False\n", false},
                                           Stacking{"ZOrderTrue", "[Setting]\nZOrder=True\n", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace desktop
