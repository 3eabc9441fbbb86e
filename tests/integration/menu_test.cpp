// The stage's right-click menu, used with the pointer and access keys.
#include <gtest/gtest.h>

#include "clock_fixture.h"

namespace desktop {
namespace {

constexpr int kLeft = 40, kTop = 40;
constexpr int kStageX = 110, kStageY = 90;  // inside the stage

// Opens the menu over the stage and chooses an item by its access key.
void Choose(const std::string& key) {
    Run({"xdotool", "mousemove", std::to_string(kLeft + kStageX), std::to_string(kTop + kStageY), "mousedown", "3",
         "sleep", "0.3", "mouseup", "3", "sleep", "0.2", "key", key});
}

TEST(StageMenu, MuteIsCheckedOnAndOffAndStoredThenExitQuits) {
    ProgramFolder folder;
    folder.WriteIni("[Setting]\nLeft=40\nTop=40\nEvent=7\n");
    auto clock = StartClock(folder);
    ASSERT_TRUE(clock);
    ASSERT_EQ(WaitForPlace(*clock, kLeft, kTop).x, kLeft);
    auto stored = [&] {
        const auto keys = SettingKeys(folder.ReadIni().value_or(""));
        const auto it = keys.find("Mute");
        return it == keys.end() ? std::string("<missing>") : it->second;
    };
    EXPECT_EQ(stored(), "<missing>");
    for (const char* want : {"True", "False"}) {
        Choose("m");
        EXPECT_TRUE(PollUntil([&] { return stored() == want; }, 3s)) << "Mute=" << stored() << ", wanted " << want;
    }
    Choose("e");
    EXPECT_EQ(clock->process().WaitExit(5s), 0);
}

}  // namespace
}  // namespace desktop
