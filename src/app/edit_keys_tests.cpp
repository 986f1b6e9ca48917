#include "app/edit_keys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "editor/awaited_frame.h"
#include "editor/canvas_film.h"
#include "editor/masks.h"
#include "editor/playback_cache.h"
#include "editor/quick_stand_in.h"
#include "editor/undo_history.h"
#include "editor/zoom.h"
#include "i18n/load_language.h"
#include "codecs/load_result.h"
#include "import/layer_picture.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::GadgetEvent;
using testing::MenuEvent;
using testing::MouseEvent;
using testing::SamePicture;

// What an edit must bring back: the frame's mask, its working file and the composite.
struct Snapshot {
    int index;
    std::int32_t maskNumber;
    GreyImage mask;
    Image composite;
};

class EditKeysTest : public ::testing::Test, public AppFixture {
protected:
    void SetUp() override { ASSERT_TRUE(BuildMainWindow(state)); }
    LoopStep dispatch(const Event& event) { return Dispatch(state, event, hooks); }
    void menu(MenuItem item) { dispatch(MenuEvent(+item)); }

    // A drag with the tool over canvas positions, from press to release.
    void drag(Gadget tool, std::initializer_list<std::pair<int, int>> points) {
        dispatch(GadgetEvent(+tool));
        const auto first = *points.begin();
        dispatch(
            GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, first.first, first.second));
        for (const auto& [x, y] : points) dispatch(MouseEvent(EventKind::MouseMove, x, y));
        const auto last = *(points.end() - 1);
        dispatch(MouseEvent(EventKind::LeftRelease, last.first, last.second));
    }
    void stroke(int x, int y) { drag(Gadget::Eraser, {{x, y}, {x + 20, y + 5}, {x + 40, y}}); }

    Snapshot snapshot() const {
        return {state.session.cache.displayedIndex,
                DisplayedFrame(state.document, state.session)->maskNumber,
                state.session.images.mask, state.session.images.composite};
    }
    // The frame of the snapshot is displayed and shows exactly what was saved, its working file
    // holds the mask (and a frame without mask has no working file left of the undone one).
    void expectShown(const Snapshot& s, std::int32_t madeMask = 0) {
        EXPECT_EQ(state.session.cache.displayedIndex, s.index);
        EXPECT_EQ(DisplayedFrame(state.document, state.session)->maskNumber, s.maskNumber);
        EXPECT_TRUE(SamePicture(state.session.images.composite, s.composite));
        if (s.maskNumber == 0) {
            EXPECT_FALSE(std::filesystem::exists(state.document.masks.workingFile(madeMask)));
            return;
        }
        EXPECT_TRUE(SamePicture(state.session.images.mask, s.mask));
        StoreDisplayedMask(state.document, state.session, state.services);
        Image stored;
        ASSERT_EQ(LoadPictureFile(state.document.masks.workingFile(s.maskNumber), stored), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(stored, s.mask));
    }
    void expectItems(bool undo, bool redo) {
        EXPECT_EQ(shell.menuItemEnabled[+MenuItem::Undo], undo);
        EXPECT_EQ(shell.menuItemEnabled[+MenuItem::Redo], redo);
    }

    DispatchHooks hooks;
};

TEST_F(EditKeysTest, EachKindOfEditIsUndoneAndRedoneFromTheMenu) {
    addFrame();
    expectItems(false, false);
    const std::function<void()> edits[] = {
        [&] { stroke(100, 100); },  // the first dab makes the mask
        [&] {
            drag(Gadget::SelectionTool, {{300, 200}, {200, 120}});
        },
        [&] {
            drag(Gadget::MaskMover, {{50, 50}, {70, 60}, {90, 45}});
        },
        [&] {
            drag(Gadget::AntiEraser, {{120, 100}, {150, 110}});
        },
    };
    for (const auto& edit : edits) {
        const Snapshot before = snapshot();
        edit();
        expectItems(true, false);
        const Snapshot after = snapshot();
        ASSERT_FALSE(SamePicture(after.composite, before.composite));
        menu(MenuItem::Undo);
        expectShown(before, after.maskNumber);
        expectItems(before.maskNumber != 0, true);
        menu(MenuItem::Redo);
        expectShown(after);
        expectItems(true, false);
    }
    // Shortcuts and items raise the same numbers: Ctrl+Z four times undoes everything.
    for (int i = 0; i < 4; ++i) menu(MenuItem::Undo);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
    expectItems(false, true);
    menu(MenuItem::Undo);  // nothing left: nothing happens
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
}

