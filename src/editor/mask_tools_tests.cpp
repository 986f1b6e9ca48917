#include "editor/editor_test_state.h"
#include "editor/mask_tools.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "editor/mask_edit.h"
#include "editor/masks.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::EditorScene;
using testing::GreyMask;
using testing::Rgb;
using testing::UniformPicture;

// Components of 128 and more pass a blend through mask 255 or 0 unchanged.
constexpr Rgb kTake1{200, 150, 250};
constexpr Rgb kTake2{130, 140, 160};

TEST(Transparency, SpinValuesGiveTheseGreys) {
    const std::pair<int, int> table[] = {{100, 0},  {0, 255},  {50, 127}, {90, 26}, {70, 76},
                                         {30, 178}, {10, 229}, {-5, 255}, {140, 0}};
    for (auto [v, grey] : table) EXPECT_EQ(EraseGreyForTransparency(v), grey) << v;
}

struct ToolGadgets {
    ToolId tool;
    int button;
    bool brush, transparency, zoom;
};

TEST(SelectToolTest, ShowsTheOptionsOfTheToolAndDisablesItsButton) {
    for (const ToolGadgets& c : {ToolGadgets{"zoom", 9, false, false, true},
                                 ToolGadgets{"eraser", 10, true, true, false},
                                 ToolGadgets{"anti-eraser", 11, true, false, false},
                                 ToolGadgets{"selection", 12, false, true, false},
                                 ToolGadgets{"mask-mover", 13, false, false, false}}) {
        testing::RecordingShell shell;
        EditorTestState state(shell, "/nonexistent/", "/nonexistent/");
        SelectTool(state.view, state.services, c.tool);
        EXPECT_EQ(state.view.tool, c.tool);
        for (int button = 9; button <= 13; ++button)
            EXPECT_EQ(shell.gadgetEnabled.at(button), button != c.button) << c.button;
        EXPECT_EQ(shell.gadgetShown.at(14), c.brush) << c.button;
        EXPECT_EQ(shell.gadgetShown.at(15), c.brush) << c.button;
        EXPECT_EQ(shell.gadgetShown.at(16), c.transparency) << c.button;
        EXPECT_EQ(shell.gadgetShown.at(17), c.transparency) << c.button;
        for (int zoom = 18; zoom <= 21; ++zoom) EXPECT_EQ(shell.gadgetShown.at(zoom), c.zoom);
        SelectTool(state.view, state.services, ToolId{});  // not a tool
        EXPECT_EQ(state.view.tool, c.tool);
    }
}

class MaskTools : public ::testing::Test, public EditorScene {
protected:
    void SetUp() override {
        addFrame(UniformPicture(120, 90, kTake1), UniformPicture(120, 90, kTake2));
        show(0, 200, 150);
    }
    // The mask pixels that are not white.
    std::set<std::pair<int, int>> painted() const {
        std::set<std::pair<int, int>> out;
        const GreyImage& m = state.session.images.mask;
        for (int y = 0; y < m.height(); ++y)
            for (int x = 0; x < m.width(); ++x)
                if (m.grey(x, y) != 255) out.insert({x, y});
        return out;
    }
    void click(int x, int y) { drag({{x, y}, {x, y}}); }
};

TEST_F(MaskTools, FirstEraserDabMakesAWhiteMaskWithTheDab) {
    ASSERT_EQ(state.document.frames.at(0).maskNumber, 0);
    state.view.toolSettings.brushSize = 3;
    click(20, 20);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    EXPECT_EQ(state.document.masks.nextNumber, 2);
    EXPECT_TRUE(state.session.cache.maskModified);
    EXPECT_EQ(mask(20, 20), 0);
    EXPECT_EQ(mask(5, 5), 255);
    // Layer 2 inside the dab, layer 1 outside.
    const Image& composite = state.session.images.composite;
    EXPECT_EQ(testing::DescribePixel(composite, 20, 20), "130/140/160");
    EXPECT_EQ(testing::DescribePixel(composite, 5, 5), "200/150/250");
}

TEST_F(MaskTools, BrushOfSizeOneCoversTwoByTwoPixels) {
    state.view.toolSettings.brushSize = 1;
    click(10, 10);
    EXPECT_EQ(painted(), (std::set<std::pair<int, int>>{{10, 10}, {11, 10}, {10, 11}, {11, 11}}));
    FillMaskRectangle(state.document, state.session, Rect{0, 120, 0, 90}, 255);
    state.view.toolSettings.brushShape = kSquareBrushImage;
    click(10, 10);
    EXPECT_EQ(painted(), (std::set<std::pair<int, int>>{{9, 9}, {10, 9}, {9, 10}, {10, 10}}));
}

TEST_F(MaskTools, DabIsCentredOnTheCompositePixelUnderTheCursor) {
    state.view.toolSettings.brushSize = 3;
    state.view.zoom = 2.0f;
    state.view.offsetX = -50;
    click(20, 30);  // composite (60, 15): the disc in 57..62 x 12..17
    const auto dab = painted();
    EXPECT_EQ(dab.size(), 32u);
    for (auto [x, y] : {std::pair{57, 15}, {62, 15}, {60, 12}, {58, 12}, {61, 17}})
        EXPECT_TRUE(dab.count({x, y})) << x << "," << y;
    for (auto [x, y] : {std::pair{56, 15}, {63, 15}, {57, 12}, {60, 11}, {60, 18}})
        EXPECT_FALSE(dab.count({x, y})) << x << "," << y;
}

