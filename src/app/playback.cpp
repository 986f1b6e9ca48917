#include "app/playback.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/film_sound.h"
#include "app/frame_counter.h"
#include "editor/canvas.h"
#include "editor/canvas_film.h"
#include "editor/frame_selection.h"
#include "editor/live_view.h"
#include "editor/masks.h"
#include "export/avi_export.h"
#include "platform/gadgets.h"

namespace morvel {

namespace {

using Clock = std::chrono::steady_clock;

// Events that stop the film; the others (moves, releases, wheel turns) pass unnoticed.
bool stops(const Event& event) {
    switch (event.kind) {
        case EventKind::MouseMove:
        case EventKind::LeftRelease:
        case EventKind::Wheel:
        case EventKind::None:
        case EventKind::Background:  // taken again after the film; a worker's run goes on
            return false;
        default:
            return true;
    }
}

std::chrono::microseconds periodOf(int rate) {
    return std::chrono::microseconds(1000000 / std::clamp(rate, kMinFrameRate, kMaxFrameRate));
}

// Shows the cache's picture of frame index on the canvas.
void present(Program& state, const Image& picture) {
    Image& canvas = state.view.canvas;
    if (picture.width() != canvas.width() || picture.height() != canvas.height()) return;
    const std::size_t rowBytes = static_cast<std::size_t>(canvas.width()) * 3;
    for (int y = 0; y < canvas.height(); ++y) std::memcpy(canvas.row(y), picture.row(y), rowBytes);
    state.services.shell.presentCanvas(0, 0, canvas.width(), canvas.height());
}

// While the film plays the canvas shows the cache's pictures: the displayed frame's layer
// pictures and the neighbours read ahead are let go (at 24 megapixels some 400 MB) and read again
// when it stops. Its composite stays for the canvas's redraws, its mask for the edits it holds;
// a layer that could not be read stays as it is, so that it is not reported again.
void letGoOfFullPictures(EditSession& session) {
    FrameCache& cache = session.cache;
    Image* const layers[2] = {&session.images.layer1, &session.images.layer2};
    for (int k = 0; k < 2; ++k) {
        if (cache.layerSource[k].empty() || cache.layerFailed[k]) continue;
        *layers[k] = Image();
        cache.layerSource[k].clear();
    }
    if (session.pictureReader) session.pictureReader->letGo();
}

}  // namespace

void PlayFilm(Program& state, FilmPlayer& player, EventSource& events,
              const std::function<void(const Event&)>& dispatch) {
    const int count = state.document.frames.size();
    if (count == 0 || state.view.canvas.empty()) return;
    // The workers read the displayed frame's mask from its file.
    StoreDisplayedMask(state.document, state.session, state.services);
    player.cache.setFilm(FilmOf(state.document, state.session).allFrameFiles(),
                         FilmViewOf(state.session, state.view));
    // Both cores fill while the film plays.
    player.cache.setActiveThreads(2);
    letGoOfFullPictures(state.session);
    int index = std::max(0, state.session.cache.displayedIndex);
    int shown = index;
    auto period = periodOf(player.rate);
    // With a sound track the pictures follow the audio device's clock: frame k after the start
    // is due when the device has played k periods.
    state.sound.rate = player.rate;
    bool withSound = StartFilmSound(state, index);
    int sinceStart = 0;
    Clock::time_point due = Clock::now();
    std::vector<Event> afterwards;
    Image picture;
    bool playing = true;
    // Waits for an event until the time given; false when one stopped the film.
    const auto waitUntil = [&](Clock::time_point until, bool untilReady) {
        while (true) {
            if (untilReady && player.cache.ready(index)) return true;
            // A frame that could not be made (memory) is asked for again.
            if (untilReady) player.cache.fillFrom(index);
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            const int wait = untilReady ? 2 : static_cast<int>(left.count());
            if (!untilReady && wait <= 0) return true;
            Event event;
            if (!events.waitEventFor(std::max(0, wait), event)) continue;
            if (event.kind == EventKind::Resize || event.kind == EventKind::Close ||
                event.kind == EventKind::Terminate) {
                afterwards.push_back(event);
                return false;
            }
            // The "Ansicht" menu stays open while the film plays: a new rate applies at once,
            // "Abspielen" stops, and any other of its items stops the film and then does its work.
            if (event.kind == EventKind::Menu && event.menuItem == +MenuItem::PlaybackRate) {
                AskPlaybackRate(state, player);
                period = periodOf(player.rate);
                state.sound.rate = player.rate;
                if (withSound) {
                    withSound = StartFilmSound(state, index);
                    sinceStart = 0;
                }
                continue;
            }
            if (event.kind == EventKind::Menu && event.menuItem >= +MenuItem::OnionSkin &&
                event.menuItem <= +MenuItem::ShowMask)
                afterwards.push_back(event);
            if (stops(event)) return false;
        }
    };
    while (playing) {
        player.cache.fillFrom(index);
        playing = waitUntil(due, false);
        if (!playing) break;
        bool late = !player.cache.ready(index);
        if (late) {
            playing = waitUntil(due, true);
            if (!playing) break;
        }
        if (player.cache.take(index, picture)) present(state, picture);
        // The strip's marker follows the film, so that the user sees where it is.
        state.services.shell.moveFrameMarker(index * kFrameColumnWidth + kFrameMarkerLeft);
        ShowFrameCounter(state.view, state.services, index, state.document.frames.size());
        // Shown more than half a frame after it was due: late too.
        late = late || Clock::now() > due + period / 2;
        if (late) ++player.lateFrames;
        ++player.framesShown;
        shown = index;
        ++sinceStart;
        due = std::max(due + period, Clock::now());
        // A device that went away leaves the film on its own clock from here on.
        const std::optional<double> played =
            withSound ? FilmSoundClock(state) : std::optional<double>();
        withSound = played.has_value();
        if (withSound) {
            const double ahead =
                static_cast<double>(sinceStart) /
                    std::clamp(player.rate, kMinFrameRate, kMaxFrameRate) -
                *played;
            due = Clock::now() + std::chrono::microseconds(static_cast<long long>(
                                     std::clamp(ahead, 0.0, 1.0) * 1e6));
        }
        index = (index + 1) % count;
        if (index == 0 && withSound) {
            // Round to the first frame: the sound starts again with it.
            withSound = StartFilmSound(state, 0);
            sinceStart = 0;
        }
    }
    StopFilmSound(state);
    // What the same key press or click raised besides the stop goes too.
    Event event;
    while (events.waitEventFor(0, event)) {
        if (event.kind == EventKind::Resize || event.kind == EventKind::Close ||
            event.kind == EventKind::Terminate)
            afterwards.push_back(event);
    }
    player.cache.setActiveThreads(1);
    // The frame shown last stays on the canvas while its pictures are read again.
    StepToFrame(state.document, state.session, state.view, state.services, shown);
    if (!state.session.cache.awaited) {
        InvalidateCanvas(state.view);
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    }
    for (const Event& later : afterwards) dispatch(later);
}

void PlayLastFrames(Program& state, FilmPlayer& player, EventSource& events, int count,
                    const std::function<void(const Event&)>& dispatch) {
    const int frames = state.document.frames.size();
    if (frames > 0 && !state.view.canvas.empty()) {
        StoreDisplayedMask(state.document, state.session, state.services);
        player.cache.setFilm(FilmOf(state.document, state.session).allFrameFiles(),
                             FilmViewOf(state.session, state.view));
        player.cache.setActiveThreads(2);
        const int first = std::max(0, frames - std::max(1, count));
        player.cache.fillFrom(first);
        const auto period = periodOf(player.rate);
        Clock::time_point due = Clock::now();
        Image picture;
        bool stopped = false;
        for (int index = first; index < frames && !stopped; ++index) {
            // Each frame when it is due and ready; an event that stops the film stops this too.
            while (!stopped && (Clock::now() < due || !player.cache.ready(index))) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
                Event event;
                if (!events.waitEventFor(std::clamp(static_cast<int>(left.count()), 1, 2), event))
                    continue;
                if (event.kind == EventKind::Resize || event.kind == EventKind::Close ||
                    event.kind == EventKind::Terminate) {
                    dispatch(event);
                    stopped = true;
                } else {
                    stopped = stops(event);
                }
            }
            if (stopped) break;
            if (player.cache.take(index, picture)) present(state, picture);
            state.services.shell.moveFrameMarker(index * kFrameColumnWidth + kFrameMarkerLeft);
            due += period;
        }
        player.cache.setActiveThreads(1);
        // The last frame stays its period before live view takes over.
        while (!stopped && Clock::now() < due) {
            Event event;
            if (events.waitEventFor(1, event) && stops(event)) stopped = true;
        }
        SelectFrame(state.document, state.session, state.view, state.services, kReselectDisplayed);
    }
    if (!state.view.shooting.live)
        StartLiveView(state.document, state.session, state.view, state.services);
    state.view.shooting.liveNumber = 0;
    state.services.shell.checkMenuItem(+MenuItem::LiveView, state.view.shooting.live);
}

