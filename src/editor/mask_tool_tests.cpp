#include "editor/mask_tool.h"

#include <gtest/gtest.h>

#include "editor/view_transform.h"
#include "platform/gadgets.h"

namespace morvel {
namespace {

TEST(ViewTransformTest, CanvasPositionsBecomeCompositePixelsRoundedHalfToEven) {
    const struct {
        float zoom;
        int offsetX, cx, x, length;  // length: cx canvas pixels in composite pixels
    } cases[] = {
        {2.0f, -50, 20, 60, 10}, {2.0f, 0, 1, 0, 0},  {2.0f, 0, 3, 2, 2},
        {0.5f, 10, 7, 4, 14},    {1.0f, -3, 0, 3, 0}, {0.015625f, 0, 5, 320, 320},
    };
    for (const auto& c : cases) {
        const ViewTransform view{c.zoom, c.offsetX, 0};
        EXPECT_EQ(view.compositeX(c.cx), c.x) << c.zoom << " " << c.cx;
        EXPECT_EQ(view.compositeLength(c.cx), c.length) << c.zoom << " " << c.cx;
        EXPECT_EQ(view.offsetShowingAtEdge(c.cx, c.offsetX), -c.x);
    }
    EXPECT_EQ(ViewTransform({0.5f, 0, 0}).canvasLength(5.0f), 2);  // 2.5 to even
}

TEST(MaskToolRegistry, EachToolButtonHasItsToolWithItsOptions) {
    const struct {
        Gadget button;
        bool brush, transparency, zoom, outline;
    } tools[] = {
        {Gadget::ZoomTool, false, false, true, false},
        {Gadget::Eraser, true, true, false, true},
        {Gadget::AntiEraser, true, false, false, true},
        {Gadget::SelectionTool, false, true, false, false},
        {Gadget::MaskMover, false, false, false, false},
    };
    for (const auto& t : tools) {
        const MaskTool* tool = MaskToolFor(+t.button);
        ASSERT_NE(tool, nullptr) << +t.button;
        const ToolOptions options = tool->options();
        EXPECT_EQ(options.brush, t.brush) << +t.button;
        EXPECT_EQ(options.transparency, t.transparency) << +t.button;
        EXPECT_EQ(options.zoom, t.zoom) << +t.button;
        EXPECT_EQ(tool->outline() == ToolOutline::Brush, t.outline) << +t.button;
    }
    for (int other : {0, 8, 14, 46}) EXPECT_EQ(MaskToolFor(other), nullptr) << other;
    EXPECT_EQ(ToolButtons(), (std::vector<int>{9, 10, 11, 12, 13}));
}

}  // namespace
}  // namespace morvel
