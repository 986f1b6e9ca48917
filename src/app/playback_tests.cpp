#include "app/playback.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "app/film_sound.h"
#include "editor/awaited_frame.h"
#include "editor/canvas.h"
#include "editor/frame_operations.h"
#include "editor/frame_selection.h"
#include "platform/gadgets.h"
#include "test_support/tone_wav.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::GadgetEvent;
using testing::MouseEvent;
using testing::KindEvent;
using testing::MenuEvent;

// A clock that runs: waits really pass (at most a few milliseconds each); once the canvas has
// shown `frames` pictures, the script's events come, one per wait.
class TimedEvents : public EventSource {
public:
    TimedEvents(testing::RecordingShell& shell, int frames) : m_shell(shell), m_frames(frames) {}
    std::deque<Event> script;
    Event waitEvent() override { return KindEvent(EventKind::Close); }
    bool waitEventFor(int milliseconds, Event& event) override {
        if (m_shell.canvasRedraws - m_start >= m_frames && !script.empty()) {
            event = script.front();
            script.pop_front();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 3)));
        return false;
    }
    void start() { m_start = m_shell.canvasRedraws; }

private:
    testing::RecordingShell& m_shell;
    int m_frames;
    int m_start = 0;
};

// The mean difference of two pictures' bytes; large when their sizes differ.
double meanDifference(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.empty()) return 1e9;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width() * 3; ++x) sum += std::abs(a.row(y)[x] - b.row(y)[x]);
    return sum / (static_cast<double>(a.width()) * a.height() * 3);
}

class Playback : public ::testing::Test, public AppFixture {
protected:
    Playback() : AppFixture({200, 200}) {}
    FilmPlayer player;
    std::vector<Event> handedBack;
    void play(TimedEvents& events) {
        events.start();
        PlayFilm(state, player, events, [&](const Event& event) { handedBack.push_back(event); });
    }
};

TEST_F(Playback, AKeyStopsTheFilmAtTheFrameShownWhichBecomesTheDisplayedFrame) {
    ASSERT_TRUE(BuildMainWindow(state));
    for (int k = 0; k < 3; ++k) addFrame(64, 48);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    player.rate = 60;
    TimedEvents events(shell, 5);
    // The key's menu event and the interrupt both come; a resize is handed back.
    events.script = {MenuEvent(+MenuItem::NextFrame), KindEvent(EventKind::Interrupt),
                     KindEvent(EventKind::Resize)};
    const std::size_t markers = shell.frameMarkerMoves.size();
    play(events);
    ASSERT_GE(player.framesShown, 5);
    // The strip's marker follows the film.
    ASSERT_GE(shell.frameMarkerMoves.size(), markers + player.framesShown);
    for (int k = 0; k < player.framesShown; ++k) {
        EXPECT_EQ(shell.frameMarkerMoves[markers + k],
                  (1 + k) % 3 * kFrameColumnWidth + kFrameMarkerLeft);
    }
    EXPECT_EQ(state.session.cache.displayedIndex, (1 + player.framesShown - 1) % 3);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId),
              state.session.cache.displayedIndex);
    // Its layer pictures, let go while the film played, are read again.
    FinishAwaitedFrame(state.document, state.session, state.view, state.services, true);
    const FrameRecord& shown = state.document.frames.at(state.session.cache.displayedIndex);
    EXPECT_EQ(state.session.cache.layerSource[0], shown.layerSource[0]);
    EXPECT_EQ(state.session.images.layer1.width(), 64);
    // The stop's other events are dropped; only the resize comes back.
    ASSERT_EQ(handedBack.size(), 1u);
    EXPECT_EQ(handedBack[0].kind, EventKind::Resize);
}

// The "Ansicht" menu works while the film plays: a new rate goes on playing, another view item
// stops the film and is handed back to be done.
TEST_F(Playback, TheViewMenuWorksWhileTheFilmPlays) {
    ASSERT_TRUE(BuildMainWindow(state));
    for (int k = 0; k < 3; ++k) addFrame(64, 48);
    player.rate = 60;
    shell.textAnswers.push_back("30");
    TimedEvents events(shell, 3);
    events.script = {MenuEvent(+MenuItem::PlaybackRate), MenuEvent(+MenuItem::OnionSkin)};
    play(events);
    EXPECT_EQ(player.rate, 30);
    ASSERT_EQ(handedBack.size(), 1u);
    EXPECT_EQ(handedBack[0].menuItem, +MenuItem::OnionSkin);
}

