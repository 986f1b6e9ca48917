#include "editor/mask_tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <memory>
#include <set>
#include <vector>

#include "project/view_geometry.h"
#include "i18n/language_file.h"
#include "platform/files.h"
#include "platform/gadgets.h"

namespace morvel {
namespace {

TEST(ViewGeometryTest, CanvasPositionsBecomeCompositePixelsRoundedHalfToEven) {
    const struct {
        float zoom;
        int offsetX, cx, x, length;  // length: cx canvas pixels in composite pixels
    } cases[] = {
        {2.0f, -50, 20, 60, 10}, {2.0f, 0, 1, 0, 0},  {2.0f, 0, 3, 2, 2},
        {0.5f, 10, 7, 4, 14},    {1.0f, -3, 0, 3, 0}, {0.015625f, 0, 5, 320, 320},
    };
    for (const auto& c : cases) {
        const ViewGeometry view{c.zoom, c.offsetX, 0};
        EXPECT_EQ(view.compositeX(c.cx), c.x) << c.zoom << " " << c.cx;
        EXPECT_EQ(view.compositeLength(c.cx), c.length) << c.zoom << " " << c.cx;
        EXPECT_EQ(view.offsetShowingAtEdge(c.cx, c.offsetX), -c.x);
    }
    EXPECT_EQ(ViewGeometry({0.5f, 0, 0}).canvasLength(5.0f), 2);  // 2.5 to even
}

TEST(ViewGeometryTest, ZoomsKeepTheCentreOrThePixelUnderTheCursor) {
    const struct {
        ViewGeometry from;
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
        const ViewGeometry centred = c.from.zoomedAboutCentre(c.zoom, c.width, c.width);
        EXPECT_EQ(centred.zoom, c.zoom);
        EXPECT_EQ(centred.offsetX, c.aboutCentre);
        const ViewGeometry kept = c.from.zoomedKeepingPixel(c.zoom, c.cx, c.cx);
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
        {"zoom", Gadget::ZoomTool, false, false, true, false},
        {"eraser", Gadget::Eraser, true, true, false, true},
        {"anti-eraser", Gadget::AntiEraser, true, false, false, true},
        {"selection", Gadget::SelectionTool, false, true, false, false},
        {"mask-mover", Gadget::MaskMover, false, false, false, false},
    };
    std::set<const ToolRow*> distinct;
    for (const auto& t : tools) {
        EXPECT_EQ(ToolOfButton(+t.button), t.id) << +t.button;
        const ToolRow* row = ToolRowFor(t.id);
        ASSERT_NE(row, nullptr) << +t.button;
        distinct.insert(row);
        const std::unique_ptr<MaskTool> tool = row->make();
        const ToolOptions options = tool->options();
        EXPECT_EQ(options.brush, t.brush) << +t.button;
        EXPECT_EQ(options.transparency, t.transparency) << +t.button;
        EXPECT_EQ(options.zoom, t.zoom) << +t.button;
        EXPECT_EQ(tool->outline() == ToolOutline::Brush, t.outline) << +t.button;
    }
    EXPECT_EQ(distinct.size(), std::size(tools));
    for (int other : {0, 8, 14, 46}) EXPECT_EQ(ToolOfButton(other), ToolId{}) << other;
    EXPECT_EQ(ToolRowFor(ToolId{}), nullptr);
    EXPECT_EQ(ToolRowFor("no such tool"), nullptr);
    // Today's tools keep buttons 9 to 13; the tools after them take 47 and up, in order.
    std::vector<int> buttons;
    for (const RegisteredTool& tool : RegisteredTools()) buttons.push_back(tool.button);
    ASSERT_GE(buttons.size(), 5u);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(buttons[i], i < 5 ? 9 + static_cast<int>(i) : 47 + static_cast<int>(i) - 5);
}

// A tool's tooltip may be a text of its own, beyond the language table: the shipped language
// files must still translate it.
TEST(MaskToolRegistry, ShippedLanguagesTranslateEveryTooltip) {
    LanguageTable table;
    AddToolTexts(table);
    for (const char* language : {"English", "Français"}) {
        const auto bytes =
            ReadFileBytes(std::string(MORVEL_LANGUAGES_FOLDER "/") + language + ".language");
        ASSERT_TRUE(bytes) << language;
        AddedTextValues added;
        const LanguageFileValues values = ParseLanguageFile(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
            table.added(), added);
        for (const RegisteredTool& tool : RegisteredTools()) {
            const TextEntry& text = tool.row.tooltip;
            bool found = false;
            for (int i = 0; i < kTextCount; ++i)
                found |= LanguageTable::entry(static_cast<Text>(i)).key == text.key &&
                         LanguageTable::entry(static_cast<Text>(i)).group == text.group &&
                         values[static_cast<std::size_t>(i)].has_value();
            for (std::size_t i = 0; i < added.size(); ++i)
                found |= table.added()[i].key == text.key && added[i].has_value();
            EXPECT_TRUE(found) << language << " lacks [" << text.group << "] " << text.key;
        }
    }
}

}  // namespace
}  // namespace morvel
