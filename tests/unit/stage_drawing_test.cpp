// Drawing on the stage: which stage pixels a frame changes and to what, for
// walks that start and end off the stage, poses drawn over each other, and
// clearing.  A made-up background with a colour for every pixel shows where
// each stage pixel came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/Form.h"
#include "stage/StageCanvas.h"

namespace {

using platform::Picture;

constexpr int kStageW = 212;
constexpr int kStageH = 100;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kStale = 0xABCDEF;  // what the stage held before the draw
// The character drawn: its frames 1 to 4 reach column 57 of their 60, its
// frame 5 column 0, so frames cut at the stage's edges still show (each
// case checks whether any of its pixels reach the stage).
constexpr Character kWho = Character::kRumika;

// Background: a colour of each column and row, with white and black pixels
// sprinkled in, since those are the values a broken mask blit gets wrong.
uint32_t Background(int x, int y) {
    if ((x + y) % 7 == 0) return kWhite;
    if ((x + 2 * y) % 11 == 0) return kBlack;
    return 0x100000u + static_cast<uint32_t>(x) * 256u + static_cast<uint32_t>(y);
}

Picture BackgroundPicture() {
    Picture bg(kStageW, kStageH);
    for (int y = 0; y < kStageH; ++y)
        for (int x = 0; x < kStageW; ++x) bg.SetPixel(x, y, Background(x, y));
    return bg;
}

struct Draw {
    int x, frame, trail;
};

class StageDrawing : public ::testing::Test {
protected:
    StageDrawing() {
        stage.SetPicture(BackgroundPicture());
        // The character's own sheet and mask, as the drawing loads them.
        SpriteStore& store = canvas.Store();
        store.Hold(kWho);
        sheet = store.Sheet();
        mask = store.Mask();
        stage.Image() = Picture(kStageW, kStageH, kStale);
    }

    // What the stage must show after the draws, from a stage full of
    // kStale: the sheet's pixel where the mask is black, the background
    // elsewhere in the strip.  *spritePixels counts the sheet's pixels.
    Picture Expected(const std::vector<Draw>& draws, int* spritePixels) const {
        Picture out(kStageW, kStageH, kStale);
        *spritePixels = 0;
        for (const Draw& d : draws)
            for (int sx = std::max(0, d.x - d.trail); sx < std::min(kStageW, d.x + 60); ++sx)
                for (int y = 0; y < kStageH; ++y) {
                    const int fx = sx - d.x;
                    const bool sprite = fx >= 0 && mask.Pixel(60 * d.frame + fx, y) == kBlack;
                    *spritePixels += sprite ? 1 : 0;
                    out.SetPixel(sx, y, sprite ? sheet.Pixel(60 * d.frame + fx, y) : Background(sx, y));
                }
        return out;
    }

    platform::Form window{"stage"};
    platform::PictureBox& stage = window.AddPictureBox(9, 59, kStageW, kStageH);
    StageCanvas canvas{stage};
    Picture sheet, mask;
};

struct DrawCase {
    const char* name;
    std::vector<Draw> draws;
    bool spriteShows;  // some of the character's pixels reach the stage
};
void PrintTo(const DrawCase& c, std::ostream* os) { *os << c.name; }

class StageDraws : public StageDrawing, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(StageDraws, ChangeExactlyTheStripOnTheStage) {
    int spritePixels = 0;
    const Picture expected = Expected(GetParam().draws, &spritePixels);
    ASSERT_EQ(spritePixels > 0, GetParam().spriteShows) << "the case does not show what it is named for";
    for (const Draw& d : GetParam().draws) canvas.DrawStageFrame(kWho, d.x, d.frame, d.trail);
    EXPECT_TRUE(stage.Image() == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageDraws,
    ::testing::Values(DrawCase{"WholeStripLeftOfTheStageChangesNothing", {{-60, 0, 4}}, false},
                      DrawCase{"OnlyTheLastFourColumnsEnter", {{-56, 1, 4}}, true},
                      DrawCase{
                          "WalkingInWipesWhatWasLeft", {{-8, 0, 4}, {-4, 0, 4}, {0, 0, 4}, {4, 0, 4}, {8, 0, 4}}, true},
                      DrawCase{"AtTheRightEdgeOnlyTheTrailIsWiped", {{212, 5, 4}}, false},
                      DrawCase{"PastTheRightEdgeNothingChanges", {{216, 5, 4}}, false},
                      DrawCase{"PartlyOffTheRightEdge", {{180, 5, 4}}, true},
                      DrawCase{"ASecondPoseReplacesTheFirst", {{35, 1, 0}, {35, 2, 0}}, true},
                      DrawCase{"PosesAtTheThreePlaces", {{35, 1, 0}, {76, 2, 0}, {117, 3, 0}, {117, 4, 0}}, true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(StageDrawing, PastTheRightEdgeLeavesTheStageAsItWas) {
    const Picture before = stage.Image();
    canvas.DrawStageFrame(kWho, 216, 5, 4);
    canvas.DrawStageFrame(kWho, 236, 5, 4);
    EXPECT_TRUE(stage.Image() == before);
}

TEST_F(StageDrawing, ClearingBringsBackTheBareBackground) {
    canvas.DrawStageFrame(kWho, 35, 1, 0);
    canvas.DrawStageFrame(kWho, 152, 5, 4);
    canvas.ClearStage();
    EXPECT_TRUE(stage.Image() == stage.GetPicture());
    EXPECT_TRUE(stage.Image() == canvas.Store().Background());
}

TEST(StageStore, TakesTheStageAsItIsAtTheFirstDrawingAndHoldsOnlyTheCharacterOnTheStage) {
    platform::Form window("stage");
    platform::PictureBox& stage = window.AddPictureBox(9, 59, kStageW, kStageH);
    stage.SetPicture(Picture(kStageW, kStageH, 0x123456));
    StageCanvas canvas(stage);
    // The picture the stage has by the first drawing is the clean background.
    stage.SetPicture(BackgroundPicture());
    std::vector<Picture> sheets(kCharacterCount);
    for (Character c : {Character::kRumika, Character::kShiore, Character::kYatsuha, Character::kPelulu,
                        Character::kMazeri, Character::kYatsuha}) {
        SCOPED_TRACE(NameOf(c));
        canvas.DrawStageFrame(c, 35, 1, 0);
        const SpriteStore& store = canvas.Store();
        EXPECT_TRUE(store.Background() == BackgroundPicture());
        EXPECT_EQ(store.Held(), c);
        EXPECT_EQ(store.Sheet().Width(), 360);
        EXPECT_NE(store.Sheet(), store.Mask());
        Picture& first = sheets[static_cast<std::size_t>(IndexOf(c))];
        if (first.Empty()) {
            for (const Picture& other : sheets) EXPECT_NE(other, store.Sheet()) << "another character's sheet";
            first = store.Sheet();
        } else {
            EXPECT_EQ(first, store.Sheet()) << "the character's own sheet again";
        }
    }
}

}  // namespace