TEST_F(Playback, AnEmptyProjectDoesNotPlay) {
    ASSERT_TRUE(BuildMainWindow(state));
    const int redraws = shell.canvasRedraws;
    TimedEvents events(shell, 0);
    play(events);
    EXPECT_EQ(player.framesShown, 0);
    EXPECT_EQ(shell.canvasRedraws, redraws);
}

TEST_F(Playback, TheCacheFillsWhileIdleAndRemakesFramesWhoseFilesChanged) {
    ASSERT_TRUE(BuildMainWindow(state));
    for (int k = 0; k < 3; ++k) addFrame(64, 48);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    FillWhileIdle(state.document, state.session, state.view, player);
    player.cache.waitIdle();
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(player.cache.ready(k)) << k;
    Image before;
    ASSERT_TRUE(player.cache.take(0, before));
    // The first frame's takes are written again, white: the next idle moment makes it anew.
    auto white = Image::create(64, 48);
    ASSERT_TRUE(white);
    for (int y = 0; y < 48; ++y) std::memset(white->row(y), 255, 64 * 3);
    for (const std::string& path : state.document.frames.at(0).layerSource)
        ASSERT_TRUE(SavePictureFile(*white, path, PictureFormat::Png));
    FillWhileIdle(state.document, state.session, state.view, player);
    player.cache.waitIdle();
    Image after;
    ASSERT_TRUE(player.cache.take(0, after));
    Image expected;
    ASSERT_TRUE(ComposeFilmFrame(FilmOf(state.document, state.session).frameFiles(0),
                                 FilmViewOf(state.session, state.view), expected));
    // JPEG-kept: close to the composed frame, not exact.
    EXPECT_GT(meanDifference(after, before), 1.0);
    EXPECT_LT(meanDifference(after, expected), 3.0);
    EXPECT_TRUE(player.cache.ready(1));
}

// A stroke, its undo and its redo each give the displayed frame's entry anew, from the canvas,
// at the next idle moment; the other frames' entries stay.
TEST_F(Playback, AnEditedFramesEntryIsTheCanvasAtTheNextIdleMoment) {
    ASSERT_TRUE(BuildMainWindow(state));
    for (int k = 0; k < 3; ++k) addFrame(64, 48);
    // What the eraser reveals is white: the stroke shows.
    ASSERT_TRUE(SavePictureFile(testing::UniformPicture(64, 48, {255, 255, 255}),
                                state.document.frames.at(1).layerSource[1], PictureFormat::Png));
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    const auto settle = [&] {
        FillWhileIdle(state.document, state.session, state.view, player);
        player.cache.waitIdle();
    };
    settle();
    const DispatchHooks hooks;
    Dispatch(state, GadgetEvent(+Gadget::Eraser), hooks);
    shell.gadgetStates[+Gadget::BrushSize] = 40;
    Dispatch(state, GadgetEvent(+Gadget::BrushSize), hooks);
    const std::vector<std::vector<Event>> changes = {
        {GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, 20, 20),
         MouseEvent(EventKind::MouseMove, 50, 40), MouseEvent(EventKind::LeftRelease, 50, 40)},
        {MenuEvent(+MenuItem::Undo)},
        {MenuEvent(+MenuItem::Redo)}};
    Image before;
    ASSERT_TRUE(player.cache.take(1, before));
    for (const std::vector<Event>& change : changes) {
        for (const Event& event : change) Dispatch(state, event, hooks);
        settle();
        Image entry;
        Image canvas;
        ASSERT_TRUE(player.cache.take(1, entry));
        ASSERT_TRUE(CanvasOfCompositeAlone(state.session, state.view, canvas));
        EXPECT_LT(meanDifference(entry, canvas), 2.0);
        EXPECT_GT(meanDifference(entry, before), 3.0);
        EXPECT_TRUE(player.cache.ready(0) && player.cache.ready(2));
        before = std::move(entry);
    }
}

