// The call-out window on virtual time: the talking face frame by frame, the
// pictures it composes pixel for pixel, and the call-outs that show it
// beside the clock and let it go again.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "callout/CallOutWindow.h"
#include "platform/Form.h"
#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"
#include "voice/Voice.h"

namespace {

using platform::LoadPicture;
using platform::Picture;
using testing_support::ClockRig;
using testing_support::RecordingSound;
using testing_support::VirtualPlatform;
using Answer = RecordingSound::Answer;

constexpr uint32_t kBackground = 0xC0C0C0;

// The face's place in the alarm layout.
constexpr int kFaceLeft = 44;
constexpr int kFaceTop = 86;

Picture FacePlace(const Picture& window) {
    return window.Crop(kFaceLeft, kFaceTop, CallOutWindow::kFace, CallOutWindow::kFace);
}

// A call-out window on its own, for the alarm of Rumika (the choice of a
// window that has not run yet), over a plain grey window picture.
class CallOutFace : public ::testing::Test {
protected:
    CallOutFace() {
        // What the face's place shows with the mouth closed and open.
        window.Window().SetBackground(Grey());
        window.DrawFace(0);
        closed = FacePlace(window.Window().Image());
        window.DrawFace(1);
        open = FacePlace(window.Window().Image());
        window.Window().SetBackground(Grey());
        vp.log.clear();
    }
    static Picture Grey() { return Picture(CallOutWindow::kWidth, CallOutWindow::kHeight, kBackground); }
    // What the face's place shows: 'c' closed, 'o' open, 'b' the background.
    char FaceShown() {
        const Picture now = FacePlace(window.Window().Image());
        return now == closed ? 'c' : now == open ? 'o' : now == FacePlace(Grey()) ? 'b' : '?';
    }
    std::ptrdiff_t Sleeps(const std::string& line) const { return std::count(vp.log.begin(), vp.log.end(), line); }

    VirtualPlatform vp;
    Voice voice{vp.sound, vp.clock, vp.folder.File("wav")};
    CallOutWindow window{vp.pump, voice, [](CallOutWindow&) {}};
    Picture closed, open;
};

TEST_F(CallOutFace, TheMouthOpensAndClosesEvery150msWhileTheClipPlays) {
    ASSERT_NE(closed, open) << "the two mouth frames must differ to be told apart";
    vp.sound.clipMs[191] = 1000;
    std::string frames;
    vp.pump.onSleep = [&](uint32_t ms) {
        EXPECT_EQ(ms, CallOutWindow::kMouthFrameMs);
        frames += FaceShown();
    };
    window.SpeakAnimation(191);
    // One frame per query, starting closed, until the clip has ended.
    EXPECT_EQ(frames, "cocococ");
    std::vector<std::string> expected{"open 0191", "play"};
    for (int i = 0; i < 8; ++i) expected.emplace_back("query");
    expected.emplace_back("close");
    EXPECT_EQ(vp.sound.clipCalls, expected);
}

TEST_F(CallOutFace, AClipThatWillNotOpenIsClosedAndNoFaceIsDrawn) {
    vp.sound.missing.insert(191);
    window.SpeakAnimation(191);
    EXPECT_EQ(FaceShown(), 'b');
    EXPECT_EQ(vp.sound.clipCalls, (std::vector<std::string>{"open 0191", "close"}));
    EXPECT_EQ(Sleeps("sleep 150"), 0);
}

TEST_F(CallOutFace, OnlyAQueryThatSaysPlayingKeepsTheMouthGoingAndTheClipIsClosedAtTheEnd) {
    struct AnswerCase {
        const char* name;
        Answer answer;  // to the second query
        int passes;     // mouth frames drawn before the talking ends
    };
    const AnswerCase cases[] = {
        {"ended", {platform::ClipError::kNone, false}, 1},
        {"still playing", {platform::ClipError::kNone, true}, 2},
        {"failed query", {platform::ClipError::kNotOpen, false}, 1},
        {"failed query that says playing", {platform::ClipError::kUnreadableFile, true}, 1},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        vp.log.clear();
        vp.sound.clipCalls.clear();
        // open, play, one "playing", then the case's answer, then "ended".
        vp.sound.script = {Answer{}, Answer{}, Answer{platform::ClipError::kNone, true}, c.answer,
                           Answer{platform::ClipError::kNone, false}};
        window.SpeakAnimation(191);
        EXPECT_EQ(Sleeps("sleep 150"), c.passes);
        const std::vector<std::string>& calls = vp.sound.clipCalls;
        EXPECT_EQ(calls.back(), "close");
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "close"), 1);
        vp.sound.script.clear();
    }
}

