#include "editor/decode_ahead.h"
#include "editor/editor_test_state.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/canvas.h"
#include "editor/frame_selection.h"
#include "editor/zoom.h"
#include "codecs/picture_io.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;
using testing::GradientPicture;
using testing::GreyMask;
using testing::SamePicture;
using testing::UniformPicture;

// Frames 0..4: frame k shows p<k>.png over the shared q.png, every other frame with a mask.
class DecodeAheadTest : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};
    DecodeAhead ahead;

    std::string write(const std::string& name, std::uint8_t grey, int width = 8) {
        const std::string path = folder.file(name);
        EXPECT_TRUE(SavePictureFile(UniformPicture(width, 6, {grey, grey, grey}), path,
                                    PictureFormat::Png));
        return path;
    }
    void SetUp() override {
        const std::string shared = write("q.png", 200);
        for (int k = 0; k < 5; ++k) {
            FrameRecord& frame = state.document.frames.append();
            frame.layerSource = {write("p" + std::to_string(k) + ".png", std::uint8_t(k * 10)),
                                 shared};
            if (k % 2 == 0) {
                frame.maskNumber = state.document.masks.nextNumber++;
                write(MaskWorkingFileName(frame.maskNumber), std::uint8_t(100 + k));
            }
        }
    }
    // The grey of what the reader gives for source.
    int greyOf(const std::string& source) {
        Image picture;
        if (!ahead.read(state.services, source, picture)) return -1;
        return picture.red(0, 0);
    }
};

TEST_F(DecodeAheadTest, NeighboursAreHeldAndGivenOutAsTheirFilesRead) {
    const struct {
        int shown;
        int pending;  // the neighbours' pictures and masks the displayed frame does not share
    } cases[] = {{0, 1}, {2, 2}, {4, 1}, {1, 4}};
    for (const auto& c : cases) {
        ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                         state.view.canvas.height(), c.shown);
        EXPECT_EQ(ahead.pending(), c.pending) << "frame " << c.shown;
    }
    // Shown frame 1: frames 0 and 2 are held, and come out as their files read.
    EXPECT_EQ(greyOf(folder.file("p2.png")), 20);
    EXPECT_EQ(greyOf(state.document.masks.workingFile(state.document.frames.at(0).maskNumber)), 100);
    EXPECT_EQ(ahead.pending(), 2);
    // Anything else is read when asked for.
    EXPECT_EQ(greyOf(folder.file("p4.png")), 40);
    EXPECT_EQ(greyOf(folder.file("gone.png")), -1);
    // Letting go (the film plays) drops everything; the frame shown next has its neighbours made.
    ahead.letGo();
    EXPECT_EQ(ahead.pending(), 0);
    ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 1);
    EXPECT_EQ(ahead.pending(), 4);
}

TEST_F(DecodeAheadTest, AFileWrittenAgainAfterItsDecodeIsReadAgain) {
    ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 0);
    EXPECT_EQ(greyOf(folder.file("p1.png")), 10);  // waits for the decode under way
    ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 2);
    Image picture;
    ASSERT_TRUE(ahead.read(state.services, folder.file("p3.png"), picture));  // decoded by now
    ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 2);
    write("p3.png", 77, 12);  // another size: the file's stamp differs for sure
    EXPECT_EQ(greyOf(folder.file("p3.png")), 77);
    // A step far away drops what was decoded for the old neighbours.
    ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 4);
    EXPECT_EQ(ahead.pending(), 1);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(DecodeAheadTest, APictureGivenElsewhereIsKeptWhenSetAside) {
    // A take the window got from the camera is not decoded again when the window lets it go:
    // the picture set aside (here told apart from its file by its grey) comes back.
    for (const bool given : {true, false}) {
        DecodeAhead reader;
        reader.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                          state.view.canvas.height(), 1);
        if (given) reader.givenElsewhere(folder.file("p1.png"));
        reader.setAside(folder.file("p1.png"), UniformPicture(8, 6, {99, 99, 99}));
        reader.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                          state.view.canvas.height(), 2);
        Image picture;
        ASSERT_TRUE(reader.read(state.services, folder.file("p1.png"), picture));
        EXPECT_EQ(picture.red(0, 0), given ? 99 : 10);
    }
}

