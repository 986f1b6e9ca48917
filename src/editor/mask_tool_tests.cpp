#include "editor/mask_tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <set>
#include <vector>

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

TEST(ViewTransformTest, ZoomsKeepTheCentreOrThePixelUnderTheCursor) {
    const struct {
        ViewTransform from;
        float zoom;
        int width, cx;  // canvas width for the centre, canvas position for the pixel
        std::int32_t aboutCentre, keepingPixel;
    } cases[] = {
        {{1.0f, 0, 0}, 2.0f, 640, 10, -160, -5},
        {{1.0f, 0, 0}, 2.0f, 10, 0, -2, 0},     // -2.5: halves go to even
        {{1.0f, -7, 0}, 2.0f, 10, 0, -10, -7},  // -9.5
        {{2.0f, 0, 0}, 1.0f, 5, 3, 1, 2},       // 1.25
        {{2.0f, -4, 0}, 0.5f, 4, 3, -1, 2},     // pixel 5 stays under 3.5
        {{1.0f, 3, 0}, 1.0f, 8, 0, 3, 3},       // no change of zoom, no change of view
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.zoom << " " << c.from.offsetX << " " << c.zoom);
        const ViewTransform centred = c.from.zoomedAboutCentre(c.zoom, c.width, c.width);
        EXPECT_EQ(centred.zoom, c.zoom);
        EXPECT_EQ(centred.offsetX, c.aboutCentre);
        const ViewTransform kept = c.from.zoomedKeepingPixel(c.zoom, c.cx, c.cx);
        EXPECT_EQ(kept.offsetX, c.keepingPixel);
        // The pixel holding the centre of canvas pixel cx is still under it.
        const double centre = c.cx + 0.5;
        EXPECT_EQ(std::floor(centre / c.zoom - kept.offsetX),
                  std::floor(centre / c.from.zoom - c.from.offsetX));
    }
}

TEST(MaskToolRegistry, EachToolHasItsButtonAndItsOptions) {
    const struct {
        ToolId id;
        Gadget button;
        bool brush, transparency, zoom, outline;
    } tools[] = {
        {ToolId::Zoom, Gadget::ZoomTool, false, false, true, false},
        {ToolId::Eraser, Gadget::Eraser, true, true, false, true},
        {ToolId::AntiEraser, Gadget::AntiEraser, true, false, false, true},
        {ToolId::Selection, Gadget::SelectionTool, false, true, false, false},
        {ToolId::MaskMover, Gadget::MaskMover, false, false, false, false},
    };
    std::set<const MaskTool*> distinct;
    for (const auto& t : tools) {
        EXPECT_EQ(ToolOfButton(+t.button), t.id) << +t.button;
        const MaskTool* tool = MaskToolFor(t.id);
        ASSERT_NE(tool, nullptr) << +t.button;
        distinct.insert(tool);
        const ToolOptions options = tool->options();
        EXPECT_EQ(options.brush, t.brush) << +t.button;
        EXPECT_EQ(options.transparency, t.transparency) << +t.button;
        EXPECT_EQ(options.zoom, t.zoom) << +t.button;
        EXPECT_EQ(tool->outline() == ToolOutline::Brush, t.outline) << +t.button;
    }
    EXPECT_EQ(distinct.size(), std::size(tools));
    for (int other : {0, 8, 14, 46}) EXPECT_EQ(ToolOfButton(other), ToolId::None) << other;
    EXPECT_EQ(MaskToolFor(ToolId::None), nullptr);
    std::vector<int> buttons;
    for (const RegisteredTool& tool : RegisteredTools()) buttons.push_back(+tool.button);
    EXPECT_EQ(buttons, (std::vector<int>{9, 10, 11, 12, 13}));
}

}  // namespace
}  // namespace morvel
