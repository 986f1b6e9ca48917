#include "editor/awaited_frame.h"
#include "editor/editor_test_state.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/picture_io.h"
#include "editor/canvas_film.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/onion_skin.h"
#include "editor/playback_cache.h"
#include "editor/quick_stand_in.h"
#include "import/layer_picture.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::SamePicture;
using testing::TempFolder;
using testing::UniformPicture;

// Reads each picture when asked, and says it has them ready only when told so.
class SlowReader : public LayerPictureReader {
public:
    bool ready = true;
    bool read(Services& services, const std::string& source, Image& picture) override {
        return ReadLayerPictureNow(services, picture, source);
    }
    bool readyFor(const FrameFiles&) override { return ready; }
};

// Frames 0..2: frame k shows a grey of 40 + 50k (within the blend's rounding) through its own
// white mask; all are in the playback cache.
class AwaitedFrameTest : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};
    SlowReader reader;
    PlaybackCache cache{PlaybackCache::kDefaultMemoryBound, 1};

    void write(const std::string& path, std::uint8_t grey) {
        ASSERT_TRUE(SavePictureFile(UniformPicture(640, 480, {grey, grey, grey}), path,
                                    PictureFormat::Png));
    }
    void SetUp() override {
        for (int k = 0; k < 3; ++k) {
            FrameRecord& frame = state.document.frames.append();
            frame.layerSource[0] = folder.file("p" + std::to_string(k) + ".png");
            write(frame.layerSource[0], greyOf(k));
            frame.maskNumber = state.document.masks.nextNumber++;
            write(state.document.masks.workingFile(frame.maskNumber), 255);
        }
        state.session.pictureReader = &reader;
        select(0);
        cache.setFilm(FilmOf(state.document, state.session).allFrameFiles(),
                      FilmViewOf(state.session, state.view));
        cache.fillFrom(0);
        cache.waitIdle();
        state.session.playbackCache = &cache;
    }
    static std::uint8_t greyOf(int k) { return static_cast<std::uint8_t>(40 + 50 * k); }
    void select(int n) { SelectFrame(state.document, state.session, state.view, state.services, n); }
    void step(int n) { StepToFrame(state.document, state.session, state.view, state.services, n); }
    bool finish(bool wait) {
        return FinishAwaitedFrame(state.document, state.session, state.view, state.services, wait);
    }
    int maskGreyOf(int k) {
        Image mask;
        const auto number = state.document.frames.at(k).maskNumber;
        if (LoadPictureFile(state.document.masks.workingFile(number), mask) != LoadResult::Ok)
            return -1;
        return mask.blue(0, 0);
    }
    const Image& canvas() const { return state.view.canvas; }
};

TEST_F(AwaitedFrameTest, AStepShowsAStandInAtOnceAndTheFullPictureWhenItIsReady) {
    const struct {
        bool ready;
        bool cached;
        bool onionSkin;
        bool awaited;
    } cases[] = {
        {false, true, false, true},    // the cache's picture at once, composed later
        {true, true, false, true},     // ready: still the cache's picture first
        {false, false, false, false},  // nothing to stand in: composed at once
        {false, true, true, true},     // the onion skin laid over it: frame 0 from the cache
    };
    for (const auto& c : cases) {
        reader.ready = true;
        state.view.onionSkin = c.onionSkin;
        select(0);
        reader.ready = c.ready;
        state.session.playbackCache = c.cached ? &cache : nullptr;
        const int presented = shell.canvasRedraws;
        step(1);
        SCOPED_TRACE(::testing::Message() << c.ready << c.cached << c.onionSkin);
        EXPECT_EQ(shell.canvasRedraws, presented + 1);
        EXPECT_EQ(state.session.cache.awaited, c.awaited);
        EXPECT_EQ(state.session.cache.displayedIndex, 1);
        EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(c.awaited ? 0 : 1), 1);
        if (c.awaited) {
            Image standIn;
            ASSERT_TRUE(cache.take(1, standIn));
            if (c.onionSkin) {
                Image before;
                ASSERT_TRUE(cache.take(0, before));
                BlendOnionSkin(before, standIn, 0, 0, standIn.width(), standIn.height());
            }
            EXPECT_TRUE(SamePicture(canvas(), standIn));
            if (!c.ready) {
                EXPECT_FALSE(finish(false));  // still not ready: nothing moves
                EXPECT_EQ(shell.canvasRedraws, presented + 1);
                reader.ready = true;
            }
            EXPECT_TRUE(finish(false));
            EXPECT_EQ(shell.canvasRedraws, presented + 2);
        }
        EXPECT_FALSE(state.session.cache.awaited);
        EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(1), 1);
        if (!c.onionSkin) EXPECT_NEAR(canvas().red(canvas().width() / 2, canvas().height() / 2), greyOf(1), 1);
    }
}

TEST_F(AwaitedFrameTest, StepsPastAwaitedFramesStoreOnlyTheMaskOfTheFrameLeft) {
    state.session.images.mask.fill(7);
    MarkMaskModified(state.session);
    reader.ready = false;
    step(1);
    step(2);  // the work images still hold frame 0's edited mask
    EXPECT_TRUE(state.session.cache.awaited);
    EXPECT_EQ(maskGreyOf(0), 7);
    EXPECT_EQ(maskGreyOf(1), 255);
    EXPECT_TRUE(finish(true));
    EXPECT_EQ(state.session.images.mask.grey(0, 0), 255);
    EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(2), 1);
    // Any selection composes the frame it shows.
    step(0);
    EXPECT_TRUE(state.session.cache.awaited);
    select(1);
    EXPECT_FALSE(state.session.cache.awaited);
    EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(1), 1);
}

TEST_F(AwaitedFrameTest, AStepTheCacheCannotServeShowsAQuickStandInThenTheFullPicture) {
    QuickStandIn quick;
    state.session.playbackCache = nullptr;
    state.session.quickStandIn = &quick;
    const auto centre = [&] { return canvas().red(canvas().width() / 2, canvas().height() / 2); };
    reader.ready = false;
    const int presented = shell.canvasRedraws;
    step(2);
    EXPECT_TRUE(state.session.cache.awaited);
    EXPECT_EQ(shell.canvasRedraws, presented);  // frame 0 stays until the stand-in is made
    quick.settle();
    EXPECT_FALSE(finish(false));
    EXPECT_EQ(shell.canvasRedraws, presented + 1);
    EXPECT_NEAR(centre(), greyOf(2), 1);
    EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(0), 1);
    EXPECT_FALSE(finish(false));  // shown once
    EXPECT_EQ(shell.canvasRedraws, presented + 1);
    reader.ready = true;
    EXPECT_TRUE(finish(false));
    EXPECT_EQ(shell.canvasRedraws, presented + 2);
    EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(2), 1);
    // Steps on before a stand-in is made: only the last one's shows.
    reader.ready = false;
    step(1);
    step(0);
    quick.settle();
    EXPECT_FALSE(finish(false));
    EXPECT_NEAR(centre(), greyOf(0), 1);
    EXPECT_TRUE(finish(true));
    EXPECT_NEAR(state.session.images.composite.red(5, 5), greyOf(0), 1);
    state.session.quickStandIn = nullptr;
}

}  // namespace
}  // namespace morvel
