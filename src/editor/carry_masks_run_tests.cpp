#include "editor/carry_masks_run.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "editor/undo_history.h"
#include "motion/testing/synthetic_film.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::EditorScene;

// Five frames of a made-up shot; frame 1 has the rig painted out, frames 3 and 4 masks of their
// own (the same, which the rig has left by then).
struct Shot : EditorScene {
    const std::vector<testing::FilmFrame>& film = filmOf();
    Image own = paintedOut(0);
    Shot() {
        for (int t = 0; t < 5; ++t)
            addFrame(film[t].take1, film[t].take2, t == 0 || t == 2 || t == 3 ? &own : nullptr);
        show(0, 240, 180);
    }
    static const std::vector<testing::FilmFrame>& filmOf() {
        static const auto film = testing::MakeSyntheticFilm(240, 180, 5);
        return film;
    }
    Image paintedOut(int t) const {
        cv::Mat painted;
        cv::bitwise_not(film[t].truth, painted);
        return testing::MaskImageOf(painted);
    }
    Image maskOf(int index) {
        Image mask;
        const std::int32_t n = state.document.frames.at(index).maskNumber;
        if (n != 0) LoadPictureFile(state.document.masks.workingFile(n), mask);
        return mask;
    }
    // Runs the plan to the end, cancelling once `cancelAfter` pieces were applied (-1: never).
    void run(CarryMasksRun& carry, int cancelAfter = -1) {
        BackgroundJob job;
        job.start([&](BackgroundJob& self) { carry.work(self); }, carry.frames());
        while (job.poll()) {
            if (job.done() == cancelAfter) job.cancel();
            std::this_thread::yield();
        }
        carry.finish();
    }
};

TEST(CarryMasksRun, AsksForFramesWithMasksAndMakesOneStep) {
    struct Case {
        std::vector<MaskAnswer> answers;
        std::vector<int> asked;
        bool thirdKept, fourthKept;
    };
    for (const Case& c : {Case{{MaskAnswer::Replace, MaskAnswer::Skip}, {3, 4}, false, true},
                          Case{{MaskAnswer::Skip, MaskAnswer::Replace}, {3, 4}, true, false},
                          Case{{MaskAnswer::ReplaceAll}, {3}, false, false}}) {
        Shot shot;
        EditorTestState& s = shot.state;
        std::vector<int> asked;
        CarryMasksRun carry(s.document, s.session, s.view, s.services, 4, {}, [&](int frame) {
            asked.push_back(frame);
            return c.answers[asked.size() - 1];
        });
        EXPECT_EQ(asked, c.asked);
        ASSERT_EQ(carry.frames(), 4);
        shot.run(carry);
        EXPECT_TRUE(shot.shell.errors.empty());
        EXPECT_EQ(shot.maskOf(2).samePixels(shot.own), c.thirdKept);
        EXPECT_EQ(shot.maskOf(3).samePixels(shot.own), c.fourthKept);
        for (int index : {1, 4}) EXPECT_NE(s.document.frames.at(index).maskNumber, 0);
        // The rig painted out in frame 1 is still painted out in frame 2.
        const cv::Mat out = testing::MaskValues(shot.maskOf(1)) < 128;
        const cv::Mat& rig = shot.film[1].truth;
        EXPECT_GT(cv::countNonZero(out & rig), 0.8 * cv::countNonZero(out | rig));
        ASSERT_EQ(s.session.history.steps.size(), 1u);
        ASSERT_TRUE(UndoEdit(s.document, s.session, s.view, s.services));
        for (int index : {1, 4}) EXPECT_EQ(s.document.frames.at(index).maskNumber, 0);
        EXPECT_TRUE(shot.maskOf(2).samePixels(shot.own));
        EXPECT_TRUE(shot.maskOf(3).samePixels(shot.own));
    }
}

// Cancel keeps the frames carried so far as the one step; every mask is whole.
TEST(CarryMasksRun, CancelKeepsTheFramesDoneAsOneStep) {
    Shot shot;
    EditorTestState& s = shot.state;
    CarryMasksRun carry(s.document, s.session, s.view, s.services, 4, {},
                        [](int) { return MaskAnswer::ReplaceAll; });
    shot.run(carry, 1);
    // The worker keeps at most one frame ahead: the last frame is never reached.
    EXPECT_NE(s.document.frames.at(1).maskNumber, 0);
    EXPECT_EQ(s.document.frames.at(4).maskNumber, 0);
    for (int index = 0; index < 4; ++index) EXPECT_EQ(shot.maskOf(index).width(), 240) << index;
    ASSERT_EQ(s.session.history.steps.size(), 1u);
    ASSERT_TRUE(UndoEdit(s.document, s.session, s.view, s.services));
    EXPECT_EQ(s.document.frames.at(1).maskNumber, 0);
}

}  // namespace
}  // namespace morvel
