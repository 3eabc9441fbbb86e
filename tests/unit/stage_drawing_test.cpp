// Drawing on the stage: which stage pixels a frame changes and to what, for
// walks that start and end off the stage, poses drawn over each other, and
// clearing.  Small made-up pictures make every pixel's origin visible.
#include <gtest/gtest.h>

#include <vector>

#include "anime/frmImageBuffer.h"
#include "app/Application.h"
#include "app/frmClock.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::Picture;
using testing_support::VirtualPlatform;

constexpr int kStageW = 212;
constexpr int kStageH = 100;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kStale = 0xABCDEF;  // what the stage held before the draw

// Background: a colour of each column and row, with white and black pixels
// sprinkled in, since those are the values a broken mask blit gets wrong.
uint32_t Background(int x, int y) {
    if ((x + y) % 7 == 0) return kWhite;
    if ((x + 2 * y) % 11 == 0) return kBlack;
    return 0x100000u + static_cast<uint32_t>(x) * 256u + static_cast<uint32_t>(y);
}

// The character of frame f covers a different shape in each frame, and its
// last four columns, so a frame cut at the stage's edge still shows.
bool Covered(int f, int fx, int y) {
    return (fx >= 5 + 3 * f && fx < 40 + 2 * f && y >= 10 && y < 90) || (fx >= 56 && y < 50);
}
uint32_t SpriteColour(int f, int fx, int y) {
    return 0x200000u * static_cast<uint32_t>(f + 1) + static_cast<uint32_t>(fx) * 256u + static_cast<uint32_t>(y);
}

struct Draw {
    int x, frame, trail;
};

// What the stage must show after the draws, from a stage full of kStale.
Picture Expected(const std::vector<Draw>& draws) {
    Picture out(kStageW, kStageH, kStale);
    for (const Draw& d : draws)
        for (int sx = std::max(0, d.x - d.trail); sx < std::min(kStageW, d.x + 60); ++sx)
            for (int y = 0; y < kStageH; ++y) {
                const int fx = sx - d.x;
                const bool sprite = fx >= 0 && Covered(d.frame, fx, y);
                out.SetPixel(sx, y, sprite ? SpriteColour(d.frame, fx, y) : Background(sx, y));
            }
    return out;
}

class StageDrawing : public ::testing::Test {
protected:
    StageDrawing() {
        app.clock.Main();
        Picture bg(kStageW, kStageH);
        for (int y = 0; y < kStageH; ++y)
            for (int x = 0; x < kStageW; ++x) bg.SetPixel(x, y, Background(x, y));
        app.clockWindow->picAnimeStage().SetPicture(bg);
        frmImageBuffer& store = app.anime.ImageBuffer();
        store.picScreenBuffer = bg;
        Picture sheet(360, kStageH, kWhite), mask(360, kStageH, kWhite);
        for (int f = 0; f < 6; ++f)
            for (int y = 0; y < kStageH; ++y)
                for (int fx = 0; fx < 60; ++fx)
                    if (Covered(f, fx, y)) {
                        sheet.SetPixel(60 * f + fx, y, SpriteColour(f, fx, y));
                        mask.SetPixel(60 * f + fx, y, kBlack);
                    }
        app.anime.StageChar = 3;
        store.picChar[3] = sheet;
        store.picCharMask[3] = mask;
        stage().Image() = Picture(kStageW, kStageH, kStale);
    }
    platform::PictureBox& stage() { return app.clockWindow->picAnimeStage(); }

    VirtualPlatform vp;
    Application app{vp.view};
};

struct DrawCase {
    const char* name;
    std::vector<Draw> draws;
};
void PrintTo(const DrawCase& c, std::ostream* os) { *os << c.name; }

class StageDraws : public StageDrawing, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(StageDraws, ChangeExactlyTheStripOnTheStage) {
    for (const Draw& d : GetParam().draws)
        app.anime.DrawStageFrame(d.x, static_cast<int16_t>(d.frame), d.trail);
    EXPECT_TRUE(stage().Image() == Expected(GetParam().draws));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageDraws,
    ::testing::Values(DrawCase{"WholeStripLeftOfTheStageChangesNothing", {{-60, 0, 4}}},
                      DrawCase{"OnlyTheLastFourColumnsEnter", {{-56, 0, 4}}},
                      DrawCase{"WalkingInWipesWhatWasLeft", {{-8, 0, 4}, {-4, 0, 4}, {0, 0, 4}, {4, 0, 4}, {8, 0, 4}}},
                      DrawCase{"AtTheRightEdgeOnlyTheTrailIsWiped", {{212, 5, 4}}},
                      DrawCase{"PastTheRightEdgeNothingChanges", {{216, 5, 4}}},
                      DrawCase{"PartlyOffTheRightEdge", {{180, 5, 4}}},
                      DrawCase{"ASecondPoseReplacesTheFirst", {{35, 1, 0}, {35, 2, 0}}},
                      DrawCase{"PosesAtTheThreePlaces", {{35, 1, 0}, {76, 2, 0}, {117, 3, 0}, {117, 4, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StageDrawing, PastTheRightEdgeLeavesTheStageAsItWas) {
    const Picture before = stage().Image();
    app.anime.DrawStageFrame(216, 5, 4);
    app.anime.DrawStageFrame(236, 5, 4);
    EXPECT_TRUE(stage().Image() == before);
}

TEST_F(StageDrawing, ClearingBringsBackTheBareBackground) {
    app.anime.DrawStageFrame(35, 1, 0);
    app.anime.DrawStageFrame(152, 5, 4);
    app.anime.ClearStage();
    EXPECT_TRUE(stage().Image() == stage().GetPicture());
    EXPECT_TRUE(stage().Image() == app.anime.ImageBuffer().picScreenBuffer);
}

TEST(StageStore, CleanBackgroundIsTheStagePictureAndOnlyTheStageCharactersSheetsAreHeld) {
    VirtualPlatform vp;
    Application app(vp.view);
    app.clock.Main();
    EXPECT_FALSE(app.imageBuffer);  // made by the first drawing, not before
    for (int c : {0, 1, 2, 3, 4, 2}) {
        app.anime.StageChar = static_cast<int16_t>(c);
        app.anime.DrawStageFrame(35, 1, 0);
        ASSERT_TRUE(app.imageBuffer);
        EXPECT_TRUE(app.imageBuffer->picScreenBuffer == app.clockWindow->picAnimeStage().GetPicture());
        for (int i = 0; i < 5; ++i) {
            const frmImageBuffer& store = *app.imageBuffer;
            if (i == c) {
                EXPECT_EQ(store.picChar[i].Width(), 360) << "character " << c;
                EXPECT_NE(store.picChar[i], store.picCharMask[i]) << "character " << c;
            } else {
                EXPECT_TRUE(store.picChar[i].Empty() && store.picCharMask[i].Empty())
                    << "character " << i << " still held while " << c << " is on the stage";
            }
        }
    }
}

}  // namespace
