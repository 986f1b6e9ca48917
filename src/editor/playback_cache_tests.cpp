#include "editor/editor_test_state.h"
#include "editor/playback_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "platform/null_shell.h"
#include "codecs/picture_io.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::GreyMask;
using testing::SamePicture;
using testing::TempFolder;

class PlaybackCacheTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::vector<FrameFiles> film;
    FilmView view;

    void SetUp() override {
        for (int k = 0; k < 6; ++k) {
            FrameFiles frame;
            frame.layers[0] = folder.file("a" + std::to_string(k) + ".png");
            frame.layers[1] = folder.file("b.png");
            EXPECT_TRUE(SavePictureFile(GradientPicture(48, 32, k + 1), frame.layers[0],
                                        PictureFormat::Png));
            if (k % 2 == 1) {
                frame.mask = folder.file("m" + std::to_string(k) + ".png");
                EXPECT_TRUE(SavePictureFile(
                    GreyMask(48, 32, [&](int x, int y) { return std::uint8_t(x * 5 + y + k); }),
                    frame.mask, PictureFormat::Png));
            }
            film.push_back(frame);
        }
        EXPECT_TRUE(
            SavePictureFile(GradientPicture(50, 30, 99), film[0].layers[1], PictureFormat::Png));
        view.canvasWidth = 40;
        view.canvasHeight = 36;
        view.geometry.offsetX = -3;
    }
    // What the editor's canvas shows for frame k (one without a mask) at the view.
    Image editorCanvas(int k) {
        NullShell shell;
        EditorTestState state(shell, folder.path(), folder.path());
        state.services.redrawPause = 0;
        state.document.frames.append().layerSource = film[k].layers;
        state.session.cache.displayedId = state.document.frames.at(0).id;
        ComposeFrame(state.document, state.session, state.view, state.services, 0);
        state.view.canvas = *Image::create(view.canvasWidth, view.canvasHeight);
        static_cast<ViewGeometry&>(state.view) = view.geometry;
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
        return state.view.canvas;
    }
};

TEST_F(PlaybackCacheTest, AtFullSizeAFrameIsWhatTheCanvasShows) {
    for (int k : {0, 2}) {  // frames without a mask: the editor composes them alike
        Image made;
        ASSERT_TRUE(ComposeFilmFrame(film[k], view, made));
        EXPECT_TRUE(SamePicture(made, editorCanvas(k))) << "frame " << k;
    }
    // Reduced at half size: the canvas's size, the picture's place within it.
    view.geometry.zoom = 0.5f;
    Image made;
    ASSERT_TRUE(ComposeFilmFrame(film[1], view, made));
    EXPECT_EQ(made.width(), 40);
    EXPECT_EQ(made.red(39, 35), kCanvasBackground);
    EXPECT_NE(made.red(0, 0), kCanvasBackground);
}

TEST_F(PlaybackCacheTest, FillsWithinItsBoundAndMakesAgainWhatChanged) {
    PlaybackCache cache(1 << 20, 2);
    cache.setFilm(film, view);
    cache.fillFrom(4);
    cache.waitIdle();
    for (int k = 0; k < 6; ++k) EXPECT_TRUE(cache.ready(k)) << k;
    const std::size_t whole = cache.memoryUsed();
    Image picture;
    ASSERT_TRUE(cache.take(3, picture));
    EXPECT_EQ(picture.width(), 40);

    // A frame whose file was written again is made again; the others stay.
    ASSERT_TRUE(SavePictureFile(GradientPicture(60, 40, 7), film[2].layers[0], PictureFormat::Png));
    cache.setFilm(film, view);
    EXPECT_FALSE(cache.ready(2));
    EXPECT_TRUE(cache.ready(3));
    cache.drop(3);
    cache.waitIdle();
    EXPECT_TRUE(cache.ready(2));
    EXPECT_TRUE(cache.ready(3));
    // Frame operations: a frame deleted, another given a new mask (a stroke stored, an undo).
    std::vector<FrameFiles> edited = film;
    edited.erase(edited.begin() + 1);
    edited[3].mask = folder.file("m1.png");
    cache.setFilm(edited, view);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(cache.ready(k), k != 3) << k;
    cache.fillFrom(0);
    cache.waitIdle();
    // Another view makes everything again.
    view.geometry.zoom = 0.5f;
    cache.setFilm(film, view);
    EXPECT_FALSE(cache.ready(0));

    // A bound for about three frames: those played first are made, nothing beyond the bound.
    PlaybackCache small(whole / 2, 1);
    small.setFilm(film, view);
    small.fillFrom(1);
    small.waitIdle();
    EXPECT_TRUE(small.ready(1));
    EXPECT_LE(small.memoryUsed(), whole / 2);
    int ready = 0;
    for (int k = 0; k < 6; ++k) ready += small.ready(k) ? 1 : 0;
    EXPECT_LT(ready, 6);
}

}  // namespace
}  // namespace morvel
