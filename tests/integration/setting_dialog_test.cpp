// The settings dialog driven by the pointer and the keyboard: a click on the
// sign opens it, a number of minutes typed into the timer box and OK start a
// countdown. The dialog closes, the sign shows the countdown's picture and
// the settings file records that the alarm is off.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include <QImage>

#include "clock_fixture.h"
#include "platform/Picture.h"
#include "tessuri/assets.h"

namespace desktop {
namespace {

constexpr int kLeft = 100;  // where the test places the clock
constexpr int kTop = 100;
const QRect kSign(14, 12, 22, 22);  // clock window coordinates

constexpr int kDialogWidth = 343;
constexpr int kDialogHeight = 285;
// Dialog client coordinates: the timer box (inside its frame at 229,4) and OK.
const QRect kTimerBox(229 + 13, 4 + 19, 33, 21);
const QRect kOK(249, 65, 89, 22);

// The clock at (kLeft, kTop) with a bare stage and one character, and an
// alarm time stored but no word on whether the alarm is on: the dialog
// then opens in timer mode.
std::string Settings() {
    std::ostringstream ini;
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nZOrder=False\nEvent=7\n";
    for (int c = 0; c < 5; ++c) ini << "Char" << c << "=" << (c == 0 ? "True" : "False") << "\n";
    ini << "[Alerm]\nAMPM=True\nHour=07\nMinute=30\nEve=False\n";
    return ini.str();
}

QImage Sign(const char* name) {
    tessuri::assets::init();
    const platform::Picture p = platform::LoadPicture(name);
    QImage image(p.Width(), p.Height(), QImage::Format_RGB32);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) image.setPixel(x, y, 0xFF000000u | p.Pixel(x, y));
    return image;
}

// The window's title as UTF-8, whatever the locale of this process.
std::string WindowName(unsigned long window) {
    std::string name = Run({"xdotool", "getwindowname", std::to_string(window)}).out;
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    return name;
}

// The program's visible window titled "設定"; 0 when there is none.
unsigned long FindDialog(pid_t pid) {
    for (unsigned long w : FindWindows(pid, "tessuri"))
        if (WindowName(w) == "設定") return w;
    return 0;
}

std::string AlarmEnabled(const ProgramFolder& folder) {
    IniSections sections = ParseIni(folder.ReadIni().value_or(""));
    for (const auto& [k, v] : sections["Alerm"])
        if (k == "Enabled") return v;
    return "(missing)";
}

TEST(SettingDialog, ClickOnTheSignOpensItAndATimerSetThereStartsTheCountdown) {
    const QImage idle = Sign("sign_idle"), countdown = Sign("sign_countdown");
    ASSERT_EQ(countdown.size(), kSign.size()) << "the countdown sign is missing from the program's resources";
    ASSERT_FALSE(SamePixels(idle, countdown)) << "the idle and countdown signs look alike; the test could not tell";

    ProgramFolder folder;
    folder.WriteIni(Settings());
    auto clock = StartClock(folder);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, kLeft, kTop);
    ASSERT_EQ(g.x, kLeft);
    ASSERT_EQ(g.y, kTop);
    auto grab_sign = [&] { return GrabRegion(g.x + kSign.x(), g.y + kSign.y(), kSign.width(), kSign.height()); };
    QImage shown;
    ASSERT_TRUE(PollUntil([&] { return SamePixels(shown = grab_sign(), idle); }, 5s))
        << "the sign does not show the idle picture at start; see " << SaveForInspection(shown, "sign_at_start");

    // A click on the sign opens the dialog.
    const int sign_x = g.x + kSign.center().x(), sign_y = g.y + kSign.center().y();
    PressMoveRelease(1, sign_x, sign_y, sign_x, sign_y);
    unsigned long dialog = 0;
    ASSERT_TRUE(PollUntil([&] { return (dialog = FindDialog(clock->process().pid())) != 0; }, 10s))
        << "no window titled 設定 came up\n"
        << folder.Log();
    // Its place and size, once two readings 100 ms apart agree.
    std::optional<Geometry> d, last;
    PollUntil(
        [&] {
            last = std::exchange(d, GetGeometry(dialog));
            return d && d == last;
        },
        3s, 100ms);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, kDialogWidth);
    EXPECT_EQ(d->height, kDialogHeight);

    // Five minutes typed over the timer box's text, then OK.
    const int box_x = d->x + kTimerBox.center().x(), box_y = d->y + kTimerBox.center().y();
    desktop::Run({"xdotool", "mousemove", std::to_string(box_x), std::to_string(box_y), "sleep", "0.1", "click", "1",
                  "sleep", "0.2", "key", "ctrl+a", "type", "5"});
    const int ok_x = d->x + kOK.center().x(), ok_y = d->y + kOK.center().y();
    PressMoveRelease(1, ok_x, ok_y, ok_x, ok_y);

    EXPECT_TRUE(PollUntil([&] { return FindDialog(clock->process().pid()) == 0; }, 5s))
        << "the dialog is still open after OK; see " << SaveForInspection(GrabScreen(), "dialog_after_ok");
    EXPECT_TRUE(PollUntil([&] { return SamePixels(shown = grab_sign(), countdown); }, 5s))
        << "the sign does not show the countdown picture; see " << SaveForInspection(shown, "sign_after_ok") << ", "
        << SaveForInspection(countdown, "sign_expected_countdown");
    EXPECT_TRUE(PollUntil([&] { return AlarmEnabled(folder) == "0"; }, 3s, 100ms)) << folder.ReadIni().value_or("");
    EXPECT_TRUE(clock->process().Running()) << folder.Log();
}

}  // namespace
}  // namespace desktop
