// The stage on the screen and at the sound server: a phase entered at its
// minute plays its clip and poses its character, composed exactly from the
// program's pictures; a walk-in is seen step by step.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <QImage>

#include "audio_sink.h"
#include "clock_fixture.h"
#include "platform/Picture.h"

namespace desktop {
namespace {

constexpr int kLeft = 100;  // where these tests place the window
constexpr int kTop = 100;
const QRect kStage(9, 59, 212, 100);  // window coordinates, and face coordinates
constexpr int kFrameWidth = 60;

std::string SettingsWithOnly(int character, int cycle) {
    std::ostringstream ini;
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nEvent=" << cycle << "\n";
    for (int c = 0; c < 5; ++c) ini << "Char" << c << "=" << (c == character ? "True" : "False") << "\n";
    return ini.str();
}

// What the stage should show: its background from the face, with frame
// `frame` of character `character` laid over it at stage column x through
// the character's mask.
class StageComposer {
public:
    explicit StageComposer(int character)
        : background_(platform::LoadPicture("face").Crop(kStage.x(), kStage.y(), kStage.width(), kStage.height())),
          sheet_(platform::LoadPicture("char" + std::to_string(character))),
          mask_(platform::LoadPicture("char" + std::to_string(character) + "_mask")) {}

    bool Complete() const { return !background_.Empty() && !sheet_.Empty() && !mask_.Empty(); }

    QImage Bare() const { return ToImage(background_); }

    QImage With(int x, int frame) const {
        platform::Picture stage = background_;
        // The mask keeps the background where it is white and blackens it
        // where it is black; the sheet's colour is then laid in.
        platform::BitBlt(stage, x, 0, kFrameWidth, stage.Height(), mask_, kFrameWidth * frame, 0,
                         platform::RasterOp::kSrcErase);
        platform::BitBlt(stage, x, 0, kFrameWidth, stage.Height(), sheet_, kFrameWidth * frame, 0,
                         platform::RasterOp::kSrcInvert);
        return ToImage(stage);
    }

private:
    static QImage ToImage(const platform::Picture& p) {
        QImage image(p.Width(), p.Height(), QImage::Format_RGB32);
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) image.setPixel(x, y, 0xFF000000u | p.Pixel(x, y));
        return image;
    }
    platform::Picture background_, sheet_, mask_;
};

QImage GrabStage() { return GrabRegion(kLeft + kStage.x(), kTop + kStage.y(), kStage.width(), kStage.height()); }

// Entering the first soaking phase at a quarter past: its clip is heard when
// the minute comes (after the walk-in's greeting), and the character poses
// at the first place in one of the two soaking frames.
TEST(Stage, EnteringAPhasePlaysItsClipAndPosesTheCharacterExactly) {
    constexpr int kCharacter = 3;
    const StageComposer composer(kCharacter);
    ASSERT_TRUE(composer.Complete()) << "pictures missing from the program's resources";
    ProgramFolder folder;
    audio::InstallToneClips(folder.dir());
    folder.WriteIni(SettingsWithOnly(kCharacter, 3));

    audio::SinkRecorder recorder;
    ASSERT_TRUE(recorder.WaitReady()) << "the null sink's monitor delivers nothing";
    // Minute 14 is the walk-in's phase (right after start-up); minute 15
    // begins the first soak, well after the walk-in's greeting has ended.
    ClockOptions options;
    options.fake_start = "2026-12-10 10:14:57";
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    ASSERT_EQ(WaitForPlace(*clock, kLeft, kTop).x, kLeft);

    const int arrive = 202 + 5 * kCharacter, soak = 203 + 5 * kCharacter;
    PollUntil([&] { return audio::JoinPieces(audio::Recognise(recorder.Snapshot().samples)).size() >= 2; }, 6s, 100ms);
    const audio::Recording recording = recorder.Stop(500ms);
    const auto heard = audio::JoinPieces(audio::Recognise(recording.samples));
    EXPECT_EQ(audio::Clips(heard), (std::vector<int>{arrive, soak})) << "heard: " << audio::Describe(heard);

    // The pose changes about once a second; any grab shows one of its frames.
    const QImage pose1 = composer.With(35, 1), pose2 = composer.With(35, 2);
    QImage shown;
    const bool matched = PollUntil(
        [&] {
            shown = GrabStage();
            return SamePixels(shown, pose1) || SamePixels(shown, pose2);
        },
        3s, 100ms);
    if (!matched) {
        ADD_FAILURE() << "the stage matches neither soaking frame at x = 35; see "
                      << SaveForInspection(shown, "stage_pose_shown") << ", "
                      << SaveForInspection(pose1, "stage_pose_expected_frame1") << ", "
                      << SaveForInspection(pose2, "stage_pose_expected_frame2");
    }
}

// The walk-in from x = -60 to 8 in steps of 4, each step on the screen.
// Under libfaketime at half speed the program's sleeps last twice as long
// too, so each step stays on the screen for about 100 ms.
TEST(Stage, WalkInIsSeenStepByStep) {
    constexpr int kCharacter = 1;
    const StageComposer composer(kCharacter);
    ASSERT_TRUE(composer.Complete()) << "pictures missing from the program's resources";
    std::vector<QImage> steps;  // x = -60 + 4 * i
    for (int x = -60; x <= 8; x += 4) steps.push_back(composer.With(x, 0));
    ProgramFolder folder;
    audio::InstallToneClips(folder.dir());
    folder.WriteIni(SettingsWithOnly(kCharacter, 3));

    // Minute 5 of the hourly cycle: the walk-in starts right after start-up.
    ClockOptions options;
    options.fake_start = "2026-12-10 10:05:00";
    options.fake_rate = 0.5;
    Clock clock(folder, options);

    // The step positions grabbed, in order, without repeats. The first steps
    // show nothing of the sprite yet; they count as x = -60.
    std::vector<int> seen;
    QImage last;
    PollUntil(
        [&] {
            last = GrabStage();
            for (size_t i = 0; i < steps.size(); ++i) {
                if (!SamePixels(last, steps[i])) continue;
                const int x = -60 + 4 * static_cast<int>(i);
                if (seen.empty() || seen.back() != x) seen.push_back(x);
                break;
            }
            return !seen.empty() && seen.back() == 8;
        },
        15s, 10ms);

    std::ostringstream positions;
    for (int x : seen) positions << x << " ";
    const bool intermediate = std::any_of(seen.begin(), seen.end(), [](int x) { return x > -60 && x < 8; });
    EXPECT_TRUE(intermediate) << "no step between -60 and 8 was seen; positions seen: " << positions.str()
                              << "; last grab: " << SaveForInspection(last, "stage_walk_last") << "\n"
                              << folder.Log();
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << "the walk went backwards: " << positions.str();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 8) << "the walk did not end at x = 8: " << positions.str();
}

}  // namespace
}  // namespace desktop
