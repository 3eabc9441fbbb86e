// Switching "stay on top" on and off on a shown window, in-process on the
// real X display under openbox: the window keeps its X id, stays mapped
// and in place, the window manager's state follows every switch, and the
// file keeps the user's choice (not the moment the dialog lowers the clock).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include <filesystem>
#include <functional>
#include <optional>

#include "desktop.h"
#include "platform/Form.h"
#include "platform/QtServices.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "window/Outlines.h"
#include "window/Stacking.h"

namespace {

using namespace std::chrono_literals;

bool Above(unsigned long window) {
    return desktop::WindowProperty(window, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE") != std::string::npos;
}

// Lets Qt talk to the server and the window manager until done() holds.
bool PumpUntil(const std::function<bool()>& done) {
    return desktop::PollUntil(
        [&] {
            QCoreApplication::processEvents();
            return done();
        },
        5s, 20ms);
}

// One switch and what follows it: the window manager's state, and the
// choice the file holds afterwards (nothing: the file not written yet).
struct Switch {
    const char* what;
    std::function<void(Stacking&)> apply;
    bool above;
    std::optional<bool> stored;
};

TEST(StackingToggle, NeverUnmapsMovesOrRemakesTheWindow) {
    desktop::TempDir folder("tessuri-stacking");
    platform::RealPlatform machine;
    SettingsStore store(machine.profile, folder.path().string());
    Settings settings(store);

    platform::Form window("Tessuri");
    Stacking stacking(window, settings);
    outlines::ShapeClockWindow(window);
    window.Move(120, 80, 230, 170);
    window.Show();
    const unsigned long id = window.NativeId();
    ASSERT_TRUE(PumpUntil([&] { return desktop::IsViewable(id); }));
    const auto placed = desktop::GetGeometry(id);
    ASSERT_TRUE(placed);

    const Switch switches[] = {
        {"dialog lowers a clock among the others", [](Stacking& s) { s.LowerClockForDialog(); }, false, std::nullopt},
        {"on top", [](Stacking& s) { s.SetClockOnTop(true); }, true, true},
        {"among the others", [](Stacking& s) { s.SetClockOnTop(false); }, false, false},
        {"on top", [](Stacking& s) { s.SetClockOnTop(true); }, true, true},
        {"on top again", [](Stacking& s) { s.SetClockOnTop(true); }, true, true},
        {"dialog lowers an on-top clock", [](Stacking& s) { s.LowerClockForDialog(); }, false, true},
        {"toggled from the lowered clock", [](Stacking& s) { s.ToggleClockOnTop(); }, false, false},
        {"toggled back", [](Stacking& s) { s.ToggleClockOnTop(); }, true, true},
    };
    for (const Switch& step : switches) {
        SCOPED_TRACE(step.what);
        step.apply(stacking);
        EXPECT_TRUE(PumpUntil([&] { return Above(id) == step.above; })) << "on top " << step.above;
        EXPECT_EQ(window.NativeId(), id);
        EXPECT_TRUE(desktop::IsViewable(id));
        const auto now = desktop::GetGeometry(id);
        ASSERT_TRUE(now);
        EXPECT_EQ(now->x, placed->x);
        EXPECT_EQ(now->y, placed->y);
        if (step.stored)
            EXPECT_EQ(settings.StaysOnTop(), step.stored);
        else
            EXPECT_FALSE(std::filesystem::exists(folder.path() / SettingsStore::kFileName));
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    desktop::JoinSession();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