// Counts the composites taken from what was made ahead.
class CountingAhead : public DecodeAhead {
public:
    explicit CountingAhead(std::int64_t composedAheadPixels)
        : DecodeAhead(kDefaultBudget, composedAheadPixels) {}
    int taken = 0;
    bool takeComposed(const FrameFiles& files, ComposedAhead& out) override {
        const bool made = DecodeAhead::takeComposed(files, out);
        taken += made;
        return made;
    }
};

// Steps through frames of pictures of their own (sizes differ, one frame lacks layer 2, one
// lacks a mask) with the neighbours made ahead, and without: the composite and the canvas are
// the same after every step, at 1:1 and at "Ganzes Bild", whether the composite made ahead is
// kept or only its canvas.
class DecodeAheadSteps : public ::testing::TestWithParam<std::int64_t> {};
INSTANTIATE_TEST_SUITE_P(CompositeKeptOrNot, DecodeAheadSteps,
                         ::testing::Values(DecodeAhead::kComposedAheadPixels, 0));

TEST_P(DecodeAheadSteps, GiveTheCompositeAndCanvasThatComposingGives) {
    TempFolder folder;
    RecordingShell shell;
    EditorTestState withAhead{shell, folder.path(), folder.path()};
    EditorTestState without{shell, folder.path(), folder.path()};
    CountingAhead ahead(GetParam());
    withAhead.session.pictureReader = &ahead;
    for (int k = 0; k < 5; ++k) {
        const int width = 40 + 3 * k;
        const int height = 30 - k;
        FrameRecord frame;
        for (int layer = 0; layer < 2; ++layer) {
            if (k == 3 && layer == 1) continue;
            const std::string path = folder.file("l" + std::to_string(layer) + std::to_string(k) + ".png");
            ASSERT_TRUE(SavePictureFile(GradientPicture(width + layer, height + 2 * layer, k * 2 + layer), path,
                                        PictureFormat::Png));
            frame.layerSource[layer] = path;
        }
        if (k != 1) {
            frame.maskNumber = withAhead.document.masks.nextNumber++;
            ASSERT_TRUE(SavePictureFile(
                GreyMask(width + 2, height + 1, [&](int x, int y) { return std::uint8_t(x * 5 + y * k); }),
                withAhead.document.masks.workingFile(frame.maskNumber), PictureFormat::Png));
        }
        for (EditorTestState* state : {&withAhead, &without}) {
            FrameRecord& added = state->document.frames.append();
            added.layerSource = frame.layerSource;
            added.maskNumber = frame.maskNumber;
        }
    }
    for (EditorTestState* state : {&withAhead, &without}) {
        state->services.redrawPause = 0;
        state->view.canvas = *Image::create(31, 23);
        SelectFrame(state->document, state->session, state->view, state->services, 0);
    }
    for (const bool fit : {false, true}) {
        for (int index : {1, 2, 3, 4, 3, 2, 1, 0, 1, 0}) {
            ahead.settle();  // a step soon after the one before finds less made
            for (EditorTestState* state : {&withAhead, &without}) {
                if (fit) ZoomFit(state->document, state->session, state->view, state->services);
                SelectFrame(state->document, state->session, state->view, state->services, index);
                RedrawCanvas(state->document, state->session, state->view, state->services, -1, -1,
                             0, 0);
            }
            SCOPED_TRACE("frame " + std::to_string(index) + (fit ? " fit" : " 1:1"));
            EXPECT_TRUE(
                SamePicture(withAhead.session.images.composite, without.session.images.composite));
            EXPECT_TRUE(SamePicture(withAhead.view.canvas, without.view.canvas));
        }
    }
    EXPECT_EQ(ahead.taken, 20);
    // A take written again while its frame is shown is read anew when the frame comes back.
    ASSERT_TRUE(SavePictureFile(GradientPicture(70, 40, 99), withAhead.document.frames.at(0).layerSource[0],
                                PictureFormat::Png));
    for (int index : {1, 0}) {
        ahead.settle();
        for (EditorTestState* state : {&withAhead, &without})
            SelectFrame(state->document, state->session, state->view, state->services, index);
    }
    EXPECT_TRUE(SamePicture(withAhead.session.images.composite, without.session.images.composite));
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(DecodeAheadTest, TheBudgetHoldsFewerNeighboursOfLargerPictures) {
    const struct {
        int width;
        int height;
        int neighbours;
    } sizes[] = {{4000, 3000, 2}, {5472, 3648, 2}, {6000, 4000, 1}, {8256, 5504, 0}};
    for (const auto& size : sizes) {
        EXPECT_EQ(DecodeAhead::NeighboursWithin(DecodeAhead::kDefaultBudget,
                                                DecodeAhead::NeighbourBytes(size.width, size.height)),
                  size.neighbours)
            << size.width << " x " << size.height;
    }
    EXPECT_EQ(DecodeAhead::NeighboursWithin(DecodeAhead::kDefaultBudget, 0), 2);  // none made yet
    // Room for one neighbour of these pictures: once one is made, only the one ahead is.
    DecodeAhead small(DecodeAhead::NeighbourBytes(8, 6));
    const auto show = [&](int index) {
        small.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                         state.view.canvas.height(), index);
    };
    show(2);
    small.settle();
    EXPECT_EQ(small.mostNeighbours(), 1);
    show(3);
    EXPECT_EQ(small.pending(), 2);  // frame 4's picture and mask, nothing of frame 2
    // A frame awaited while the window still holds frame 3's pictures takes that room itself.
    small.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 2,
                     FilesOf(state.document, state.document.frames.at(3)), nullptr);
    EXPECT_EQ(small.pending(), 2);  // frame 2's picture and mask, nothing of frame 1
}

