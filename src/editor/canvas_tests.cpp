#include "editor/canvas.h"
#include "editor/editor_test_state.h"

#include <gtest/gtest.h>

#include <random>

#include "editor/zoom.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::CanvasFromScratch;
using testing::EditorScene;
using testing::MakePicture;
using testing::PatternPicture;
using testing::RecordingShell;
using testing::Rgb;
using testing::SamePicture;

class Canvas : public ::testing::Test {
protected:
    RecordingShell shell;
    EditorTestState state{shell, "/nonexistent/", "/nonexistent/"};

    void SetUp() override { state.services.redrawPause = 0; }
    void scene(const Image& composite, int width, int height, float zoom = 1.0f, int ox = 0,
               int oy = 0) {
        state.session.images.composite = composite;
        state.view.canvas = *Image::create(width, height);
        state.view.zoom = zoom;
        state.view.offsetX = ox;
        state.view.offsetY = oy;
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    }
    const Image& canvas() const { return state.view.canvas; }
    bool grey(int x, int y) const {
        return canvas().red(x, y) == 68 && canvas().green(x, y) == 68 && canvas().blue(x, y) == 68;
    }
    // Which canvas pixels an overlay inverted, as a picture of 'x' and '.'.
    std::string inverted(const Image& before) const {
        std::string text;
        for (int y = 0; y < canvas().height(); ++y) {
            for (int x = 0; x < canvas().width(); ++x) {
                const bool flipped = canvas().red(x, y) == 255 - before.red(x, y) &&
                                     canvas().blue(x, y) == 255 - before.blue(x, y);
                const bool same = canvas().red(x, y) == before.red(x, y);
                text += flipped ? 'x' : same ? '.' : '?';
            }
            text += '\n';
        }
        return text;
    }
};

TEST_F(Canvas, ZoomOneShowsTheCompositePixelForPixelWithoutGrey) {
    const Image picture = PatternPicture(64, 48);
    scene(picture, 64, 48);
    EXPECT_TRUE(SamePicture(canvas(), picture));
    EXPECT_EQ(shell.pauses.back(), 0);
}

TEST_F(Canvas, GreyOnlyWhereTheCompositeDoesNotReach) {
    scene(PatternPicture(40, 30), 64, 48);
    EXPECT_FALSE(grey(39, 29));
    EXPECT_TRUE(grey(40, 0));
    EXPECT_TRUE(grey(0, 30));
    EXPECT_TRUE(grey(63, 47));
    // A picture that starts right of the canvas corner after zooming out.
    scene(PatternPicture(40, 30), 40, 30, 1.0f, 2, 0);
    EXPECT_TRUE(grey(1, 5));
    EXPECT_EQ(canvas().red(2, 5), PatternPicture(40, 30).red(0, 5));
}

TEST_F(Canvas, OffsetAtZoomTwoStartsAtTheOffsetColumn) {
    const Image picture = PatternPicture(300, 20);
    scene(picture, 100, 40, 2.0f, -100, 0);
    for (int x : {0, 1, 2, 3, 99}) {
        EXPECT_EQ(testing::DescribePixel(canvas(), x, 7),
                  testing::DescribePixel(picture, 100 + x / 2, 3))
            << x;
    }
}

TEST_F(Canvas, ScalingDownAveragesTheCoveredPixelsRounded) {
    // 4 x 2 to 2 x 1: each canvas pixel is the mean of a 2 x 2 block, halves rounded up.
    const Image picture = MakePicture(4, 2,
                                      {{10, 0, 1},
                                       {20, 0, 1},
                                       {0, 0, 0},
                                       {255, 255, 0},
                                       {30, 0, 1},
                                       {41, 0, 2},
                                       {0, 0, 0},
                                       {255, 255, 1}});
    scene(picture, 3, 1, 0.5f);
    EXPECT_EQ(testing::DescribePixel(canvas(), 0, 0), "25/0/1");     // 25.25, 0, 1.25
    EXPECT_EQ(testing::DescribePixel(canvas(), 1, 0), "128/128/0");  // 127.5, 127.5, 0.25
    EXPECT_TRUE(grey(2, 0));
    // 2 to 3: the middle canvas pixel covers half of each source pixel.
    const Image row = MakePicture(2, 1, {{0, 0, 0}, {90, 0, 0}});
    scene(row, 3, 1, 1.5f);
    EXPECT_EQ(canvas().red(0, 0), 0);
    EXPECT_EQ(canvas().red(1, 0), 45);
    EXPECT_EQ(canvas().red(2, 0), 90);
}

