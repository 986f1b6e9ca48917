#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/app_test_support.h"
#include "editor/mask_tool_support.h"
#include "editor/mask_tools.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "platform/files.h"
#include "platform/gadgets.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::GadgetEvent;
using testing::GradientPicture;
using testing::KindEvent;
using testing::MenuEvent;
using testing::MouseEvent;

class DispatchTest : public ::testing::Test, public AppFixture {
protected:
    void SetUp() override { ASSERT_TRUE(BuildMainWindow(state)); }
    LoopStep dispatch(const Event& event) { return Dispatch(state, event, hooks); }
    DispatchHooks hooks;
};

TEST_F(DispatchTest, ToolButtonsSelectTheirToolAndShowTheirOptions) {
    const struct {
        Gadget button;
        ToolId tool;
        bool brush, transparency, zoom;
    } cases[] = {
        {Gadget::ZoomTool, "zoom", false, false, true},
        {Gadget::Eraser, "eraser", true, true, false},
        {Gadget::AntiEraser, "anti-eraser", true, false, false},
        {Gadget::SelectionTool, "selection", false, true, false},
        {Gadget::MaskMover, "mask-mover", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(+c.button);
        EXPECT_EQ(dispatch(GadgetEvent(+c.button)), LoopStep::Continue);
        EXPECT_EQ(state.view.tool, c.tool);
        for (int button = +Gadget::ZoomTool; button <= +Gadget::MaskMover; ++button)
            EXPECT_EQ(shell.gadgetEnabled[button], button != +c.button) << button;
        for (Gadget g : {Gadget::BrushSize, Gadget::BrushShape, Gadget::Hardness})
            EXPECT_EQ(shell.gadgetShown[+g], c.brush);
        for (Gadget g : {Gadget::Transparency, Gadget::TransparencyIcon})
            EXPECT_EQ(shell.gadgetShown[+g], c.transparency);
        for (Gadget g : {Gadget::ZoomIn, Gadget::ZoomOut, Gadget::ZoomFit, Gadget::ZoomOneToOne})
            EXPECT_EQ(shell.gadgetShown[+g], c.zoom);
    }
}

TEST_F(DispatchTest, OptionGadgetsSetBrushAndEraseGrey) {
    const struct {
        int spin, grey;
    } transparency[] = {{100, 0}, {0, 255}, {90, 26}, {70, 76}, {50, 127}, {30, 178}, {10, 229}};
    for (const auto& t : transparency) {
        shell.gadgetStates[+Gadget::Transparency] = t.spin;
        dispatch(GadgetEvent(+Gadget::Transparency));
        EXPECT_EQ(state.view.toolSettings.eraseGrey, t.grey) << t.spin;
    }
    for (auto [spin, hardness] : {std::pair{40, 40}, {0, 0}, {100, 100}, {140, 100}, {-3, 0}}) {
        shell.gadgetStates[+Gadget::Hardness] = spin;
        dispatch(GadgetEvent(+Gadget::Hardness));
        EXPECT_EQ(state.view.toolSettings.hardness, hardness) << spin;
    }
    shell.gadgetStates[+Gadget::BrushSize] = 42;
    dispatch(GadgetEvent(+Gadget::BrushSize));
    EXPECT_EQ(state.view.toolSettings.brushSize, 42);

    EXPECT_EQ(state.view.toolSettings.brushShape, kRoundBrushImage);
    dispatch(GadgetEvent(+Gadget::BrushShape));
    EXPECT_EQ(state.view.toolSettings.brushShape, kSquareBrushImage);
    EXPECT_EQ(shell.brushShapeShown, kSquareBrushImage);
    dispatch(GadgetEvent(+Gadget::BrushShape));
    EXPECT_EQ(state.view.toolSettings.brushShape, kRoundBrushImage);
    EXPECT_EQ(shell.brushShapeShown, kRoundBrushImage);
}

TEST_F(DispatchTest, ZoomButtonsAndScrollBarsMoveTheView) {
    addFrame(1280, 960);
    dispatch(GadgetEvent(+Gadget::ZoomIn));
    EXPECT_FLOAT_EQ(state.view.zoom, 1.046875f);
    dispatch(GadgetEvent(+Gadget::ZoomOneToOne));
    dispatch(GadgetEvent(+Gadget::ZoomOut));
    EXPECT_FLOAT_EQ(state.view.zoom, 0.953125f);
    dispatch(GadgetEvent(+Gadget::ZoomFit));
    EXPECT_FLOAT_EQ(state.view.zoom, 0.5f);  // 640 x 480 canvas, 1280 x 960 picture
    dispatch(GadgetEvent(+Gadget::ZoomOneToOne));
    EXPECT_FLOAT_EQ(state.view.zoom, 1.0f);
    EXPECT_EQ(shell.scrollBars[+Gadget::HorizontalScrollBar].maximum, 1280);
    EXPECT_EQ(shell.scrollBars[+Gadget::VerticalScrollBar].page, 480);

    shell.gadgetStates[+Gadget::HorizontalScrollBar] = 200;
    dispatch(GadgetEvent(+Gadget::HorizontalScrollBar));
    shell.gadgetStates[+Gadget::VerticalScrollBar] = 30;
    dispatch(GadgetEvent(+Gadget::VerticalScrollBar));
    EXPECT_EQ(state.view.offsetX, -200);
    EXPECT_EQ(state.view.offsetY, -30);
}

TEST_F(DispatchTest, ZoomToolZoomsToTheDraggedRectangle) {
    addFrame();
    dispatch(GadgetEvent(+Gadget::ZoomTool));
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100, 50));
    EXPECT_TRUE(state.view.buttonDown);
    dispatch(MouseEvent(EventKind::MouseMove, 300, 200));
    dispatch(MouseEvent(EventKind::MouseMove, 420, 290));
    dispatch(MouseEvent(EventKind::LeftRelease, 420, 290));
    EXPECT_FALSE(state.view.buttonDown);
    EXPECT_FLOAT_EQ(state.view.zoom, 2.0f);
    EXPECT_EQ(state.view.offsetX, -100);
    EXPECT_EQ(state.view.offsetY, -50);
}