TEST_F(EditKeysTest, UndoShowsTheEditedFrameAndANewEditDropsRedo) {
    addFrame();
    addFrame();
    addFrame();
    menu(MenuItem::FirstFrame);
    const Snapshot blank = snapshot();
    stroke(100, 100);
    const Snapshot first = snapshot();
    menu(MenuItem::LastFrame);  // stores frame 1's mask, as a thumbnail click does
    stroke(200, 200);
    const Snapshot last = snapshot();

    menu(MenuItem::Undo);
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    shell.frameStripShown.clear();
    menu(MenuItem::Undo);  // frame 1's stroke: that frame comes first, the strip scrolls to it
    expectShown(blank, first.maskNumber);
    EXPECT_EQ(shell.frameStripShown,
              (std::vector<testing::RecordingShell::Columns>{{0, kFrameColumnWidth}}));
    menu(MenuItem::Redo);
    expectShown(first);
    menu(MenuItem::Redo);
    expectShown(last);
    expectItems(true, false);

    menu(MenuItem::Undo);
    menu(MenuItem::Undo);
    expectItems(false, true);
    stroke(300, 50);  // on the first frame, shown by the undo: the undone steps are gone
    expectItems(true, false);
    menu(MenuItem::Redo);
    EXPECT_EQ(state.document.frames.at(2).maskNumber, 0);
    menu(MenuItem::Undo);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
    expectItems(false, true);
}

TEST_F(EditKeysTest, UndoWaitsForTheStrokeUnderWay) {
    addFrame();
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100, 100));
    dispatch(MouseEvent(EventKind::MouseMove, 130, 100));
    menu(MenuItem::Undo);
    menu(MenuItem::PreviousFrame);
    EXPECT_NE(state.document.frames.at(0).maskNumber, 0);
    dispatch(MouseEvent(EventKind::LeftRelease, 150, 100));
    expectItems(true, false);
    menu(MenuItem::Undo);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
}

TEST_F(EditKeysTest, TheMemoryBoundDropsTheOldestSteps) {
    addFrame();
    stroke(20, 20);  // makes the mask
    for (int i = 0; i < 6; ++i) stroke(100 + 60 * i, 300);
    // Room for the newest three steps and not a byte more.
    const auto& steps = state.session.history.steps;
    SetEditHistoryLimit(state.session,
                        steps.end()[-1].bytes + steps.end()[-2].bytes + steps.end()[-3].bytes);
    ASSERT_EQ(state.session.history.steps.size(), 3u);
    for (int i = 0; i < 3; ++i) menu(MenuItem::Undo);
    expectItems(false, true);
    // The mask keeps what the dropped steps painted.
    EXPECT_NE(state.document.frames.at(0).maskNumber, 0);
    EXPECT_EQ(state.session.images.mask.grey(120, 300), 0);
    EXPECT_EQ(state.session.images.mask.grey(420, 300), 255);
}

TEST_F(EditKeysTest, UndoingTheFirstDabExportsLayerOneOnly) {
    addFrame();
    const std::string layer1 = state.document.frames.at(0).layerSource[0];
    stroke(100, 100);
    menu(MenuItem::Undo);
    shell.saveAnswers.push_back({work.file("out.png"), 1});
    menu(MenuItem::ImageExport);
    Image exported;
    Image picture;
    ASSERT_EQ(LoadPictureFile(work.file("out.1.png"), exported), LoadResult::Ok);
    ASSERT_EQ(LoadPictureFile(layer1, picture), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(exported, picture));
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
}

TEST_F(EditKeysTest, SavingKeepsTheHistoryReplacingTheProjectClearsIt) {
    const std::function<void()> replacements[] = {
        [&] {
            shell.answers = {Answer::No};
            menu(MenuItem::New);
        },
        [&] {
            shell.answers = {Answer::No};
            shell.openAnswers = {{work.file("saved.mvl"), 0}};
            menu(MenuItem::Open);
        },
    };
    for (const auto& replace : replacements) {
        const int n = static_cast<int>(&replace - replacements);
        SCOPED_TRACE(n);
        if (state.document.frames.empty()) addFrame();
        // Where the saved project, opened again, has no strokes yet.
        stroke(100, 100 + 60 * n);
        stroke(200, 100 + 60 * n);
        state.document.header.projectFilePath = work.file("saved.mvl");
        state.document.header.maskTemplate = "saved_$Nr.png";
        menu(MenuItem::Save);
        ASSERT_TRUE(std::filesystem::exists(work.file("saved.mvl")));
        expectItems(true, false);
        menu(MenuItem::Undo);
        expectItems(true, true);
        replace();
        EXPECT_FALSE(CanUndoEdit(state.session));
        EXPECT_FALSE(CanRedoEdit(state.session));
        expectItems(false, false);
    }
    // Another language keeps the project and both directions of its history.
    stroke(100, 300);
    stroke(200, 300);
    menu(MenuItem::Undo);
    expectItems(true, true);
    program.write("english.language", "");
    LoadLanguage(state.services.language, shell, program.path(), "english");
    const std::size_t asked = shell.questions.size();
    dispatch(MenuEvent(+MenuItem::FirstLanguage));
    EXPECT_EQ(shell.questions.size(), asked);  // nothing to save first
    expectItems(true, true);
}

