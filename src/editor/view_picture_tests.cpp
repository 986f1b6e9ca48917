#include "editor/view_picture.h"

#include <gtest/gtest.h>

#include "editor/compose_frame.h"
#include "editor/mask_edit.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::DescribePixel;
using testing::UniformPicture;

struct View {
    CanvasPicture picture;
    bool overlay;
};

class ViewPicture : public ::testing::Test, public testing::EditorScene {
protected:
    void SetUp() override {
        addFrame(UniformPicture(120, 90, {200, 150, 250}),
                 UniformPicture(120, 90, {130, 140, 160}));
        show(0, 200, 150);
    }
    void view(View v) {
        state.view.canvasPicture = v.picture;
        state.view.maskOverlay = v.overlay;
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    }
    std::string canvasAt(int x, int y) { return DescribePixel(state.view.canvas, x, y); }
};

TEST_F(ViewPicture, EachViewShowsItsPictureAndPaintingStillEditsTheMask) {
    state.view.toolSettings.brushSize = 5;
    drag({{20, 20}, {20, 20}});  // layer 2 shows at (20, 20) in the composite
    const struct {
        View v;
        const char* painted;  // the canvas at (20, 20), and at (60, 60) unpainted
        const char* unpainted;
    } cases[] = {
        {{CanvasPicture::Layer1, false}, "200/150/250", "200/150/250"},
        {{CanvasPicture::Layer2, false}, "130/140/160", "130/140/160"},
        {{CanvasPicture::Result, false}, "130/140/160", "200/150/250"},
        // The tint: 60 % red where the mask is 0, none where it is white.
        {{CanvasPicture::Result, true}, "205/56/64", "200/150/250"},
        {{CanvasPicture::Layer1, true}, "233/60/100", "200/150/250"},
    };
    const auto unpaint = [&] {
        FillMaskRectangle(state.document, state.session, Rect{50, 70, 50, 70}, 255);
        state.session.cache.dirty = Rect{0, 120, 0, 90};
        ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged);
    };
    drag({{60, 60}, {60, 60}});
    const Image exported = state.session.images.composite;  // what the exports compose
    unpaint();
    for (const auto& c : cases) {
        view(c.v);
        EXPECT_EQ(canvasAt(20, 20), c.painted);
        EXPECT_EQ(canvasAt(60, 60), c.unpainted);
        // A dab in this view changes the mask and the composite as in any other, and the
        // canvas at once.
        drag({{60, 60}, {60, 60}});
        EXPECT_EQ(mask(60, 60), 0);
        EXPECT_TRUE(testing::SamePicture(state.session.images.composite, exported));
        EXPECT_EQ(canvasAt(60, 60), c.painted);
        unpaint();
        EXPECT_EQ(canvasAt(60, 60), c.painted) << "redrawn only at the next redraw";
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
        EXPECT_EQ(canvasAt(60, 60), c.unpainted);
    }
}

TEST_F(ViewPicture, TheTintGrowsAsTheMaskLetsMoreOfTake2Through) {
    int last = 0;
    for (int m = 255; m >= 0; m -= 15) {
        std::uint8_t p[3] = {100, 100, 100};
        TintByMask(p, static_cast<std::uint8_t>(m));
        EXPECT_GE(p[0] - p[1], last) << m;
        last = p[0] - p[1];
    }
    std::uint8_t white[3] = {10, 20, 30};
    TintByMask(white, 255);
    EXPECT_EQ(white[0] + white[1] + white[2], 60);
}

}  // namespace
}  // namespace morvel