// After each frame operation the cache's entries are those of the frames now at their places.
TEST_F(Playback, AfterAFrameOperationEveryEntryShowsTheFrameNowAtItsPlace) {
    ASSERT_TRUE(BuildMainWindow(state));
    for (int k = 0; k < 4; ++k) {
        addFrame(64, 48);
        const std::uint8_t c = static_cast<std::uint8_t>(k * 60);
        ASSERT_TRUE(SavePictureFile(testing::UniformPicture(64, 48, {c, 0, std::uint8_t(255 - c)}),
                                    state.document.frames.at(k).layerSource[0], PictureFormat::Png));
    }
    const std::string white = work.file("white.png");
    ASSERT_TRUE(SavePictureFile(testing::UniformPicture(64, 48, {255, 255, 255}), white,
                                PictureFormat::Png));
    const std::vector<std::function<void()>> operations = {
        [&] {
            SelectFrame(state.document, state.session, state.view, state.services, 1);
            DeleteLayer(state.document, state.session, state.view, state.services,
                        state.session.cache.displayedId, 0);
        },
        [&] {
            SelectFrame(state.document, state.session, state.view, state.services, 0);
            RepeatLayer(state.document, state.session, state.view, state.services,
                        state.session.cache.displayedId, 1, 2);
        },
        [&] {
            ImportDroppedFiles(state.document, state.session, state.view, state.services, 0, white,
                               2 * kFrameColumnWidth + 5);
        },
    };
    for (std::size_t k = 0; k < operations.size(); ++k) {
        FillWhileIdle(state.document, state.session, state.view, player);
        player.cache.waitIdle();
        operations[k]();
        FillWhileIdle(state.document, state.session, state.view, player);
        player.cache.waitIdle();
        const std::vector<FrameFiles> film = FilmOf(state.document, state.session).allFrameFiles();
        for (int i = 0; i < state.document.frames.size(); ++i) {
            Image entry;
            Image expected;
            ASSERT_TRUE(player.cache.take(i, entry)) << k << ' ' << i;
            ASSERT_TRUE(ComposeFilmFrame(film[i], FilmViewOf(state.session, state.view), expected));
            EXPECT_LT(meanDifference(entry, expected), 3.0) << "operation " << k << ", frame " << i;
        }
    }
}

// A device whose clock runs with the wall clock from its start until `after` seconds; then it
// either reports itself lost or its clock stands still.
class FadingOutput : public SoundOutput {
public:
    double after = 0.1;
    bool reportsLoss = true;
    int stops = 0;
    bool start(std::shared_ptr<const SoundSamples>, long long, long long, bool) override {
        m_start = std::chrono::steady_clock::now();
        return true;
    }
    double playedSeconds() const override { return std::min(elapsed(), after); }
    bool lost() const override { return reportsLoss && elapsed() > after; }
    void stop() override { ++stops; }

private:
    double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    std::chrono::steady_clock::time_point m_start;
};

// The device goes away while the film plays: the film plays on silent to the key that stops
// it, told once in the status line; no box, no change to the project.
TEST_F(Playback, ADeviceThatGoesAwayLeavesTheFilmPlayingSilent) {
    ASSERT_TRUE(BuildMainWindow(state));
    for (int k = 0; k < 12; ++k) addFrame(64, 48);  // the sound starts again after 0.2 s
    state.document.sound = {
        work.write("voice.wav", testing::WavBytes(testing::ToneSamples(440, 0.5, 48000, 2, 96000),
                                                  48000, 2)),
        0};
    SyncFilmSound(state, true);
    ASSERT_TRUE(state.sound.samples);
    for (const bool reportsLoss : {true, false}) {
        SCOPED_TRACE(reportsLoss ? "lost" : "clock stands still");
        FadingOutput output;
        output.reportsLoss = reportsLoss;
        state.sound.output = &output;
        state.sound.stallSeconds = 0.05;
        shell.notices.clear();
        player.rate = 60;
        player.framesShown = 0;
        TimedEvents events(shell, 30);  // a quarter second of sound, then half a second silent
        events.script = {MenuEvent(+MenuItem::Play)};
        const auto begin = std::chrono::steady_clock::now();
        play(events);
        EXPECT_GE(player.framesShown, 30);
        // Not held back to one frame a second by a clock that no longer runs.
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
        ASSERT_EQ(shell.notices.size(), 1u);
        EXPECT_NE(shell.notices[0].find("weg"), std::string::npos);
        EXPECT_GE(output.stops, 1);
    }
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_FALSE(state.document.sound.empty());
    state.sound.output = nullptr;
}

TEST_F(Playback, TheRateIsAWholeNumberFromOneToSixty) {
    const struct {
        const char* answer;
        int rate;
    } cases[] = {{"24", 24}, {"61", 24}, {"0", 24}, {"", 24}, {"60", 60}, {"1", 1}, {"x", 1}};
    player.rate = 12;
    for (const auto& c : cases) {
        shell.textAnswers.push_back(c.answer);
        AskPlaybackRate(state, player);
        EXPECT_EQ(player.rate, c.rate) << c.answer;
    }
    EXPECT_EQ(shell.textRequests.front().defaultText, "12");
}

}  // namespace
}  // namespace morvel