TEST_F(MaskTools, OverlappingHalfTransparentDabsDoNotDarken) {
    state.view.toolSettings.eraseGrey = EraseGreyForTransparency(50);
    drag({{30, 30}, {34, 30}, {38, 30}});
    EXPECT_EQ(mask(34, 30), 127);
    EXPECT_EQ(mask(30, 30), 127);
}

TEST_F(MaskTools, AntiEraserOnAFrameWithoutMaskMakesAWhiteMask) {
    const Image before = state.session.images.composite;
    SelectTool(state.view, state.services, "anti-eraser");
    state.view.toolSettings.eraseGrey = 0;
    click(40, 40);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    EXPECT_TRUE(painted().empty());
    EXPECT_TRUE(state.session.cache.maskModified);
    EXPECT_TRUE(testing::SamePicture(state.session.images.composite, before));
}

TEST_F(MaskTools, HoveringShowsTheOutlineAndPaintsNothing) {
    const int redraws = shell.canvasRedraws;
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, 50, 50);
    EXPECT_EQ(shell.canvasRedraws, redraws + 1);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
    EXPECT_TRUE(state.view.cursorInside);
    EXPECT_FALSE(state.view.canvasCache.overlay.empty());
    // Leaving takes the outline away.
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, 250, 50);
    EXPECT_FALSE(state.view.cursorInside);
    EXPECT_TRUE(state.view.canvasCache.overlay.empty());
}

TEST_F(MaskTools, LeavingDuringAStrokePaintsOnceMoreAndEndsIt) {
    state.view.toolSettings.brushSize = 4;
    state.view.buttonDown = true;
    MouseAction(state.document, state.session, state.view, state.services, kMousePressed, 30, 60);
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, -2,
                60);  // left the canvas
    EXPECT_FALSE(state.view.buttonDown);
    EXPECT_EQ(mask(0, 60), 0);   // the dab at the leave position
    EXPECT_EQ(mask(15, 60), 0);  // joined to the press
    const auto before = painted();
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, 60,
                60);  // back, button up: a hover
    EXPECT_EQ(painted(), before);
}

TEST_F(MaskTools, LeavingDuringASelectionAbandonsIt) {
    SelectTool(state.view, state.services, "selection");
    state.view.buttonDown = true;
    MouseAction(state.document, state.session, state.view, state.services, kMousePressed, 10, 10);
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, 50, 40);
    MouseAction(state.document, state.session, state.view, state.services, kMouseDragged, 300, 40);
    EXPECT_FALSE(state.view.buttonDown);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
    EXPECT_TRUE(state.view.canvasCache.overlay.empty());
}

TEST_F(MaskTools, SelectionFillsTheSameRectangleDraggedEitherWay) {
    SelectTool(state.view, state.services, "selection");
    state.view.toolSettings.eraseGrey = 100;
    drag({{10, 20}, {40, 30}});
    const auto forwards = painted();
    EXPECT_EQ(forwards.size(), 30u * 10u);
    EXPECT_TRUE(forwards.count({10, 20}));
    EXPECT_TRUE(forwards.count({39, 29}));
    EXPECT_EQ(mask(10, 20), 100);
    FillMaskRectangle(state.document, state.session, Rect{0, 120, 0, 90}, 255);
    drag({{40, 30}, {25, 5}, {10, 20}});
    EXPECT_EQ(painted(), forwards);
}

TEST_F(MaskTools, SelectionAtZoomHalfFillsTwiceTheDraggedPixels) {
    SelectTool(state.view, state.services, "selection");
    state.view.zoom = 0.5f;
    drag({{5, 10}, {105, 50}});  // composite (10, 20) to (210, 100): clipped to 120 x 90
    const auto filled = painted();
    EXPECT_EQ(filled.size(), 110u * 70u);
    EXPECT_TRUE(filled.count({10, 20}));
    EXPECT_FALSE(filled.count({9, 20}));
    // A flat drag fills nothing.
    FillMaskRectangle(state.document, state.session, Rect{0, 120, 0, 90}, 255);
    drag({{5, 10}, {105, 10}});
    EXPECT_TRUE(painted().empty());
}

TEST_F(MaskTools, MoverShiftsTheMaskAndLosesWhatLeftIt) {
    ASSERT_TRUE(CreateMask(state.document, state.session, state.services));
    GreyImage& m = state.session.images.mask;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) m.setGrey(x, y, x);
    SelectTool(state.view, state.services, "mask-mover");
    drag({{50, 50}, {70, 50}, {80, 50}});
    EXPECT_EQ(mask(0, 10), 255);
    EXPECT_EQ(mask(29, 10), 255);
    EXPECT_EQ(mask(30, 10), 0);
    EXPECT_EQ(mask(119, 10), 89);
    // Back again: the columns shifted out are gone, white comes in at the right.
    drag({{80, 50}, {50, 50}});
    EXPECT_EQ(mask(0, 10), 0);
    EXPECT_EQ(mask(89, 10), 89);
    EXPECT_EQ(mask(90, 10), 255);
    // Within one drag, moving back restores the columns.
    drag({{50, 50}, {60, 50}, {50, 50}});
    EXPECT_EQ(mask(89, 10), 89);
}