TEST_F(EditKeysTest, FrameKeysStopAtBothEndsOfTheList) {
    menu(MenuItem::NextFrame);  // no frame: nothing
    EXPECT_EQ(state.session.cache.displayedIndex, -1);
    for (int i = 0; i < 3; ++i) addFrame();
    const struct {
        MenuItem key;
        int index;
    } keys[] = {
        {MenuItem::FirstFrame, 0}, {MenuItem::PreviousFrame, 0}, {MenuItem::NextFrame, 1},
        {MenuItem::LastFrame, 2},  {MenuItem::NextFrame, 2},     {MenuItem::PreviousFrame, 1},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(+k.key);
        shell.frameStripShown.clear();
        menu(k.key);
        EXPECT_EQ(state.session.cache.displayedIndex, k.index);
        EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), k.index);
        EXPECT_EQ(shell.frameMarkerMoves.back(), k.index * kFrameColumnWidth + kFrameMarkerLeft);
        EXPECT_EQ(shell.frameStripShown, (std::vector<testing::RecordingShell::Columns>{
                                             {k.index * kFrameColumnWidth, kFrameColumnWidth}}));
    }
    // Leaving a frame stores its painted mask.
    stroke(100, 100);
    const std::int32_t painted = state.document.frames.at(1).maskNumber;
    menu(MenuItem::NextFrame);
    Image stored;
    ASSERT_EQ(LoadPictureFile(state.document.masks.workingFile(painted), stored), LoadResult::Ok);
    EXPECT_EQ(stored.blue(100, 100), 0);
}

// Says it has the pictures ready only when told so; reads them when asked.
class SlowReader : public LayerPictureReader {
public:
    bool ready = false;
    bool read(Services& services, const std::string& source, Image& picture) override {
        return ReadLayerPictureNow(services, picture, source);
    }
    bool readyFor(const FrameFiles&) override { return ready; }
};

TEST_F(EditKeysTest, AStrokeBegunWhileAStepWaitsPaintsTheFrameItSteppedTo) {
    for (int i = 0; i < 3; ++i) addFrame();
    menu(MenuItem::FirstFrame);
    PlaybackCache cache(PlaybackCache::kDefaultMemoryBound, 1);
    cache.setFilm(FilmOf(state.document, state.session).allFrameFiles(), FilmViewOf(state.session, state.view));
    cache.fillFrom(0);
    cache.waitIdle();
    QuickStandIn quick;
    SlowReader reader;
    state.session.pictureReader = &reader;
    dispatch(GadgetEvent(+Gadget::Eraser));
    // To frame 1 the cache's picture stands in, to frame 2 (the cache lacks it) the quick one.
    for (const int to : {1, 2}) {
        SCOPED_TRACE(to);
        state.session.playbackCache = to == 1 ? &cache : nullptr;
        state.session.quickStandIn = to == 2 ? &quick : nullptr;
        menu(MenuItem::NextFrame);
        ASSERT_TRUE(state.session.cache.awaited);
        quick.settle();
        EXPECT_FALSE(FinishAwaitedFrame(state.document, state.session, state.view, state.services,
                                        false));
        // The press waits for the frame's pictures; the stroke lands on that frame whole.
        dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100, 100));
        EXPECT_FALSE(state.session.cache.awaited);
        dispatch(MouseEvent(EventKind::MouseMove, 140, 100));
        dispatch(MouseEvent(EventKind::LeftRelease, 140, 100));
        EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
        ASSERT_NE(state.document.frames.at(to).maskNumber, 0);
        if (to == 1) {
            EXPECT_EQ(state.document.frames.at(2).maskNumber, 0);
        }
        EXPECT_EQ(state.session.images.mask.grey(120, 100), 0);
    }
    state.session.pictureReader = nullptr;
    state.session.playbackCache = nullptr;
    state.session.quickStandIn = nullptr;
}