TEST_F(DecodeAheadTest, ADisplayedFrameTheWindowDoesNotHoldYetIsMadeFirst) {
    const FrameFiles held = FilesOf(state.document, state.document.frames.at(1));
    const FrameFiles shown = FilesOf(state.document, state.document.frames.at(2));
    ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                     state.view.canvas.height(), 2, held, nullptr);
    EXPECT_EQ(ahead.pending(), 3);  // frame 2's picture and mask, frame 3's picture: q.png is held
    ahead.settle();
    EXPECT_TRUE(ahead.readyFor(shown));
    EXPECT_EQ(greyOf(shown.layers[0]), 20);
}

TEST_F(DecodeAheadTest, TheFrameLeftAtTheEndIsMadeOnceTheWindowLetsItGo) {
    // A step from frame 3 to the last: first told while the window still holds frame 3, then
    // once it holds frame 4. A step back must find frame 3's own picture made, not read then.
    const FrameFiles left = FilesOf(state.document, state.document.frames.at(3));
    const auto show = [&](const FrameFiles* held) {
        const FrameFiles shown = FilesOf(state.document, state.document.frames.at(4));
        ahead.frameShown(state.document, ViewGeometry::of(state.view), state.view.canvas.width(),
                         state.view.canvas.height(), 4, held ? *held : shown, nullptr);
    };
    show(&left);
    show(nullptr);
    EXPECT_EQ(ahead.pending(), 1);  // p3.png: q.png is shown
    ahead.settle();
    EXPECT_TRUE(ahead.readyFor(left));
    EXPECT_EQ(greyOf(left.layers[0]), 30);
    EXPECT_EQ(ahead.pending(), 0);
}

}  // namespace
}  // namespace morvel