struct OutlineCase {
    const char* name;
    ToolId tool;
    int size;
    int shape;
    float zoom;
    int x, y, w, h;
    const char* picture;  // 12 x 8 canvas
};

class Outlines : public Canvas, public ::testing::WithParamInterface<OutlineCase> {};

TEST_P(Outlines, InvertExactlyTheOutlinePixels) {
    const OutlineCase& c = GetParam();
    scene(PatternPicture(12, 8), 12, 8, c.zoom);
    const Image before = canvas();
    SelectTool(state.view, state.services, c.tool);
    state.view.toolSettings.brushSize = c.size;
    state.view.toolSettings.brushShape = c.shape;
    RedrawCanvas(state.document, state.session, state.view, state.services, c.x, c.y, c.w, c.h);
    std::string shown = "\n";  // appended: GCC 12's -Wrestrict misreads "\n" + ...
    shown += inverted(before);
    EXPECT_EQ(shown, std::string("\n") + c.picture);
    // A redraw without overlay takes it away again.
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    EXPECT_TRUE(SamePicture(canvas(), before));
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, Outlines,
    ::testing::Values(
        OutlineCase{"round_radius_3", "eraser", 3, 6, 1.0f, 5, 4, 0, 0,
                    "............\n...xxxx.....\n..x....x....\n..x....x....\n..x....x....\n"
                    "..x....x....\n...xxxx.....\n............\n"},
        OutlineCase{"square_radius_2_at_zoom_half", "anti-eraser", 4, 7, 0.5f, 3, 3, 0, 0,
                    "............\n.xxxx.......\n.x..x.......\n.x..x.......\n.xxxx.......\n"
                    "............\n............\n............\n"},
        OutlineCase{"radius_1_is_2x2_from_the_cursor", "eraser", 1, 6, 1.0f, 4, 2, 0, 0,
                    "............\n............\n....xx......\n....xx......\n............\n"
                    "............\n............\n............\n"},
        OutlineCase{"radius_rounds_to_0", "eraser", 10, 6, 0.04f, 4, 2, 0, 0,
                    "............\n............\n............\n............\n............\n"
                    "............\n............\n............\n"},
        OutlineCase{"rubber_band_up_and_left", "selection", 10, 6, 1.0f, 8, 5, -5, -3,
                    "............\n............\n...xxxxxx...\n...x....x...\n...x....x...\n"
                    "...xxxxxx...\n............\n............\n"},
        OutlineCase{"rubber_band_down_and_right", "zoom", 10, 6, 1.0f, 3, 2, 5, 3,
                    "............\n............\n...xxxxxx...\n...x....x...\n...x....x...\n"
                    "...xxxxxx...\n............\n............\n"},
        OutlineCase{"rubber_band_of_width_0", "selection", 10, 6, 1.0f, 3, 2, 0, 3,
                    "............\n............\n............\n............\n............\n"
                    "............\n............\n............\n"},
        OutlineCase{"clipped_at_the_edge", "eraser", 2, 7, 1.0f, 0, 0, 0, 0,
                    ".x..........\nxx..........\n............\n............\n............\n"
                    "............\n............\n............\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Canvas, AHoverPresentsOnlyTheOutlinesItMoves) {
    scene(PatternPicture(600, 400), 600, 400);
    SelectTool(state.view, state.services, "eraser");
    RedrawCanvas(state.document, state.session, state.view, state.services, 100, 100, 0, 0);
    RedrawCanvas(state.document, state.session, state.view, state.services, 104, 103, 0, 0);
    const auto area = shell.lastPresented;
    EXPECT_EQ(area.left, 90);
    EXPECT_EQ(area.top, 90);
    EXPECT_EQ(area.right, 114);
    EXPECT_EQ(area.bottom, 113);
    EXPECT_TRUE(SamePicture(canvas(), CanvasFromScratch(state)));
}

TEST_F(Canvas, AChangedCompositeRectangleIsScaledAgainAlone) {
    scene(PatternPicture(600, 400), 200, 100, 0.3f, -20, -10);
    Image& composite = state.session.images.composite;
    for (int y = 100; y < 130; ++y)
        for (int x = 200; x < 260; ++x) composite.setPixel(x, y, 1, 2, 3);
    CanvasCompositeChanged(state.view, Rect{200, 260, 100, 130});
    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    const auto area = shell.lastPresented;
    EXPECT_LT((area.right - area.left) * (area.bottom - area.top), 30 * 20);
    EXPECT_TRUE(SamePicture(canvas(), CanvasFromScratch(state)));
}

// Any sequence of zooms, scrolls, strokes, hovers, drags and resizes leaves the canvas exactly
// as a redraw from nothing would draw it.
TEST(CanvasCache, RandomEditingMatchesARedrawFromScratch) {
    for (unsigned seed : {1u, 2u, 3u}) {
        EditorScene scene;
        scene.addFrame(testing::GradientPicture(301, 203, seed),
                       testing::GradientPicture(301, 203, 9));
        scene.addFrame(testing::GradientPicture(250, 190, seed + 5), {});
        scene.show(0, 160, 120);
        EditorTestState& state = scene.state;
        std::mt19937 random(seed);
        auto pick = [&](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        for (int step = 0; step < 250; ++step) {
            const int op = pick(0, 12);
            const int w = state.view.canvas.width();
            const int h = state.view.canvas.height();
            switch (op) {
                case 0:
                    ZoomByFactor(state.document, state.session, state.view, state.services,
                                 kZoomInFactor);
                    break;
                case 1:
                    ZoomByFactor(state.document, state.session, state.view, state.services,
                                 kZoomOutFactor);
                    break;
                case 2:
                    pick(0, 1)
                        ? ZoomFit(state.document, state.session, state.view, state.services)
                        : ZoomOneToOne(state.document, state.session, state.view, state.services);
                    break;
                case 3: {
                    const int bar = pick(3, 4);
                    scene.shell.gadgetStates[bar] = pick(0, 250);
                    ScrollTo(state.document, state.session, state.view, state.services, bar);
                    break;
                }
                case 4:
                case 5: {
                    SelectTool(state.view, state.services, pick(0, 1) ? "anti-eraser" : "eraser");
                    state.view.toolSettings.brushSize = pick(1, 30);
                    state.view.toolSettings.brushShape = pick(6, 7);
                    state.view.toolSettings.eraseGrey = pick(0, 255);
                    MouseAction(state.document, state.session, state.view, state.services,
                                kMouseDragged, pick(-5, w + 5), pick(-5, h + 5));
                    break;
                }
                case 6:
                case 7: {
                    SelectTool(state.view, state.services, pick(0, 1) ? "anti-eraser" : "eraser");
                    scene.drag({{pick(0, w - 1), pick(0, h - 1)},
                                {pick(0, w - 1), pick(0, h - 1)},
                                {pick(-10, w + 10), pick(-10, h + 10)},
                                {pick(0, w - 1), pick(0, h - 1)}});
                    break;
                }
                case 8:
                    SelectTool(state.view, state.services, pick(0, 1) ? "selection" : "mask-mover");
                    scene.drag({{pick(0, w - 1), pick(0, h - 1)},
                                {pick(0, w - 1), pick(0, h - 1)},
                                {pick(0, w - 1), pick(0, h - 1)}});
                    break;
                case 9:
                    SelectTool(state.view, state.services, "zoom");
                    scene.drag(
                        {{pick(0, w - 1), pick(0, h - 1)}, {pick(0, w - 1), pick(0, h - 1)}});
                    break;
                case 10:
                    scene.setCanvas(pick(50, 200), pick(40, 150));
                    RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1,
                                 0, 0);
                    break;
                case 11:
                    SelectFrame(state.document, state.session, state.view, state.services,
                                pick(0, 1));
                    break;
                default:
                    state.view.buttonDown = false;
                    MouseAction(state.document, state.session, state.view, state.services,
                                kMouseDragged, -3, pick(0, h));
                    break;
            }
            ASSERT_TRUE(SamePicture(state.view.canvas, CanvasFromScratch(state)))
                << "seed " << seed << ", step " << step << ", operation " << op;
        }
    }
}

}  // namespace
}  // namespace morvel
