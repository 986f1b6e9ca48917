#include "editor/compose_frame.h"
#include "editor/editor_test_state.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/jpeg_codec.h"
#include "codecs/picture_io.h"
#include "editor/canvas_film.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "import/thumbnail.h"
#include "platform/files.h"
#include "sequence/blend.h"
#include "sequence/frame_sequence.h"
#include "test_support/exif_jpeg.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GreyMask;
using testing::MakePicture;
using testing::RecordingShell;
using testing::Rgb;
using testing::TempFolder;
using testing::UniformPicture;

class Composition : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};

    std::string picture(const std::string& name, const Image& image) {
        const std::string path = folder.file(name);
        EXPECT_TRUE(SavePictureFile(image, path, PictureFormat::Png));
        return path;
    }
    // A mask working file for mask number n.
    void mask(std::int32_t n, const Image& image) {
        ASSERT_TRUE(SavePictureFile(image, state.document.masks.workingFile(n), PictureFormat::Png));
    }
    FrameRecord& frame(const std::string& layer1, const std::string& layer2,
                       std::int32_t maskNumber) {
        FrameRecord& record = state.document.frames.append();
        record.layerSource = {layer1, layer2};
        record.maskNumber = maskNumber;
        if (maskNumber >= state.document.masks.nextNumber) state.document.masks.nextNumber = maskNumber + 1;
        return record;
    }
    const Image& composite() const { return state.session.images.composite; }
};

// A frame whose mask was painted on sideways pictures before they were turned upright (the mask
// has their stored size) is composed from them as stored, here and in every export; any other
// frame is composed upright. The window says so once.
TEST_F(Composition, AMaskOfTheStoredSizeKeepsItsFrameUnturned) {
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(testing::PatternPicture(32, 24), jpeg));
    Image asStored;  // as pictures were read before they were turned
    ASSERT_EQ(DecodePicture(jpeg, asStored), LoadResult::Ok);
    struct Row {
        int orientation;
        int maskWidth;  // 0: no mask
        int maskHeight;
        bool unturned;
    };
    const Row rows[] = {{6, 0, 0, false},   {6, 24, 32, false}, {3, 32, 24, false},
                        {6, 32, 24, true},  {8, 32, 24, true},  {7, 32, 24, true},
                        {6, 24, 24, false}, {1, 32, 24, false}};
    std::vector<Image> expected;
    for (const Row& row : rows) {
        const std::string file = "t" + std::to_string(expected.size()) + ".jpg";
        const auto tagged = testing::WithExifOrientation(jpeg, row.orientation);
        Image upright;
        ASSERT_EQ(DecodePicture(tagged, upright), LoadResult::Ok);
        const std::int32_t n = row.maskWidth ? static_cast<std::int32_t>(expected.size()) + 1 : 0;
        const Image maskPicture =
            n ? GreyMask(row.maskWidth, row.maskHeight,
                         [](int x, int y) { return std::uint8_t(x * 7 + y * 5); })
              : Image();
        if (n) mask(n, maskPicture);
        frame(folder.write(file, std::string(tagged.begin(), tagged.end())), "", n);
        Image composed;
        const GreyImage maskGrey = n ? testing::GreyOf(maskPicture) : GreyImage();
        ASSERT_TRUE(ComposePictures(
            {row.unturned ? &asStored : &upright, nullptr, n ? &maskGrey : nullptr}, 640, 480,
            composed));
        expected.push_back(std::move(composed));
    }
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        SelectFrame(state.document, state.session, state.view, state.services, i);
        EXPECT_TRUE(testing::SamePicture(composite(), expected[i])) << i;
    }
    const std::string& notice = state.services.language.texts[Text::ElseStoredorientation];
    EXPECT_EQ(std::count(shell.notices.begin(), shell.notices.end(), notice), 1);
    WorkQueue queue(2);
    FrameSequence sequence(FilmOf(state.document, state.session), 0, -1, queue,
                           state.services.reporter());
    for (const Image& frame : expected) {
        ASSERT_TRUE(sequence.nextReadable());
        EXPECT_TRUE(testing::SamePicture(sequence.composeNext(), frame));
    }
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Composition, BothLayersThroughTheMask) {
    const auto l1 = picture("a.png", UniformPicture(8, 6, {200, 100, 0}));
    const auto l2 = picture("b.png", UniformPicture(8, 6, {100, 200, 255}));
    mask(1, GreyMask(8, 6, [](int x, int) { return x < 4 ? 255 : (x < 6 ? 0 : 128); }));
    frame(l1, l2, 1);
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 0), 0);
    ASSERT_EQ(composite().width(), 8);
    EXPECT_EQ(composite().red(0, 0), 200);   // mask 255: layer 1 (200 stays 200)
    EXPECT_EQ(composite().green(0, 0), 99);  // 100 becomes 99
    EXPECT_EQ(composite().red(4, 5), 99);    // mask 0: layer 2
    EXPECT_EQ(composite().blue(4, 5), 255);
    EXPECT_EQ(composite().red(7, 3), 150);  // 200 * 128 + 100 * 127
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Composition, LayerOneWithMaskIsBlackWhereTheMaskIsZero) {
    const auto l1 = picture("a.png", UniformPicture(4, 4, {200, 200, 200}));
    mask(1, GreyMask(4, 4, [](int x, int) { return x < 2 ? 0 : 255; }));
    frame(l1, "", 1);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    EXPECT_EQ(composite().red(0, 0), 0);
    EXPECT_EQ(composite().red(3, 3), 200);
}

