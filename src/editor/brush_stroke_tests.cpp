#include "editor/brush_stroke.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "editor/mask_edit.h"
#include "editor/undo_history.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::UniformPicture;

class BrushStroke : public ::testing::Test, public testing::EditorScene {
protected:
    void SetUp() override {
        addFrame(UniformPicture(120, 90, {200, 150, 250}),
                 UniformPicture(120, 90, {130, 140, 160}));
        show(0, 200, 150);
    }
    // The mask after a click at (x, y) with the brush as set, on a white mask.
    GreyImage click(int x, int y) {
        FillMask(state.document, state.session, 255);
        drag({{x, y}, {x, y}});
        return state.session.images.mask;
    }
};

TEST_F(BrushStroke, AFastStrokesCentreLineIsContinuous) {
    for (int shape : {kRoundBrushImage, kSquareBrushImage}) {
        for (int size : {1, 4, 10, 40}) {
            state.view.toolSettings.brushShape = shape;
            state.view.toolSettings.brushSize = size;
            for (int hardness : {100, 30}) {
                if (size == 1 && hardness < 100) continue;  // a soft 2 x 2 dab has no core
                state.view.toolSettings.hardness = hardness;
                FillMask(state.document, state.session, 255);
                drag({{10, 20}, {110, 70}});  // one move of 100 pixels
                for (int x = 10; x <= 110; ++x)
                    ASSERT_LT(mask(x, 20 + (x - 10) / 2), 128)
                        << "size " << size << " shape " << shape << " at x " << x;
            }
        }
    }
}

TEST_F(BrushStroke, HardnessHundredPaintsTheHardDab) {
    for (int shape : {kRoundBrushImage, kSquareBrushImage}) {
        state.view.toolSettings.brushShape = shape;
        state.view.toolSettings.brushSize = 7;
        state.view.toolSettings.eraseGrey = 90;
        const GreyImage painted = click(40, 30);
        FillMask(state.document, state.session, 255);
        PaintMaskDab(state.document, state.session, 40, 30, 7, shape, 90);
        EXPECT_TRUE(testing::SamePicture(painted, state.session.images.mask)) << shape;
    }
}

TEST_F(BrushStroke, ASoftDabFallsMonotonicallyFromTheToolGreyToTheOldValue) {
    struct Case {
        ToolId tool;
        int shape, hardness, old, grey;
    };
    for (const Case& c : {Case{"eraser", kRoundBrushImage, 10, 255, 0},
                          Case{"eraser", kSquareBrushImage, 50, 255, 60},
                          Case{"anti-eraser", kRoundBrushImage, 40, 30, 255}}) {
        SelectTool(state.view, state.services, c.tool);
        state.view.toolSettings.brushShape = c.shape;
        state.view.toolSettings.brushSize = 20;
        state.view.toolSettings.hardness = c.hardness;
        state.view.toolSettings.eraseGrey = c.grey;
        FillMask(state.document, state.session, static_cast<std::uint8_t>(c.old));
        drag({{60, 45}, {60, 45}});
        EXPECT_EQ(mask(60, 45), c.grey);
        const int towards = c.grey < c.old ? 1 : -1;
        for (int x = 61; x < 90; ++x) EXPECT_GE((mask(x, 45) - mask(x - 1, 45)) * towards, 0) << x;
        EXPECT_NE(mask(60 + 17, 45), c.old);  // soft: something between
        EXPECT_NE(mask(60 + 17, 45), c.grey);
        EXPECT_EQ(mask(60 + 20, 45), c.old);
    }
}

TEST_F(BrushStroke, OverlappingSoftDabsAreNoDarkerThanTheStrongestAlone) {
    state.view.toolSettings.brushSize = 20;
    state.view.toolSettings.hardness = 20;
    const GreyImage first = click(50, 40);
    const GreyImage second = click(53, 41);
    FillMask(state.document, state.session, 255);
    drag({{50, 40}, {53, 41}, {50, 40}});  // both dabs, the first twice
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(mask(x, y), std::min(first.grey(x, y), second.grey(x, y))) << x << "," << y;
}

TEST_F(BrushStroke, UndoAndRedoOfASoftStrokeAreExact) {
    state.view.toolSettings.hardness = 35;
    state.view.toolSettings.brushSize = 15;
    state.view.toolSettings.eraseGrey = 40;
    drag({{20, 20}, {60, 50}});
    const GreyImage before = state.session.images.mask;
    drag({{90, 20}, {30, 70}, {100, 80}});
    const GreyImage after = state.session.images.mask;
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_TRUE(testing::SamePicture(state.session.images.mask, before));
    ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
    EXPECT_TRUE(testing::SamePicture(state.session.images.mask, after));
}

TEST_F(BrushStroke, AJumpFarBeyondThePicturePaintsOnlyWhereItCrossesIt) {
    click(5, 5);  // gives the frame its mask
    for (int hardness : {100, 50}) {
        state.view.toolSettings.hardness = hardness;
        FillMask(state.document, state.session, 255);
        ToolContext context(state.document, state.session, state.view, state.services);
        DabStroke stroke;
        stroke.begin(context, -50000, 45, 0);
        stroke.extend(context, 50000, 45, 0);
        stroke.end();
        for (int x = 0; x < 120; ++x) ASSERT_EQ(mask(x, 45), 0) << x;
        EXPECT_EQ(mask(5, 5), 255);
    }
}

}  // namespace
}  // namespace morvel