void FillWhileIdle(const Document& document, const EditSession& session, const View& view,
                   FilmPlayer& player) {
    if (document.frames.size() == 0 || view.canvas.empty()) return;
    player.cache.setActiveThreads(2);
    player.cache.setFilm(FilmOf(document, session).allFrameFiles(), FilmViewOf(session, view));
    // The displayed frame's mask was edited (its file is written only when the frame is left):
    // its entry is what the canvas shows, else made anew.
    const int displayed = session.cache.displayedIndex;
    if (player.maskEdits != session.cache.maskEdits && displayed >= 0) {
        player.maskEdits = session.cache.maskEdits;
        Image shown;
        if (CanvasOfCompositeAlone(session, view, shown)) {
            player.cache.put(displayed, shown);
        } else {
            player.cache.drop(displayed);
        }
    }
    player.cache.fillFrom(std::max(0, displayed));
}

void AskPlaybackRate(Program& state, FilmPlayer& player) {
    const LanguageTable& texts = state.services.language.texts;
    const std::string answer = state.services.shell.requestText(
        texts[Text::RequesterPlaybackrate], texts[Text::RequesterPlaybackratetext],
        std::to_string(player.rate));
    if (answer.empty()) return;
    player.rate = FrameRateFromAnswer(answer, player.rate);
}

}  // namespace morvel