// The face as it must be: the background with the face frame laid in
// wherever the frame's mask is black.
Picture Expected(const Picture& background, const Picture& sheet, const Picture& mask, int sheetX, int x, int y,
                 int width, int height, Picture into) {
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const bool face = mask.Pixel(sheetX + i, j) == 0x000000;
            into.SetPixel(x + i, y + j, face ? sheet.Pixel(sheetX + i, j) : background.Pixel(x + i, y + j));
        }
    return into;
}

// A window that has run the call-out of `choice`, for the pictures it
// composes afterwards.
class CallOutPictures : public ::testing::Test {
protected:
    void RunCallOut(const CallOutChoice& choice) { window.Run(choice, platform::Rect{0, 0, 230, 170}); }

    VirtualPlatform vp;
    Voice voice{vp.sound, vp.clock, vp.folder.File("wav")};
    CallOutWindow window{vp.pump, voice, [](CallOutWindow&) {}};
};

TEST_F(CallOutPictures, AClosedMouthDrawnAfterAnOpenOneLeavesOnlyTheClosedFace) {
    RunCallOut({CallOutKind::kAlarm, Character::kYatsuha});
    const Picture background = LoadPicture("callout_bg0", CallOutWindow::kWidth, CallOutWindow::kHeight, 0xFFFFFF);
    const Picture sheet = LoadPicture("talk2", 240, 120, 0xFFFFFF);
    const Picture mask = LoadPicture("talk2_mask", 240, 120, 0xFFFFFF);
    ASSERT_FALSE(sheet == Picture(240, 120, 0xFFFFFF)) << "the face sheet is built in";
    window.Window().SetBackground(background);
    window.DrawFace(1);
    EXPECT_NE(window.Window().Image(), background);
    window.DrawFace(0);
    EXPECT_EQ(window.Window().Image(), Expected(background, sheet, mask, 0, kFaceLeft, kFaceTop, 120, 120, background));
}

TEST_F(CallOutPictures, TheCountdownPictureHasTheFaceAtTheLeftAndTheMascotInFront) {
    RunCallOut({CallOutKind::kCountdown, Character::kMazeri});
    const Picture background = LoadPicture("callout_bg1", CallOutWindow::kWidth, CallOutWindow::kHeight, 0xFFFFFF);
    const Picture sheet = LoadPicture("talk4", 240, 120, 0xFFFFFF);
    const Picture mask = LoadPicture("talk4_mask", 240, 120, 0xFFFFFF);
    const Picture mascot = LoadPicture("pokku", 86, 46, 0xFFFFFF);
    const Picture mascotMask = LoadPicture("pokku_mask", 86, 46, 0xFFFFFF);
    // The mascot (104..189 x 160..205) overlaps the face (16..135 x
    // 86..205); where both have pixels, the mascot's must show.
    int overlap = 0;
    for (int y = 160; y < 206; ++y)
        for (int x = 104; x < 136; ++x)
            if (mask.Pixel(x - 16, y - 86) == 0 && mascotMask.Pixel(x - 104, y - 160) == 0 &&
                sheet.Pixel(x - 16, y - 86) != mascot.Pixel(x - 104, y - 160))
                ++overlap;
    ASSERT_GT(overlap, 0) << "the pictures do not show which lies in front";
    window.Window().SetBackground(Picture(CallOutWindow::kWidth, CallOutWindow::kHeight, 0x123456));
    window.DrawFaceWithMascot();
    Picture expected = Expected(background, sheet, mask, 0, 16, kFaceTop, 120, 120, background);
    expected = Expected(expected, mascot, mascotMask, 0, 104, 160, 86, 46, expected);
    EXPECT_EQ(window.Window().Image(), expected);
}