TEST(MaskMoverTest, TakesThePrecedingFramesMaskUnderANewNumber) {
    EditorScene scene;
    const Image previous = GreyMask(40, 30, [](int x, int) { return std::uint8_t(x * 5); });
    scene.addFrame(UniformPicture(40, 30, kTake1), UniformPicture(40, 30, kTake2), &previous);
    scene.addFrame(UniformPicture(40, 30, kTake1), UniformPicture(40, 30, kTake2));
    scene.show(1, 40, 30);
    SelectTool(scene.state.view, scene.state.services, "mask-mover");
    scene.drag({{10, 10}, {10, 10}});
    const FrameRecord& frame = scene.state.document.frames.at(1);
    EXPECT_EQ(frame.maskNumber, 2);
    EXPECT_EQ(scene.state.document.frames.at(0).maskNumber, 1);
    EXPECT_EQ(scene.state.document.masks.nextNumber, 3);
    EXPECT_TRUE(testing::SamePicture(scene.state.session.images.mask, previous));
    EXPECT_EQ(scene.state.session.images.composite.red(0, 0), 130);  // composed with the taken mask
    // On the first frame, without a mask before it, nothing happens.
    SelectFrame(scene.state.document, scene.state.session, scene.state.view, scene.state.services,
                0);
    scene.state.document.frames.at(0).maskNumber = 0;
    SelectFrame(scene.state.document, scene.state.session, scene.state.view, scene.state.services,
                1);
    SelectFrame(scene.state.document, scene.state.session, scene.state.view, scene.state.services,
                0);
    scene.drag({{10, 10}, {20, 10}});
    EXPECT_EQ(scene.state.document.frames.at(0).maskNumber, 0);
    EXPECT_TRUE(scene.shell.errors.empty());
}

TEST(MaskMoverTest, AnUnreadablePrecedingMaskIsReported) {
    EditorScene scene;
    const Image previous = GreyMask(40, 30, [](int, int) { return std::uint8_t(9); });
    scene.addFrame(UniformPicture(40, 30, kTake1), {}, &previous);
    scene.addFrame(UniformPicture(40, 30, kTake1), {});
    scene.show(1, 40, 30);
    std::remove(scene.state.document.masks.workingFile(1).c_str());
    SelectTool(scene.state.view, scene.state.services, "mask-mover");
    scene.drag({{10, 10}, {20, 10}});
    ASSERT_EQ(scene.shell.errors.size(), 1u);
    EXPECT_NE(scene.shell.errors[0].text.find("ErrorCode = 220-12-1"), std::string::npos);
    EXPECT_EQ(scene.state.document.frames.at(1).maskNumber, 0);
}

TEST(MaskToolsWithoutFrame, ClicksAndMovesDoNothing) {
    EditorScene scene;
    scene.show(0, 100, 80);
    const int redraws = scene.shell.canvasRedraws;
    scene.drag({{10, 10}, {20, 20}});
    MouseAction(scene.state.document, scene.state.session, scene.state.view, scene.state.services,
                kMouseDragged, 30, 30);
    EXPECT_EQ(scene.shell.canvasRedraws, redraws);
    EXPECT_EQ(scene.state.document.masks.nextNumber, 1);
}

TEST(MaskToolsTallMask, PaintsWhereTheCompositeShowsTheMask) {
    // The composite takes the lower 30 rows of a 40-row mask.
    EditorScene scene;
    const Image tall = GreyMask(40, 40, [](int, int) { return std::uint8_t(255); });
    scene.addFrame(UniformPicture(40, 30, kTake1), UniformPicture(40, 30, kTake2), &tall);
    scene.show(0, 40, 30);
    scene.state.view.toolSettings.brushSize = 1;
    scene.drag({{5, 5}, {5, 5}});
    EXPECT_EQ(scene.mask(5, 15), 0);
    EXPECT_EQ(scene.mask(5, 5), 255);
    EXPECT_EQ(testing::DescribePixel(scene.state.session.images.composite, 5, 5), "130/140/160");
}

TEST(MaskToolsBrokenMask, PaintingStartsANewMask) {
    EditorScene scene;
    const Image grey = GreyMask(40, 30, [](int, int) { return std::uint8_t(50); });
    scene.addFrame(UniformPicture(40, 30, kTake1), {}, &grey);
    std::remove(scene.state.document.masks.workingFile(1).c_str());
    scene.show(0, 40, 30);
    ASSERT_EQ(scene.shell.errors.size(), 1u);  // loadmask
    scene.drag({{5, 5}, {5, 5}});
    EXPECT_EQ(scene.state.document.frames.at(0).maskNumber, 2);
    EXPECT_EQ(scene.mask(30, 20), 255);
}

}  // namespace
}  // namespace morvel
