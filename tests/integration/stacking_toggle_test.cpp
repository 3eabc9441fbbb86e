// Switching "stay on top" on and off on a shown window, in-process on the
// real X display under openbox: the window keeps its X id, stays mapped
// and in place, and the window manager's state follows every switch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include "desktop.h"
#include "platform/Form.h"
#include "window/mdlForm.h"
#include "settings/mdlSetting.h"
#include "platform/IniFile.h"
#include "platform/QtServices.h"

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

TEST(StackingToggle, NeverUnmapsMovesOrRemakesTheWindow) {
    desktop::TempDir folder("tessuri-stacking");
    platform::RealPlatform machine;
    platform::Platform view = machine.View(folder.path().string());
    mdlSetting setting(view);
    mdlForm form(setting);

    platform::Form window("Tessuri");
    form.ShapeClockWindow(window);
    window.Move(120, 80, 230, 170);
    window.Show();
    const unsigned long id = window.NativeId();
    ASSERT_TRUE(PumpUntil([&] { return desktop::IsViewable(id); }));
    const auto placed = desktop::GetGeometry(id);
    ASSERT_TRUE(placed);

    for (bool onTop : {true, false, true, true, false}) {
        form.SetTopMost(window, onTop, true);
        EXPECT_TRUE(PumpUntil([&] { return Above(id) == onTop; })) << "on top " << onTop;
        EXPECT_EQ(window.NativeId(), id);
        EXPECT_TRUE(desktop::IsViewable(id));
        const auto now = desktop::GetGeometry(id);
        ASSERT_TRUE(now);
        EXPECT_EQ(now->x, placed->x);
        EXPECT_EQ(now->y, placed->y);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Tessuri.ini"));  // no saving asked for
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    desktop::JoinSession();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