// ---------------------------------------------------------------------------
// The call-outs: a window made afresh for each, beside the clock.

class CallOuts : public ::testing::Test {
protected:
    VirtualPlatform vp;
    Voice voice{vp.sound, vp.clock, vp.folder.File("wav")};
    platform::Form clock{"Tessuri"};
    CallOutWindows callOuts{vp.pump, voice, clock};
};

TEST_F(CallOuts, AnActivationDuringTheCallOutClosesTheWindowOnlyAfterIt) {
    // Qt's offscreen platform activates a window as soon as it is shown,
    // which is while the call-out still holds the thread.
    callOuts.Present({CallOutKind::kAlarm, Character::kRumika});
    ASSERT_TRUE(callOuts.Waiting());
    EXPECT_EQ(vp.log.back(), "sleep 3000");
    for (int i = 0; i < 50 && callOuts.Waiting(); ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(callOuts.Waiting());
}

TEST_F(CallOuts, ANewCallOutReplacesOneStillWaitingToClose) {
    callOuts.Present({CallOutKind::kAlarm, Character::kRumika});
    ASSERT_TRUE(callOuts.Waiting());
    vp.log.clear();
    callOuts.Present({CallOutKind::kCountdown, Character::kShiore});
    ASSERT_TRUE(callOuts.Waiting());
    EXPECT_EQ(vp.log.back(), "sleep 3000");
    EXPECT_TRUE(callOuts.Waiting()->Window().Visible());
}

TEST(CallOutOnTheClock, ComesUpBesideTheClockAboveTheOthersAndWritesNoStackingChoice) {
    struct Case {
        CallOutKind kind;
        const char* heard;  // what the call-out plays before its three seconds
    };
    ClockRig rig;
    rig.Start(10, 0, 0);
    rig.KeepStageBare();
    for (const Case c :
         {Case{CallOutKind::kAlarm, "clip open 0193"}, Case{CallOutKind::kCountdown, "play 0201 wait"}}) {
        SCOPED_TRACE(c.heard);
        rig.program.Window().Window().Move(500, 300, ClockWindow::kWidth, ClockWindow::kHeight);
        rig.vp.profile.calls.clear();
        rig.vp.log.clear();
        rig.program.CallOuts().Present({c.kind, Character::kYatsuha});
        CallOutWindow* w = rig.program.CallOuts().Waiting();
        ASSERT_TRUE(w);
        const platform::Rect r = w->Window().GetWindowRect();
        EXPECT_EQ(r.left, 556);
        EXPECT_EQ(r.top, 300);
        EXPECT_EQ(r.right - r.left, 208);
        EXPECT_EQ(r.bottom - r.top, 224);
        EXPECT_TRUE(w->Window().StaysOnTop());
        EXPECT_TRUE(w->Window().Visible());
        for (const auto& call : rig.vp.profile.calls) EXPECT_FALSE(call.write) << call.key;
        // The line, then three seconds with the finished picture.
        EXPECT_NE(std::find(rig.vp.log.begin(), rig.vp.log.end(), c.heard), rig.vp.log.end());
        EXPECT_EQ(rig.vp.log.back(), "sleep 3000");
        EXPECT_FALSE(rig.program.Window().Window().StaysOnTop());
        EXPECT_FALSE(rig.program.WindowStacking().ClockOnTop());
        // Activation closes it and lets the program forget it.
        w->Window().onActivate();
        EXPECT_FALSE(rig.program.CallOuts().Waiting());
    }
}

}  // namespace
