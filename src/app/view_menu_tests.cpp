#include "app/view_menu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "app/app_test_support.h"
#include "app/playback.h"
#include "editor/canvas.h"
#include "editor/onion_skin.h"
#include "platform/files.h"

namespace morvel {
namespace {

// Every file below folder with its bytes.
void readTree(const std::string& folder, std::map<std::string, std::vector<std::uint8_t>>& into) {
    for (const FolderEntry& entry : ListFolder(folder)) {
        const std::string path = folder + "/" + entry.name;
        if (entry.isFile)
            into[path] = ReadFileBytes(path).value_or(std::vector<std::uint8_t>{});
        else if (IsFolder(path))
            readTree(path, into);
    }
}

class OnionSkin : public ::testing::Test, public testing::AppFixture {
protected:
    OnionSkin() : AppFixture({300, 260}) {}

    void SetUp() override {
        ASSERT_TRUE(BuildMainWindow(state));
        addFrame(64, 48);
        addFrame(64, 48);
        addFrame(64, 48);
        // The first frame differs from the others: white over both takes.
        auto white = Image::create(64, 48);
        ASSERT_TRUE(white);
        for (int y = 0; y < 48; ++y) std::memset(white->row(y), 255, 64 * 3);
        for (const std::string& path : state.document.frames.at(0).layerSource)
            ASSERT_TRUE(SavePictureFile(*white, path, PictureFormat::Png));
        SelectFrame(state.document, state.session, state.view, state.services, 1);
    }

    // The canvas as it is drawn from scratch.
    Image redrawn() {
        InvalidateCanvas(state.view);
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
        return state.view.canvas;
    }
};

bool samePixels(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), static_cast<std::size_t>(a.width()) * 3) != 0)
            return false;
    return true;
}

TEST_F(OnionSkin, ShowsThePreviousFrameFaintlyOnTheCanvasOnly) {
    const Image plain = state.view.canvas;
    const Image composite = state.session.images.composite;
    std::map<std::string, std::vector<std::uint8_t>> before;
    readTree(work.path(), before);

    ViewMenu(state, MenuItem::OnionSkin);
    EXPECT_TRUE(state.view.onionSkin);
    EXPECT_TRUE(shell.menuItemChecked[+MenuItem::OnionSkin]);
    // The previous frame, composed as the canvas shows it, laid over at 30 %.
    Image previous;
    ASSERT_TRUE(ComposeFilmFrame(FilmOf(state.document, state.session).frameFiles(0),
                                 FilmViewOf(state.session, state.view), previous));
    Image expected = plain;
    BlendOnionSkin(previous, expected, 0, 0, expected.width(), expected.height());
    EXPECT_FALSE(samePixels(expected, plain));
    EXPECT_TRUE(samePixels(state.view.canvas, expected));
    // The white frame lightens the picture by 30 % of what was missing.
    const std::uint8_t* pixel = state.view.canvas.row(10) + 10 * 3;
    const int was = plain.row(10)[10 * 3];
    EXPECT_EQ(pixel[0], (was * 70 + 255 * 30 + 50) / 100);

    // A change of the composite redraws only its part, the same as a redraw from scratch.
    for (int y = 5; y < 9; ++y) std::memset(state.session.images.composite.row(y) + 15, 0, 12);
    CanvasCompositeChanged(state.view, Rect{5, 9, 5, 9});
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    const Image incremental = state.view.canvas;
    EXPECT_TRUE(samePixels(incremental, redrawn()));
    state.session.images.composite = composite;
    CanvasCompositeChanged(state.view, Rect{0, 64, 0, 48});

    // Display only: the composite and every file stay as they were.
    EXPECT_TRUE(samePixels(state.session.images.composite, composite));
    std::map<std::string, std::vector<std::uint8_t>> after;
    readTree(work.path(), after);
    EXPECT_EQ(after, before);

    ViewMenu(state, MenuItem::OnionSkin);
    EXPECT_FALSE(shell.menuItemChecked[+MenuItem::OnionSkin]);
    EXPECT_TRUE(samePixels(state.view.canvas, plain));
}

TEST_F(OnionSkin, FollowsTheDisplayedFrameAndIsOffInANewWindow) {
    ViewMenu(state, MenuItem::OnionSkin);
    // The first frame has none before it.
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    const Image first = state.view.canvas;
    ViewMenu(state, MenuItem::OnionSkin);
    EXPECT_TRUE(samePixels(state.view.canvas, first));
    ViewMenu(state, MenuItem::OnionSkin);
    // Frames 1 and 2 look alike; on frame 2 the onion skin is frame 1's, so nothing changes.
    SelectFrame(state.document, state.session, state.view, state.services, 2);
    const Image third = state.view.canvas;
    ViewMenu(state, MenuItem::OnionSkin);
    EXPECT_TRUE(samePixels(state.view.canvas, third));
    ViewMenu(state, MenuItem::OnionSkin);
    ASSERT_TRUE(BuildMainWindow(state));
    EXPECT_FALSE(state.view.onionSkin);
}

}  // namespace
}  // namespace morvel