TEST_F(Composition, LayerTwoWithMaskShowsLayerTwoAlone) {
    const Image take = MakePicture(4, 4, [](int x, int y) {
        return Rgb{std::uint8_t(x * 10), std::uint8_t(y * 10), 7};
    });
    const auto l2 = picture("b.png", take);
    mask(1, GreyMask(4, 4, [](int, int) { return 0; }));
    frame("", l2, 1);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    EXPECT_TRUE(composite().samePixels(take));
}

TEST_F(Composition, NoLayerGivesBlack) {
    const auto l1 = picture("a.png", UniformPicture(4, 4, {9, 9, 9}));
    frame(l1, "", 0);
    frame("", "", 0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    EXPECT_EQ(composite().red(1, 1), 9);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    EXPECT_EQ(composite().width(), 4);  // the size stays when no layer takes part
    EXPECT_EQ(composite().red(1, 1), 0);
}

// Layer 1 of 16 x 12 and layer 2 of 16 x 10: the composite is 16 x 10. With a mask the sources
// meet at the bottom-left (the lower rows of layer 1); without one at the top-left.
TEST_F(Composition, MixedSizesAlignBottomLeftWhenBlendedAndTopLeftWhenDrawn) {
    const auto rowColour = [](int, int y) { return Rgb{std::uint8_t(y), 0, 0}; };
    const auto l1 = picture("a.png", MakePicture(16, 12, rowColour));
    const auto l2 = picture("b.png", UniformPicture(16, 10, {0, 50, 0}));
    mask(1, GreyMask(20, 14, [](int, int) { return 255; }));
    frame(l1, l2, 1);
    frame(l1, l2, 0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    ASSERT_EQ(composite().width(), 16);
    ASSERT_EQ(composite().height(), 10);
    EXPECT_EQ(composite().red(0, 0), MixComponents(2, 0, 255));  // layer 1 row 2
    EXPECT_EQ(composite().red(5, 9), MixComponents(11, 0, 255));
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    EXPECT_EQ(composite().red(0, 0), 0);  // layer 1 row 0
    EXPECT_EQ(composite().red(5, 9), 9);
}

TEST_F(Composition, ARepeatedSourceIsNotLoadedAgain) {
    const auto l1 = picture("a.png", UniformPicture(4, 4, {70, 70, 70}));
    mask(1, GreyMask(4, 4, [](int, int) { return 255; }));
    frame(l1, "", 0);
    frame(l1, "", 1);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    ASSERT_TRUE(std::remove(l1.c_str()) == 0);  // a reload would now fail and report
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(composite().red(2, 2), MixComponents(70, 0, 255));
    const int redraws = shell.canvasRedraws;
    SelectFrame(state.document, state.session, state.view, state.services,
                1);  // already displayed: nothing composed, nothing drawn
    EXPECT_EQ(shell.canvasRedraws, redraws);
}

// A layer dropped into the displayed frame changes the whole picture, even when the last
// brush dab left a small dirty rectangle.
TEST_F(Composition, ANewLayerRecomposesTheWholePictureNotOnlyTheLastDab) {
    const auto first = picture("a.png", UniformPicture(8, 8, {10, 10, 10}));
    const auto second = picture("b.png", UniformPicture(8, 8, {240, 240, 240}));
    mask(1, GreyMask(8, 8, [](int, int) { return 255; }));
    FrameRecord& record = frame(first, "", 1);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    state.session.cache.dirty = Rect{0, 2, 0, 2};
    record.layerSource[0] = second;
    ASSERT_NE(ComposeFrame(state.document, state.session, state.view, state.services, 0), 0);
    EXPECT_EQ(composite().red(7, 7), MixComponents(240, 0, 255));
}

TEST_F(Composition, AMaskEditRecomposesOnlyTheDirtyRectangle) {
    const auto l1 = picture("a.png", UniformPicture(8, 8, {200, 200, 200}));
    mask(1, GreyMask(8, 8, [](int, int) { return 255; }));
    frame(l1, "", 1);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    state.session.images.mask.fill(0);
    state.session.cache.dirty = Rect{2, 4, 1, 3};
    EXPECT_EQ(ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged),
              kLayer1Present | kMaskPresent | kMaskChanged);
    EXPECT_EQ(composite().red(2, 1), 0);
    EXPECT_EQ(composite().red(3, 2), 0);
    EXPECT_EQ(composite().red(4, 2), 200);
    EXPECT_EQ(composite().red(2, 3), 200);
    EXPECT_EQ(ComposeFrame(state.document, state.session, state.view, state.services, 0),
              0);  // nothing changed
}

// A picture that cannot be loaded is reported once and stays absent: the work image still holds
// the previous frame's picture, which must not show in this frame on a later composition.
TEST_F(Composition, AFailedLayerStaysAbsentAndNeverShowsAnotherFramesPicture) {
    const auto good = picture("a.png", UniformPicture(4, 4, {90, 90, 90}));
    mask(1, GreyMask(4, 4, [](int, int) { return 255; }));
    frame(good, "", 0);
    frame(folder.file("missing.png"), "", 1);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("missing.png"), std::string::npos);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 120-2-1"), std::string::npos);
    EXPECT_EQ(shell.errors[0].caption, "Fehler !");
    ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged);
    EXPECT_EQ(shell.errors.size(), 1u);
    EXPECT_EQ(composite().red(1, 1), 0);
}