TEST_F(DispatchTest, GreyPickerTypesTheMasksGreyIntoTheTransparencyField) {
    addFrame();
    const int picker = 47;  // the first button after today's tools
    dispatch(GadgetEvent(picker));
    EXPECT_EQ(state.view.tool, "pick-grey");
    // Its key, the sixth tool's, selects it too, but not while a drag is under way.
    const int key = +MenuItem::FirstToolKey + 5;
    dispatch(GadgetEvent(+Gadget::ZoomTool));
    state.view.buttonDown = true;
    dispatch(MenuEvent(key));
    EXPECT_EQ(state.view.tool, "zoom");
    state.view.buttonDown = false;
    dispatch(MenuEvent(key));
    EXPECT_EQ(state.view.tool, "pick-grey");
    EXPECT_TRUE(shell.gadgetShown[+Gadget::Transparency]);
    // Without a mask the frame shows layer 1 alone: white.
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 20, 20));
    dispatch(MouseEvent(EventKind::LeftRelease, 20, 20));
    EXPECT_EQ(shell.gadgetStates[+Gadget::Transparency], 0);
    EXPECT_EQ(state.view.toolSettings.eraseGrey, 255);
    // Rectangles filled by the selection at these values give them back.
    const int values[] = {30, 100, 73, 1};
    for (int i = 0; i < 4; ++i) {
        shell.gadgetStates[+Gadget::Transparency] = values[i];
        dispatch(GadgetEvent(+Gadget::Transparency));
        dispatch(GadgetEvent(+Gadget::SelectionTool));
        dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100 * i, 100));
        dispatch(MouseEvent(EventKind::LeftRelease, 100 * i + 50, 150));
    }
    dispatch(GadgetEvent(picker));
    for (int i = 0; i < 4; ++i) {
        shell.gadgetStates[+Gadget::Transparency] = 50;
        dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100 * i + 25, 125));
        dispatch(MouseEvent(EventKind::LeftRelease, 100 * i + 25, 125));
        EXPECT_EQ(shell.gadgetStates[+Gadget::Transparency], values[i]);
        EXPECT_EQ(state.view.toolSettings.eraseGrey, EraseGreyForTransparency(values[i]));
    }
    // A drag picks as it goes; outside the picture nothing changes.
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 25, 125));
    dispatch(MouseEvent(EventKind::MouseMove, 125, 125));
    EXPECT_EQ(shell.gadgetStates[+Gadget::Transparency], 100);
    dispatch(MouseEvent(EventKind::LeftRelease, 125, 125));
    dispatch(GadgetEvent(+Gadget::ZoomOut));
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 639, 479));
    dispatch(MouseEvent(EventKind::LeftRelease, 639, 479));
    EXPECT_EQ(shell.gadgetStates[+Gadget::Transparency], 100);
}

