#include "editor/editor_test_state.h"
#include "editor/undo_history.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/masks.h"
#include "codecs/load_result.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::EditorScene;
using testing::GradientPicture;
using testing::GreyMask;
using testing::SamePicture;

// What an edit must bring back: the mask, its working file once stored, and the composite.
struct Snapshot {
    std::int32_t maskNumber;
    GreyImage mask;
    Image composite;
};

class UndoHistory : public ::testing::Test, public EditorScene {
protected:
    void SetUp() override {
        const Image grey = GreyMask(200, 150, [](int x, int y) { return std::uint8_t(x + y); });
        addFrame(GradientPicture(200, 150, 1), GradientPicture(200, 150, 2), &grey);
        addFrame(GradientPicture(200, 150, 3), GradientPicture(200, 150, 4));
        show(0, 160, 120);
        state.view.toolSettings.eraseGrey = 40;
    }
    Snapshot snapshot() const {
        return Snapshot{DisplayedFrame(state.document, state.session)->maskNumber,
                        state.session.images.mask, state.session.images.composite};
    }
    // The displayed frame shows exactly what was saved, and its working file holds it.
    void expectShown(const Snapshot& s, int index) {
        EXPECT_EQ(state.session.cache.displayedIndex, index);
        EXPECT_EQ(DisplayedFrame(state.document, state.session)->maskNumber, s.maskNumber);
        EXPECT_TRUE(SamePicture(state.session.images.composite, s.composite));
        EXPECT_TRUE(SamePicture(state.view.canvas, testing::CanvasFromScratch(state)));
        if (s.maskNumber == 0) return;
        EXPECT_TRUE(SamePicture(state.session.images.mask, s.mask));
        StoreDisplayedMask(state.document, state.session, state.services);
        Image stored;
        ASSERT_TRUE(LoadPictureFile(state.document.masks.workingFile(s.maskNumber), stored) == LoadResult::Ok);
        EXPECT_TRUE(SamePicture(stored, s.mask));
    }
    void stroke(int x, int y) {
        SelectTool(state.view, state.services, "eraser");
        drag({{x, y}, {x + 8, y + 3}, {x + 16, y + 6}, {x + 30, y + 6}});
    }
};

TEST_F(UndoHistory, EachKindOfEditIsUndoneAndRedoneExactly) {
    const std::function<void()> edits[] = {
        [&] { stroke(20, 20); },
        [&] {
            SelectTool(state.view, state.services, "selection");
            drag({{100, 90}, {30, 40}});
        },
        [&] {
            SelectTool(state.view, state.services, "mask-mover");
            drag({{50, 50}, {70, 55}, {80, 45}});
        },
        [&] {
            SelectTool(state.view, state.services, "anti-eraser");
            drag({{60, 60}, {64, 64}});
        },
    };
    for (const auto& edit : edits) {
        const Snapshot before = snapshot();
        edit();
        const Snapshot after = snapshot();
        ASSERT_FALSE(SamePicture(after.mask, before.mask));
        ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
        expectShown(before, 0);
        ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
        expectShown(after, 0);
        EXPECT_FALSE(CanRedoEdit(state.session));
    }
    // Everything back, oldest last.
    while (UndoEdit(state.document, state.session, state.view, state.services)) {
    }
    EXPECT_EQ(state.session.images.mask.grey(10, 20), 30);
    EXPECT_EQ(state.session.images.mask.grey(150, 100), 250);
}

TEST_F(UndoHistory, UndoingTheFirstDabLeavesTheFrameWithoutMask) {
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    const Snapshot before = snapshot();
    const int next = state.document.masks.nextNumber;
    stroke(40, 40);
    const Snapshot after = snapshot();
    ASSERT_EQ(after.maskNumber, next);
    StoreDisplayedMask(state.document, state.session, state.services);
    ASSERT_TRUE(std::filesystem::exists(state.document.masks.workingFile(next)));

    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    expectShown(before, 1);
    EXPECT_FALSE(std::filesystem::exists(state.document.masks.workingFile(next)));
    ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
    expectShown(after, 1);
}