TEST_F(Composition, AMissingMaskIsReportedWithItsNumber) {
    const auto l1 = picture("a.png", UniformPicture(4, 4, {90, 90, 90}));
    frame(l1, "", 26);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_EQ(shell.errors[0].text,
              "Die Maske Nr. 26 konnte nicht geladen werden.\r\nErrorCode = 220-2-26");
    EXPECT_EQ(composite().red(0, 0), 90);  // composed without the mask
}

TEST(MaskWorkingFiles, AreNamedInUpperCaseHexadecimal) {
    EXPECT_EQ(MaskWorkingFileName(26), "morvel1A.tmp");
    EXPECT_EQ(MaskWorkingFileName(1), "morvel1.tmp");
    EXPECT_EQ(MaskWorkingFileName(255), "morvelFF.tmp");
}

class FrameSelection : public Composition {};

TEST_F(FrameSelection, AnIndexPastTheEndShowsTheLastFrame) {
    const auto l1 = picture("a.png", UniformPicture(4, 4, {1, 2, 3}));
    for (int i = 0; i < 5; ++i) frame(l1, "", 0);
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 7), 4);
    EXPECT_EQ(shell.frameMarkerMoves.back(), 4 * 65 + 2);
    EXPECT_EQ(state.session.cache.displayedIndex, 4);
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 2), 2);
    EXPECT_EQ(
        SelectFrame(state.document, state.session, state.view, state.services, kReselectDisplayed),
        2);
    EXPECT_EQ(
        SelectFrame(state.document, state.session, state.view, state.services, kFirstAndForget), 0);
}

