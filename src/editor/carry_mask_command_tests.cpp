#include "editor/carry_mask.h"

#include <gtest/gtest.h>

#include "editor/undo_history.h"
#include "motion/testing/synthetic_film.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::EditorScene;

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// A textured picture seen through a window moved by (dx, dy): the content moves by (dx, dy).
Image Slid(int dx, int dy) {
    static const cv::Mat texture = testing::FilmTexture({240, 200}, 5, 4);
    return testing::ImageOf(texture(cv::Rect(40 - dx, 40 - dy, kWidth, kHeight)));
}

// White with a black disc (the rig painted out) at (x, y).
Image Painted(int x, int y) {
    cv::Mat values(kHeight, kWidth, CV_8U, cv::Scalar(255));
    cv::circle(values, {x, y}, 15, 0, -1);
    return testing::MaskImageOf(values);
}

class CarryMaskCommand : public ::testing::Test, public EditorScene {
protected:
    // A plain clean plate: the whole picture is what moves.
    const Image plate = testing::UniformPicture(kWidth, kHeight, testing::kBlack);
    const Image first = Slid(0, 0);
    const Image second = Slid(7, 5);
    const Image paintedFirst = Painted(60, 50);

    void carry(int index) {
        show(index, 200, 150);
        CarryMaskToDisplayed(state.document, state.session, state.view, state.services);
    }
};

TEST_F(CarryMaskCommand, CarriesTheMaskAlongTheMotionAsOneStep) {
    addFrame(first, plate, &paintedFirst);
    addFrame(second, plate);
    carry(1);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.errors.empty());
    ASSERT_NE(state.document.frames.at(1).maskNumber, 0);
    EXPECT_EQ(mask(67, 55), 0);    // the disc moved with the picture
    EXPECT_EQ(mask(48, 50), 255);  // the left of its place before
    EXPECT_TRUE(state.session.cache.maskModified);
    ASSERT_TRUE(CanUndoEdit(state.session));
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(state.document.frames.at(1).maskNumber, 0);
    EXPECT_FALSE(CanUndoEdit(state.session));
    ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(mask(67, 55), 0);
}

TEST_F(CarryMaskCommand, ReplacesAMaskTheFrameHasAndUndoBringsItBack) {
    const Image own = Painted(120, 90);
    addFrame(first, plate, &paintedFirst);
    addFrame(second, plate, &own);
    carry(1);
    const std::int32_t number = state.document.frames.at(1).maskNumber;
    EXPECT_EQ(mask(67, 55), 0);
    EXPECT_EQ(mask(120, 90), 255);
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(state.document.frames.at(1).maskNumber, number);
    EXPECT_TRUE(testing::SamePicture(state.session.images.mask, own));
}

// Nothing to carry: the user is told, and no mask or step is made.
TEST(CarryMaskTold, WithoutLayerOneOrPreviousMaskChangesNothing) {
    struct Case {
        const char* what;
        bool firstLayer1, firstMask, secondLayer1;
        int shown;
        Text told;
    };
    const Image painted = Painted(60, 50);
    for (const Case& c :
         {Case{"no frame before", true, true, true, 0, Text::RequesterCarrynomask},
          Case{"no mask before", true, false, true, 1, Text::RequesterCarrynomask},
          Case{"no layer 1 here", true, true, false, 1, Text::RequesterCarrynolayer1},
          Case{"no layer 1 before", false, true, true, 1, Text::RequesterCarrynolayer1}}) {
        EditorScene scene;
        scene.addFrame(c.firstLayer1 ? Slid(0, 0) : Image(), Slid(0, 0),
                       c.firstMask ? &painted : nullptr);
        scene.addFrame(c.secondLayer1 ? Slid(7, 5) : Image(), Slid(0, 0));
        EditorTestState& state = scene.state;
        const std::int32_t before = state.document.frames.at(c.shown).maskNumber;
        scene.show(c.shown, 200, 150);
        CarryMaskToDisplayed(state.document, state.session, state.view, state.services);
        ASSERT_EQ(scene.shell.messages.size(), 1u) << c.what;
        EXPECT_EQ(scene.shell.messages[0].text, state.services.language.texts[c.told]) << c.what;
        EXPECT_EQ(state.document.frames.at(c.shown).maskNumber, before) << c.what;
        EXPECT_FALSE(CanUndoEdit(state.session)) << c.what;
    }
}

TEST_F(CarryMaskCommand, UnreadablePictureIsReportedAndChangesNothing) {
    addFrame(first, plate, &paintedFirst);
    addFrame(second, plate);
    show(1, 200, 150);
    std::remove(state.document.frames.at(0).layerSource[0].c_str());
    CarryMaskToDisplayed(state.document, state.session, state.view, state.services);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("f0l0.png"), std::string::npos);
    EXPECT_EQ(state.document.frames.at(1).maskNumber, 0);
    EXPECT_FALSE(CanUndoEdit(state.session));
}

}  // namespace
}  // namespace morvel
