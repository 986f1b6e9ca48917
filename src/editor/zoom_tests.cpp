#include "editor/editor_test_state.h"
#include "editor/zoom.h"

#include <gtest/gtest.h>

#include "editor/mask_tool.h"
#include "editor/mask_tools.h"
#include "platform/gadgets.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"

namespace morvel {
namespace {

using testing::RecordingShell;

class Zoom : public ::testing::Test {
protected:
    RecordingShell shell;
    EditorTestState state{shell, "/nonexistent/", "/nonexistent/"};

    void SetUp() override {
        state.services.redrawPause = 0;
        sizes(640, 480, 640, 480);
    }
    void sizes(int canvasWidth, int canvasHeight, int compositeWidth, int compositeHeight) {
        state.view.canvas = *Image::create(canvasWidth, canvasHeight);
        state.session.images.composite = *Image::create(compositeWidth, compositeHeight);
    }
    int position(int bar) { return shell.gadgetStates[bar]; }
    // The zoom tool's mouse phase at canvas position (cx, cy).
    void zoomTool(int cx, int cy, int phase) {
        ToolContext context(state.document, state.session, state.view, state.services);
        ApplyMousePhase(*m_zoomTool, context, phase, cx, cy);
    }

private:
    std::unique_ptr<MaskTool> m_zoomTool = ToolRowFor("zoom")->make();
};

struct FitCase {
    int compositeWidth, compositeHeight;
    float zoom;
};

TEST_F(Zoom, FitTouchesTwoSidesAndIgnoresTheLimits) {
    for (const FitCase& c : {FitCase{1280, 720, 0.5f}, FitCase{640, 960, 0.5f},
                             FitCase{32, 24, 20.0f}, FitCase{6400, 480, 0.1f}}) {
        sizes(640, 480, c.compositeWidth, c.compositeHeight);
        state.view.offsetX = -30;
        ZoomFit(state.document, state.session, state.view, state.services);
        EXPECT_EQ(state.view.zoom, c.zoom) << c.compositeWidth << "x" << c.compositeHeight;
        EXPECT_EQ(state.view.offsetX, 0);
    }
    // From beyond the limit, one step in falls back to the limit.
    ZoomByFactor(state.document, state.session, state.view, state.services, kZoomInFactor);
    sizes(640, 480, 32, 24);
    ZoomFit(state.document, state.session, state.view, state.services);
    ZoomByFactor(state.document, state.session, state.view, state.services, kZoomInFactor);
    EXPECT_EQ(state.view.zoom, 5.0f);
}

TEST_F(Zoom, StepsInAndOutStopAtTheLimits) {
    ZoomByFactor(state.document, state.session, state.view, state.services, kZoomInFactor);
    EXPECT_EQ(state.view.zoom, 1.046875f);
    for (int step = 2; step <= 35; ++step)
        ZoomByFactor(state.document, state.session, state.view, state.services, kZoomInFactor);
    EXPECT_LT(state.view.zoom, 5.0f);
    ZoomByFactor(state.document, state.session, state.view, state.services,
                 kZoomInFactor);  // the 36th
    EXPECT_EQ(state.view.zoom, 5.0f);
    state.view.zoom = kMinZoom;
    ZoomByFactor(state.document, state.session, state.view, state.services, kZoomOutFactor);
    EXPECT_EQ(state.view.zoom, kMinZoom);
}

TEST_F(Zoom, StepsKeepTheCentreInPlace) {
    ZoomByFactor(state.document, state.session, state.view, state.services, kZoomInFactor);
    EXPECT_EQ(state.view.offsetX, -14);
    EXPECT_EQ(state.view.offsetY, -11);
    ZoomOneToOne(state.document, state.session, state.view, state.services);
    EXPECT_EQ(state.view.offsetX, 0);
    ZoomByFactor(state.document, state.session, state.view, state.services, kZoomOutFactor);
    EXPECT_EQ(state.view.offsetX, 16);
    EXPECT_EQ(state.view.offsetY, 12);
    // The scroll bars keep their positions in range: 0.
    EXPECT_EQ(position(+Gadget::HorizontalScrollBar), 0);
    EXPECT_EQ(position(+Gadget::VerticalScrollBar), 0);
    // The picture starts 15 canvas pixels right of and 11 below the corner, grey before it.
    const Image& canvas = state.view.canvas;
    EXPECT_EQ(canvas.red(14, 100), 68);
    EXPECT_EQ(canvas.red(15, 100), 0);
    EXPECT_EQ(canvas.red(100, 10), 68);
    EXPECT_EQ(canvas.red(100, 11), 0);
}

TEST_F(Zoom, ScrollBarsFollowZoomOffsetsAndSizes) {
    sizes(640, 480, 2000, 1000);
    state.view.offsetX = -300;
    state.view.offsetY = -200;
    state.view.zoom = 2.0f;
    UpdateScrollBars(state.session, state.view, state.services);
    EXPECT_EQ(shell.scrollBars[+Gadget::HorizontalScrollBar].maximum, 2000);
    EXPECT_EQ(shell.scrollBars[+Gadget::HorizontalScrollBar].page, 320);
    EXPECT_EQ(shell.scrollBars[+Gadget::VerticalScrollBar].page, 240);
    EXPECT_EQ(position(+Gadget::HorizontalScrollBar), 300);
    EXPECT_EQ(position(+Gadget::VerticalScrollBar), 200);
}

TEST_F(Zoom, ScrollingShowsTheBarsColumnAtTheLeftEdgeAtAnyZoom) {
    sizes(100, 50, 400, 100);
    state.session.images.composite = testing::PatternPicture(400, 100);
    for (float zoom : {1.0f, 2.0f, 3.0f}) {
        state.view.zoom = zoom;
        shell.gadgetStates[+Gadget::HorizontalScrollBar] = 200;
        const int redraws = shell.canvasRedraws;
        ScrollTo(state.document, state.session, state.view, state.services,
                 +Gadget::HorizontalScrollBar);
        EXPECT_EQ(state.view.offsetX, -200);
        EXPECT_EQ(shell.canvasRedraws, redraws + 1);
        EXPECT_EQ(state.view.canvas.blue(0, 0), state.session.images.composite.blue(200, 0))
            << zoom;
    }
    shell.gadgetStates[+Gadget::VerticalScrollBar] = 7;
    ScrollTo(state.document, state.session, state.view, state.services, +Gadget::VerticalScrollBar);
    EXPECT_EQ(state.view.offsetY, -7);
}

TEST_F(Zoom, TheZoomToolZoomsToTheDraggedRectangleEitherWay) {
    for (bool backwards : {false, true}) {
        ZoomOneToOne(state.document, state.session, state.view, state.services);
        if (backwards) {
            zoomTool(420, 290, kMousePressed);
            zoomTool(300, 100, kMouseDragged);
            zoomTool(100, 50, kMouseReleased);
        } else {
            zoomTool(100, 50, kMousePressed);
            zoomTool(420, 290, kMouseReleased);
        }
        EXPECT_EQ(state.view.zoom, 2.0f);
        EXPECT_EQ(state.view.offsetX, -100);
        EXPECT_EQ(state.view.offsetY, -50);
    }
}

TEST_F(Zoom, TheZoomToolKeepsTheLimitsAndIgnoresFlatRectangles) {
    zoomTool(10, 10, kMousePressed);
    zoomTool(12, 11, kMouseReleased);  // 320 times: limited to 5
    EXPECT_EQ(state.view.zoom, 5.0f);
    ZoomOneToOne(state.document, state.session, state.view, state.services);
    zoomTool(10, 10, kMousePressed);
    zoomTool(200, 10, kMouseReleased);
    zoomTool(10, 10, kMouseHover);
    EXPECT_EQ(state.view.zoom, 1.0f);
    EXPECT_EQ(state.view.offsetX, 0);
}

}  // namespace
}  // namespace morvel