TEST_F(FrameSelection, AnEmptyProjectShowsBlackAndHidesTheMarker) {
    const auto l1 = picture("a.png", UniformPicture(8, 8, {50, 50, 50}));
    frame(l1, "", 0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    state.document.frames.clear();
    EXPECT_EQ(SelectFrame(state.document, state.session, state.view, state.services, 0), -1);
    EXPECT_EQ(shell.frameMarkerMoves.back(), -200);
    EXPECT_EQ(composite().width(), 640);
    EXPECT_EQ(composite().height(), 480);
    EXPECT_EQ(composite().red(5, 5), 0);
    // The same picture dropped again is loaded again: the cache was emptied.
    frame(l1, "", 0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    EXPECT_EQ(composite().red(5, 5), 50);
}

// A mask painted on the displayed frame is written to its working file before another frame is
// composed, and comes back when the frame is shown again.
TEST_F(FrameSelection, LeavingAFrameStoresItsModifiedMask) {
    const auto l1 = picture("a.png", UniformPicture(6, 6, {200, 200, 200}));
    frame(l1, "", 0);
    frame(l1, "", 0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    ASSERT_TRUE(CreateMask(state.document, state.session, state.services));
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    EXPECT_EQ(state.document.masks.nextNumber, 2);
    state.session.images.mask.fill(255);
    state.session.images.mask.setGrey(1, 1, 0);
    ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged);
    EXPECT_FALSE(IsRegularFile(state.document.masks.workingFile(1)));
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    ASSERT_TRUE(IsRegularFile(state.document.masks.workingFile(1)));
    EXPECT_EQ(composite().red(1, 1), 200);  // frame 1 has no mask
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    EXPECT_EQ(composite().red(1, 1), 0);
    EXPECT_EQ(composite().red(2, 1), 200);
    EXPECT_FALSE(state.session.cache.maskModified);
}

TEST_F(FrameSelection, AMaskThatCannotBeStoredIsReportedOnceAndKept) {
    const auto l1 = picture("a.png", UniformPicture(6, 6, {200, 200, 200}));
    frame(l1, "", 0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    ASSERT_TRUE(CreateMask(state.document, state.session, state.services));
    // A folder where the mask working file should be cannot be written, not even by root.
    ASSERT_TRUE(MakeFolder(state.document.masks.workingFile(1)));
    EXPECT_FALSE(StoreMask(state.document, state.session, state.services, 1));
    EXPECT_FALSE(StoreMask(state.document, state.session, state.services, 1));
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 360-9-1"), std::string::npos);
    EXPECT_NE(shell.errors[0].text.find(state.document.masks.folder()), std::string::npos);
    EXPECT_TRUE(state.session.cache.maskModified);
    ASSERT_TRUE(state.session.unstoredMasks.contains(1));
    EXPECT_TRUE(
        testing::SamePicture(*state.session.unstoredMasks.at(1), state.session.images.mask));
}

TEST_F(FrameSelection, RefreshPlacesEveryThumbnailInItsFramesColumn) {
    const Image pictureData = UniformPicture(8, 6, {1, 1, 1});
    const auto l1 = picture("a.png", pictureData);
    for (int i = 0; i < 3; ++i) {
        FrameRecord& record = frame(l1, i == 1 ? l1 : "", 0);
        AttachLayerThumbnail(state.view.thumbnails, state.services, record, 0, pictureData);
        if (i == 1)
            AttachLayerThumbnail(state.view.thumbnails, state.services, record, 1, pictureData);
    }
    RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    EXPECT_EQ(shell.frameStripWidth, 3 * 65 + 20);
    const auto& gadget = [&](int i, int layer) {
        return shell.thumbnails.at(
            state.view.thumbnails.gadget(state.document.frames.at(i).id, layer));
    };
    EXPECT_EQ(gadget(0, 0).x, 5);
    EXPECT_EQ(gadget(2, 0).x, 2 * 65 + 5);
    EXPECT_EQ(gadget(1, 1).x, 65 + 5);
    EXPECT_EQ(gadget(1, 1).y, 51);
    EXPECT_EQ(gadget(1, 0).y, 2);
    EXPECT_EQ(gadget(1, 0).tooltip, "a.png");
    EXPECT_EQ(gadget(1, 0).width, 60);
    EXPECT_EQ(gadget(1, 0).height, 45);
}

TEST_F(FrameSelection, ClampKeepsTheDirtyRectangleInsideTheComposite) {
    state.session.images.composite = UniformPicture(100, 50, {});
    state.session.cache.dirty = Rect{-5, 120, -1, 60};
    ClampDirtyRectangle(state.session);
    EXPECT_EQ(state.session.cache.dirty.left, 0);
    EXPECT_EQ(state.session.cache.dirty.right, 100);
    EXPECT_EQ(state.session.cache.dirty.top, 0);
    EXPECT_EQ(state.session.cache.dirty.bottom, 50);
    state.session.cache.dirty = Rect{150, -3, 70, -9};
    ClampDirtyRectangle(state.session);
    EXPECT_EQ(state.session.cache.dirty.left, 99);
    EXPECT_EQ(state.session.cache.dirty.right, 0);
    EXPECT_EQ(state.session.cache.dirty.top, 49);
    EXPECT_EQ(state.session.cache.dirty.bottom, 0);
}

}  // namespace
}  // namespace morvel
