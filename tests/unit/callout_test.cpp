// The call-out window on virtual time: the talking face frame by frame, the
// pictures it composes pixel for pixel, and the load that shows it beside
// the clock and lets it go again.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/frmClock.h"
#include "callout/frmChar.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::Picture;
using testing_support::VirtualPlatform;

constexpr uint32_t kClosed = 0x102030;
constexpr uint32_t kOpen = 0x405060;
constexpr uint32_t kBackground = 0xC0C0C0;

class CallOut : public ::testing::Test {
protected:
    CallOut() {
        app.clock.Main();
        app.anime.StageInterval = 7;  // a bare stage
        vp.log.clear();
    }
    frmChar& Made() {
        app.charWindow = std::make_unique<frmChar>(app);
        return *app.charWindow;
    }
    // A window whose face frames are solid: closed mouth kClosed, open kOpen.
    frmChar& WithSolidFaces() {
        frmChar& w = Made();
        Picture sheet(240, 120, kClosed);
        BitBlt(sheet, 120, 0, 120, 120, Picture(120, 120, kOpen), 0, 0, platform::RasterOp::kSrcCopy);
        w.picTimerChar[0] = sheet;
        w.picTimerCharMask[0] = Picture(240, 120, 0x000000);
        w.picBG[0] = Picture(frmChar::kWidth, frmChar::kHeight, kBackground);
        w.window.SetBackground(w.picBG[0]);
        return w;
    }
    // What the face's place in the window shows: 'c', 'o', 'b' (background).
    static char FaceShown(frmChar& w) {
        const uint32_t p = w.window.Image().Pixel(44 + 60, 86 + 60);
        return p == kClosed ? 'c' : p == kOpen ? 'o' : p == kBackground ? 'b' : '?';
    }
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const std::string& line : vp.log)
            if (line.starts_with("mci ") || line.starts_with("error-text")) out.push_back(line);
        return out;
    }

    VirtualPlatform vp;
    Application app{vp.view};
};

TEST_F(CallOut, TheMouthOpensAndClosesEvery150msWhileTheClipPlays) {
    frmChar& w = WithSolidFaces();
    vp.sound.clipMs[191] = 1000;
    std::string frames;
    vp.pump.onSleep = [&](uint32_t ms) {
        EXPECT_EQ(ms, frmChar::kMouthFrameMs);
        frames += FaceShown(w);
    };
    w.SpeakAnimation(app.voice.WavPath + "0191.wav", &w);
    // One frame per query, starting closed, until the clip has stopped.
    EXPECT_EQ(frames, "cocococ");
    const std::string open = "mci open \"" + app.voice.WavPath + "0191.wav\" type waveaudio alias wavefiles";
    std::vector<std::string> expected{open, "mci play wavefiles"};
    for (int i = 0; i < 8; ++i) expected.push_back("mci status wavefiles mode");
    expected.push_back("mci stop wavefiles");
    expected.push_back("mci close wavefiles");
    EXPECT_EQ(Commands(), expected);
}

TEST_F(CallOut, AClipThatWillNotOpenIsClosedAndNoFaceIsDrawn) {
    frmChar& w = WithSolidFaces();
    vp.sound.missing.insert(191);
    w.SpeakAnimation(app.voice.WavPath + "0191.wav", &w);
    EXPECT_EQ(FaceShown(w), 'b');
    const std::vector<std::string> commands = Commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_TRUE(commands[0].starts_with("mci open "));
    EXPECT_EQ(commands[1], "error-text 2");
    EXPECT_EQ(commands[2], "mci close wavefiles");
    EXPECT_EQ(std::count(vp.log.begin(), vp.log.end(), "sleep 150"), 0);
}

struct ReplyCase {
    const char* name;
    std::string reply;
    uint32_t result;
    int passes;        // mouth frames drawn before the loop ends
    bool stopsDevice;  // "stop" sent before "close"
};

TEST_F(CallOut, OnlyExactlyStoppedEndsTheTalkingAndAFailedQueryEndsItToo) {
    const ReplyCase cases[] = {
        {"stopped and NULs", std::string("stopped\0\0\0\0", 11), 0, 1, true},
        {"stopped", "stopped", 0, 1, true},
        {"playing", "playing", 0, 2, true},
        {"paused", "paused", 0, 2, true},
        {"Stopped", "Stopped", 0, 2, true},
        {"failed query", "", 5, 1, false},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        vp.log.clear();
        frmChar& w = WithSolidFaces();
        // open, play, one "playing", then the case's reply, then "stopped".
        vp.sound.replies = {{0, ""}, {0, ""}, {0, "playing"}, {c.result, c.reply}, {0, "stopped"}};
        w.SpeakAnimation("/p/wav/0191.wav", &w);
        EXPECT_EQ(std::count(vp.log.begin(), vp.log.end(), "sleep 150"), c.passes);
        const std::vector<std::string> commands = Commands();
        EXPECT_EQ(commands.back(), "mci close wavefiles");
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "mci stop wavefiles"), c.stopsDevice ? 1 : 0);
        vp.sound.replies.clear();
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