TEST_F(DispatchTest, ReleaseWithoutPressOnTheCanvasDoesNothing) {
    FrameRecord& frame = addFrame();
    dispatch(MouseEvent(EventKind::MouseMove, 100, 100));
    EXPECT_TRUE(state.view.cursorInside);
    // Moves reach the tools wherever they happen: below the canvas, over the frame strip.
    dispatch(MouseEvent(EventKind::MouseMove, 100, 600));
    EXPECT_FALSE(state.view.cursorInside);
    dispatch(MouseEvent(EventKind::LeftRelease, 100, 100));
    EXPECT_EQ(frame.maskNumber, 0);
    // Other events of the canvas than the left click are ignored too.
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::RightClick, 100, 100));
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::DragStart, 100, 100));
    EXPECT_FALSE(state.view.buttonDown);
    EXPECT_EQ(frame.maskNumber, 0);

    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100, 100));
    dispatch(MouseEvent(EventKind::LeftRelease, 100, 100));
    EXPECT_EQ(frame.maskNumber, 1);
    EXPECT_TRUE(state.session.cache.maskModified);
}

TEST_F(DispatchTest, CloseBoxAndQuitItemAskAndCancelKeepsEverything) {
    for (const Event& close : {KindEvent(EventKind::Close), MenuEvent(+MenuItem::Quit)}) {
        addFrame();
        MarkProjectChanged(state.session);  // a change not saved yet
        shell.questions.clear();
        shell.answers = {Answer::Cancel};
        EXPECT_EQ(dispatch(close), LoopStep::Continue);
        EXPECT_EQ(shell.questions.size(), 1u);
        EXPECT_EQ(state.document.frames.size(), 1);

        shell.answers = {Answer::No};
        EXPECT_EQ(dispatch(close), LoopStep::End);
        EXPECT_EQ(state.document.frames.size(), 0);
    }
    // Without frames nothing is asked.
    shell.questions.clear();
    EXPECT_EQ(dispatch(KindEvent(EventKind::Close)), LoopStep::End);
    EXPECT_TRUE(shell.questions.empty());
}

// Every change counts until it is saved or undone; the title shows it, and only then does
// closing ask.
TEST_F(DispatchTest, UnsavedChangesAreKnownAndOnlyThenAsked) {
    const std::string a = work.file("a.png");
    SavePictureFile(GradientPicture(64, 48, 1), a, PictureFormat::Png);
    Event drop = MouseEvent(EventKind::Drop, 10, 10);
    drop.drop = {false, a, 0};
    const struct {
        std::function<void()> step;
        bool changed;
    } steps[] = {
        {[&] { dispatch(drop); }, true},
        {[&] { dispatch(MenuEvent(+MenuItem::Undo)); }, false},
        {[&] { dispatch(MenuEvent(+MenuItem::Redo)); }, true},
        {[&] { MarkProjectSaved(state.session), dispatch(KindEvent(EventKind::None)); }, false},
        {[&] { dispatch(MenuEvent(+MenuItem::Undo)); }, true},  // differs from the file again
        {[&] { dispatch(MenuEvent(+MenuItem::Redo)); }, false},
    };
    dispatch(KindEvent(EventKind::None));  // a new project keeps its title
    EXPECT_EQ(shell.windowTitles.back(), "*Neu* - Morvel");
    for (const auto& s : steps) {
        s.step();
        // A project with frames can be saved and exported, and its frames deleted.
        for (MenuItem item : {MenuItem::Save, MenuItem::ImageExport, MenuItem::DeleteFrame})
            EXPECT_EQ(shell.menuItemEnabled[+item], !state.document.frames.empty()) << +item;
        EXPECT_EQ(ProjectChanged(state.session), s.changed);
        ASSERT_FALSE(shell.windowTitles.empty());
        EXPECT_EQ(shell.windowTitles.back(), s.changed ? "**Neu* - Morvel" : "*Neu* - Morvel");
    }
    shell.questions.clear();
    EXPECT_EQ(dispatch(KindEvent(EventKind::Close)), LoopStep::End);
    EXPECT_TRUE(shell.questions.empty());
}