// The composite pixel under canvas position c, by the canvas's mapping: canvas coordinate u
// shows composite coordinate u / zoom - offset.
int pixelUnder(int c, float zoom, int offset) {
    return static_cast<int>(std::floor((c + 0.5) / zoom - offset));
}

TEST_F(EditKeysTest, CtrlWheelZoomsKeepingThePixelUnderTheCursorWithinTheLimits) {
    addFrame(1280, 960);
    Event wheel = MouseEvent(EventKind::Wheel, 0, 0);
    wheel.wheel.action = WheelAction::Zoom;
    const struct {
        int x, y, steps, repeat;
    } turns[] = {{320, 240, 1, 40}, {17, 403, -1, 30}, {600, 5, -3, 40},
                 {33, 250, 2, 50},  {639, 479, -1, 7}, {0, 0, 5, 3}};
    for (const auto& turn : turns) {
        wheel.x = turn.x;
        wheel.y = turn.y;
        wheel.wheel.steps = turn.steps;
        for (int i = 0; i < turn.repeat; ++i) {
            const View before = state.view;
            dispatch(wheel);
            const View& after = state.view;
            ASSERT_EQ(pixelUnder(turn.x, after.zoom, after.offsetX),
                      pixelUnder(turn.x, before.zoom, before.offsetX));
            ASSERT_EQ(pixelUnder(turn.y, after.zoom, after.offsetY),
                      pixelUnder(turn.y, before.zoom, before.offsetY));
            float expected = before.zoom;
            for (int s = 0; s < std::abs(turn.steps); ++s)
                expected = std::clamp(expected * (turn.steps > 0 ? kZoomInFactor : kZoomOutFactor),
                                      kMinZoom, kMaxZoom);
            ASSERT_EQ(after.zoom, expected);
        }
    }
    // The scroll bars follow the new view.
    const auto bar = shell.scrollBars[+Gadget::HorizontalScrollBar];
    EXPECT_EQ(bar.page, static_cast<int>(std::nearbyint(640 / state.view.zoom)));
    EXPECT_EQ(shell.gadgetStates[+Gadget::HorizontalScrollBar],
              std::clamp(-state.view.offsetX, 0, std::max(0, bar.maximum - bar.page)));
}

TEST_F(EditKeysTest, WheelScrollsThroughTheScrollBarsUpToThePicturesEdges) {
    addFrame(1280, 960);
    Event wheel = MouseEvent(EventKind::Wheel, 100, 100);
    const auto turn = [&](WheelAction action, int steps) {
        wheel.wheel = {action, steps};
        dispatch(wheel);
        return std::pair(state.view.offsetX, state.view.offsetY);
    };
    using P = std::pair<int, int>;
    EXPECT_EQ(turn(WheelAction::ScrollVertically, 1), P(0, 0));  // at the top already
    EXPECT_EQ(turn(WheelAction::ScrollVertically, -2), P(0, -120));
    EXPECT_EQ(shell.gadgetStates[+Gadget::VerticalScrollBar], 120);
    EXPECT_EQ(turn(WheelAction::ScrollHorizontally, -1), P(-60, -120));
    EXPECT_EQ(turn(WheelAction::ScrollVertically, -100), P(-60, -480));  // the bar's end
    EXPECT_EQ(turn(WheelAction::ScrollHorizontally, 3), P(0, -480));
    dispatch(GadgetEvent(+Gadget::ZoomFit));
    EXPECT_EQ(turn(WheelAction::ScrollVertically, -1), P(0, 0));  // everything visible
    // At zoom 2 a notch moves as many canvas pixels, half as many picture pixels.
    dispatch(GadgetEvent(+Gadget::ZoomOneToOne));
    state.view.zoom = 2.0f;
    EXPECT_EQ(turn(WheelAction::ScrollHorizontally, -1), P(-30, 0));
    // A drag on the canvas keeps the view it began with.
    dispatch(GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 100, 100));
    EXPECT_EQ(turn(WheelAction::ScrollHorizontally, -1), P(-30, 0));
    wheel.x = 300;
    EXPECT_EQ(turn(WheelAction::Zoom, 1), P(-30, 0));
    EXPECT_EQ(state.view.zoom, 2.0f);
}

}  // namespace
}  // namespace morvel