TEST_F(CallOut, AClosedMouthDrawnAfterAnOpenOneLeavesOnlyTheClosedFace) {
    app.setting.CallOutCharacter = 2;
    frmChar& w = Made();
    ASSERT_FALSE(w.picTimerChar[2] == Picture(240, 120, 0xFFFFFF)) << "the face sheet is built in";
    w.window.SetBackground(w.picBG[0]);
    w.DrawFace(1);
    EXPECT_NE(w.window.Image(), w.picBG[0]);
    w.DrawFace(0);
    EXPECT_EQ(w.window.Image(),
              Expected(w.picBG[0], w.picTimerChar[2], w.picTimerCharMask[2], 0, 44, 86, 120, 120, w.picBG[0]));
}

TEST_F(CallOut, TheTimerPictureHasTheFaceAtTheLeftAndTheMascotInFront) {
    app.setting.CallOutKind = 1;
    app.setting.CallOutCharacter = 4;
    frmChar& w = Made();
    // A mascot that covers its whole rectangle shows that it lies in front
    // of the face where the two overlap (columns 104..135).
    w.picCharPokku = Picture(86, 46, 0x00FF00);
    w.picCharPokkuMask = Picture(86, 46, 0x000000);
    w.window.SetBackground(Picture(frmChar::kWidth, frmChar::kHeight, 0x123456));
    w.DrawFaceWithMascot();
    Picture expected =
        Expected(w.picBG[1], w.picTimerChar[4], w.picTimerCharMask[4], 0, 16, 86, 120, 120, w.picBG[1]);
    expected = Expected(expected, w.picCharPokku, w.picCharPokkuMask, 0, 104, 160, 86, 46, expected);
    EXPECT_EQ(w.window.Image(), expected);
}

TEST_F(CallOut, ComesUpBesideTheClockAboveTheOthersAndWritesNoStackingChoice) {
    struct Case {
        int16_t kind;
        const char* heard;  // what the call-out plays before its three seconds
    };
    for (const Case c : {Case{0, "mci open"}, Case{1, "play 0201 0"}}) {
        SCOPED_TRACE(c.kind);
        app.setting.CallOutKind = c.kind;
        app.setting.CallOutCharacter = 2;
        app.clockWindow->window.Move(500, 300, frmClock::kWidth, frmClock::kHeight);
        vp.profile.calls.clear();
        vp.log.clear();
        frmChar::Load(app);
        ASSERT_TRUE(app.charWindow);
        frmChar& w = *app.charWindow;
        const platform::Rect r = w.window.GetWindowRect();
        EXPECT_EQ(r.left, 556);
        EXPECT_EQ(r.top, 300);
        EXPECT_EQ(r.right - r.left, 208);
        EXPECT_EQ(r.bottom - r.top, 224);
        EXPECT_TRUE(w.window.StaysOnTop());
        EXPECT_TRUE(w.window.Visible());
        for (const auto& call : vp.profile.calls) EXPECT_FALSE(call.write) << call.key;
        // The line, then three seconds with the finished picture.
        const auto heard = std::find_if(vp.log.begin(), vp.log.end(),
                                        [&](const std::string& l) { return l.starts_with(c.heard); });
        ASSERT_NE(heard, vp.log.end());
        if (c.kind == 0) EXPECT_NE(heard->find("0193.wav"), std::string::npos);
        EXPECT_EQ(vp.log.back(), "sleep 3000");
        EXPECT_FALSE(app.clockWindow->window.StaysOnTop());
        // Activation closes it and lets the program forget it.
        w.Form_Activate();
        EXPECT_FALSE(app.charWindow);
    }
}

TEST_F(CallOut, AnActivationDuringTheLoadClosesTheWindowOnlyAfterIt) {
    // Qt's offscreen platform activates a window as soon as it is shown,
    // which is while the load still holds the thread.
    frmChar::Load(app);
    ASSERT_TRUE(app.charWindow);
    EXPECT_EQ(vp.log.back(), "sleep 3000");
    for (int i = 0; i < 50 && app.charWindow; ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(app.charWindow);
}

TEST_F(CallOut, ANewCallOutReplacesOneStillWaitingToClose) {
    frmChar::Load(app);
    const frmChar* first = app.charWindow.get();
    ASSERT_TRUE(first);
    vp.log.clear();
    frmChar::Load(app);
    ASSERT_TRUE(app.charWindow);
    EXPECT_EQ(vp.log.back(), "sleep 3000");
    EXPECT_TRUE(app.charWindow->window.Visible());
}

}  // namespace