// Told to end by the system, the program asks nothing: unsaved work stays in the session for
// the next start (the displayed mask stored), an unchanged project is closed.
TEST_F(DispatchTest, TerminateEndsWithoutQuestionsKeepingOnlyUnsavedWork) {
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed);
        state.session.record.keep = false;
        addFrame();
        if (changed) {
            ASSERT_TRUE(EnsureMaskToPaint(state.document, state.session, state.services));
            MarkMaskModified(state.session);
            MarkProjectChanged(state.session);
        }
        shell.questions.clear();
        shell.answers = {Answer::Cancel};
        EXPECT_EQ(dispatch(KindEvent(EventKind::Terminate)), LoopStep::End);
        EXPECT_TRUE(shell.questions.empty());
        EXPECT_EQ(state.session.record.keep, changed);
        EXPECT_EQ(state.document.frames.size(), changed ? 1 : 0);
        if (changed) {
            EXPECT_TRUE(IsRegularFile(state.document.masks.workingFile(1)));
            state.document.frames.clear();
        }
    }
}

TEST_F(DispatchTest, DropsGoToTheLayerOfTheirRowAtTheScrolledPosition) {
    const std::string a = work.file("a.png"), b = work.file("b.png");
    SavePictureFile(GradientPicture(64, 48, 1), a, PictureFormat::Png);
    SavePictureFile(GradientPicture(64, 48, 2), b, PictureFormat::Png);
    // x 30 with the strip scrolled by 130 is in the third column (60 wide): after the two
    // frames there, so the drop adds frames 3 and 4.
    addFrame(64, 48);
    addFrame(64, 48);
    Event drop = MouseEvent(EventKind::Drop, 30, 47);
    drop.drop = {false, a + "\n" + b, 130};
    dispatch(drop);
    ASSERT_EQ(state.document.frames.size(), 4);
    EXPECT_EQ(state.document.frames.at(2).layerSource[0], a);
    EXPECT_EQ(state.document.frames.at(3).layerSource[0], b);
    EXPECT_TRUE(state.document.frames.at(2).layerSource[1].empty());
    // y 48 is the lower row: the empty second layers fill from column 2 on.
    state.view.dragPayload = b;
    drop.y = 48;
    drop.drop.privateFormat = true;
    dispatch(drop);
    ASSERT_EQ(state.document.frames.size(), 4);
    EXPECT_EQ(state.document.frames.at(2).layerSource[1], b);
    EXPECT_EQ(state.view.popupTargetLayer, 1);
    // Our drag type with no payload (another instance's drag) adds nothing.
    state.view.dragPayload.clear();
    drop.x = 300;
    dispatch(drop);
    EXPECT_EQ(state.document.frames.size(), 4);
}