TEST_F(UndoHistory, TakingThePrecedingMaskIsUndone) {
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    const Snapshot before = snapshot();
    SelectTool(state.view, state.services, "mask-mover");
    drag({{10, 10}, {10, 10}});
    ASSERT_NE(state.document.frames.at(1).maskNumber, 0);
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    expectShown(before, 1);
}

TEST_F(UndoHistory, UndoOnAnotherFrameShowsThatFrameFirst) {
    const Snapshot before = snapshot();
    stroke(20, 20);
    const Snapshot after = snapshot();
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    expectShown(before, 0);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
    expectShown(after, 0);
}

TEST_F(UndoHistory, ANewEditDropsWhatCouldBeRedone) {
    stroke(20, 20);
    stroke(20, 60);
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_TRUE(CanRedoEdit(state.session));
    stroke(80, 30);
    EXPECT_FALSE(CanRedoEdit(state.session));
    EXPECT_FALSE(RedoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(state.session.history.steps.size(), 2u);
    // A hover or a click of the zoom tool is no edit.
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, 30, 30);
    EXPECT_EQ(state.session.history.steps.size(), 2u);
}

TEST_F(UndoHistory, KeepsOnlyTheChangedSquaresAndDropsTheOldestStepsBeyondTheBound) {
    state.view.toolSettings.brushSize = 2;
    stroke(20, 20);
    ASSERT_EQ(state.session.history.steps.size(), 1u);
    const std::size_t one = state.session.history.bytes;
    // Four dabs of 4 x 4 pixels touch at most two 64 x 64 squares: before and after each.
    EXPECT_LT(one, 2 * 2 * 64 * 64 * 3 + 4096);
    stroke(20, 80);
    stroke(120, 20);
    SetEditHistoryLimit(state.session, state.session.history.bytes - 1);
    EXPECT_EQ(state.session.history.steps.size(), 2u);
    EXPECT_LE(state.session.history.bytes, state.session.history.limitBytes);
    EXPECT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_FALSE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(state.session.images.mask.grey(20, 20), 40);  // the oldest stroke stays
}

TEST_F(UndoHistory, ClearingForgetsEveryStep) {
    stroke(20, 20);
    ClearEditHistory(state.session);
    EXPECT_FALSE(CanUndoEdit(state.session));
    EXPECT_FALSE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(state.session.history.bytes, 0u);
}

TEST_F(UndoHistory, AStepThatNoLongerFitsItsFrameClearsTheHistory) {
    stroke(20, 20);
    // The frame's mask was replaced behind the history.
    state.document.frames.at(0).maskNumber = 77;
    EXPECT_FALSE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_FALSE(CanUndoEdit(state.session));
}

// A transaction's commands are undone newest first and redone in order; a stale command clears
// the history, a failed one leaves the step where it was.
TEST_F(UndoHistory, AStepRunsItsCommandsInTurnAndStopsAtOneThatCannotRun) {
    struct Logged final : EditCommand {
        Logged(std::string& log, char name, CommandResult result)
            : log(log), name(name), result(result) {}
        CommandResult apply(Document&, EditSession&, View&, Services&, UndoDirection,
                            StepEffects&) const override {
            log += name;
            return result;
        }
        std::size_t bytes() const override { return 1; }
        std::string& log;
        char name;
        CommandResult result;
    };
    const struct {
        CommandResult second;
        const char* undone;
        bool undo;
        bool canUndoAfter;
    } cases[] = {
        {CommandResult::Done, "ba", true, false},
        {CommandResult::Stale, "b", false, false},
        {CommandResult::Failed, "b", false, true},
    };
    for (const auto& c : cases) {
        std::string log;
        EditTransaction step;
        step.add(std::make_unique<Logged>(log, 'a', CommandResult::Done));
        step.add(std::make_unique<Logged>(log, 'b', c.second));
        ClearEditHistory(state.session);
        PushUndoStep(state.session, std::move(step));
        EXPECT_EQ(UndoEdit(state.document, state.session, state.view, state.services), c.undo);
        EXPECT_EQ(log, c.undone);
        EXPECT_EQ(CanUndoEdit(state.session), c.canUndoAfter);
        if (!c.undo) continue;
        log.clear();
        EXPECT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
        EXPECT_EQ(log, "ab");
    }
}

}  // namespace
}  // namespace morvel