TEST_F(DispatchTest, MenuItemsAndThumbnailsReachTheFrameOperations) {
    std::vector<std::string> calls;
    hooks.showAboutBox = [&](Program&) { calls.push_back("about"); };
    hooks.play = [&](Program&) { calls.push_back("play"); };
    hooks.askPlaybackRate = [&](Program&) { calls.push_back("rate"); };
    std::string files;
    for (const char* name : {"1.png", "2.png", "3.png"}) {
        SavePictureFile(GradientPicture(64, 48, 1), work.file(name), PictureFormat::Png);
        if (!files.empty()) files += '\n';
        files += work.file(name);
    }
    Event drop = MouseEvent(EventKind::Drop, 0, 10);
    drop.drop.fileList = files;
    dispatch(drop);
    drop.y = 60;
    dispatch(drop);
    ASSERT_EQ(state.document.frames.size(), 3);
    // A right click on frame 2's lower thumbnail pops up the menu where the pointer is and
    // makes the lower row the target of its items.
    const GadgetHandle lower = state.view.thumbnails.gadget(state.document.frames.at(1).id, 1);
    ASSERT_GE(lower, 1000);
    dispatch(GadgetEvent(static_cast<int>(lower), GadgetEventType::RightClick, 700, 800));
    ASSERT_EQ(shell.popupMenus.size(), 1u);
    EXPECT_EQ(shell.popupMenus[0].x, 700);
    EXPECT_EQ(shell.popupMenus[0].y, 800);
    EXPECT_EQ(state.view.popupTargetLayer, 1);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), 1);
    EXPECT_EQ(shell.frameCounters.back(), "2 / 3");  // the status line follows
    const std::string source = state.document.frames.at(1).layerSource[1];
    dispatch(MenuEvent(+MenuItem::RepeatLayer));  // into frame 3, filled: a new frame before it
    ASSERT_EQ(state.document.frames.size(), 4);
    EXPECT_EQ(shell.frameCounters.back().substr(1), " / 4");
    EXPECT_EQ(state.document.frames.at(2).layerSource[1], source);
    EXPECT_TRUE(state.document.frames.at(2).layerSource[0].empty());
    dispatch(MenuEvent(+MenuItem::DeleteLayer));  // the new frame's only layer: it goes
    EXPECT_EQ(state.document.frames.size(), 3);
    for (int item : {10, 19, 20, 500, 999, 1000}) dispatch(MenuEvent(item));
    dispatch(KindEvent(EventKind::Interrupt));  // no film plays: nothing
    EXPECT_EQ(calls, (std::vector<std::string>{"about", "play", "rate"}));
    EXPECT_EQ(shell.windowsBuilt.size(), 1u);  // item 1000 names no language
    // Gadget numbers that are no thumbnail do nothing.
    dispatch(GadgetEvent(5000, GadgetEventType::RightClick));
    EXPECT_EQ(shell.popupMenus.size(), 1u);

    dispatch(MenuEvent(+MenuItem::Open));  // asks for a project file, cancelled
    EXPECT_EQ(shell.openRequests.size(), 1u);
    dispatch(MenuEvent(+MenuItem::Tutorial));
    ASSERT_EQ(shell.openedAddresses.size(), 1u);
    EXPECT_EQ(shell.openedAddresses[0], "file://" + program.path() + "tutorial/index.html");
    state.services.language.texts.set(Text::ElseTutoriallink, "https://example.org/film");
    dispatch(MenuEvent(+MenuItem::Tutorial));
    EXPECT_EQ(shell.openedAddresses.back(), "https://example.org/film");
}

TEST_F(DispatchTest, ResizeLaysOutUnlessMinimised) {
    shell.client = {200, 100};
    Event minimised = KindEvent(EventKind::Resize);
    minimised.minimised = true;
    dispatch(minimised);
    EXPECT_TRUE(shell.clientResizes.empty());
    EXPECT_EQ(dispatch(KindEvent(EventKind::Resize)), LoopStep::Continue);
    EXPECT_EQ(state.view.canvas.width(), 245);
    EXPECT_EQ(state.view.canvas.height(), 170);
}

TEST_F(DispatchTest, ViewItemsChooseWhatTheCanvasShowsAndMoveTheirCheckMarks) {
    const struct {
        int item;
        CanvasPicture picture;
        bool overlay;
    } steps[] = {{22, CanvasPicture::Layer1, false}, {25, CanvasPicture::Layer1, true},
                 {23, CanvasPicture::Layer2, true},  {24, CanvasPicture::Result, true},
                 {25, CanvasPicture::Result, false}, {24, CanvasPicture::Result, false}};
    for (const auto& s : steps) {
        const int redraws = shell.canvasRedraws;
        dispatch(MenuEvent(s.item));
        EXPECT_EQ(state.view.canvasPicture, s.picture) << s.item;
        EXPECT_EQ(state.view.maskOverlay, s.overlay) << s.item;
        EXPECT_EQ(shell.canvasRedraws, redraws + 1);
        EXPECT_EQ(shell.menuItemChecked[22], s.picture == CanvasPicture::Layer1);
        EXPECT_EQ(shell.menuItemChecked[23], s.picture == CanvasPicture::Layer2);
        EXPECT_EQ(shell.menuItemChecked[24], s.picture == CanvasPicture::Result);
        EXPECT_EQ(shell.menuItemChecked[25], s.overlay);
    }
    // A new window (another language) starts with the composite again.
    dispatch(MenuEvent(22));
    dispatch(MenuEvent(25));
    ASSERT_TRUE(BuildMainWindow(state));
    EXPECT_EQ(state.view.canvasPicture, CanvasPicture::Result);
    EXPECT_FALSE(state.view.maskOverlay);
}

}  // namespace
}  // namespace morvel
