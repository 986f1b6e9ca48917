#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/event.h"
#include "app/program.h"
#include "editor/canvas_film.h"
#include "editor/playback_cache.h"

namespace morvel {

// The rate the film plays at unless the user asks for another: shooting on twos.
constexpr int kDefaultPlaybackRate = 12;

// What playing the film keeps while the program runs: the rate and the cache of composed frames.
struct FilmPlayer {
    int rate = kDefaultPlaybackRate;
    PlaybackCache cache;
    // Counted while playing: frames shown, and those that were not ready when they were due.
    int framesShown = 0;
    int lateFrames = 0;
    // The displayed mask's changes the cache has taken in.
    std::uint64_t maskEdits = 0;
};

// Plays the composed film in the canvas from the displayed frame on, at the player's rate and the
// canvas's view, round from the last frame to the first, until a key, a click, a menu or a drop
// arrives; those are taken as the stop and do nothing else. Frames are shown in order and never
// skipped: one not ready when due is shown late and counted. The frame shown last becomes the
// displayed frame. A resize or a close that arrives meanwhile is handed to dispatch afterwards.
// An empty project does not play.
void PlayFilm(Program& state, FilmPlayer& player, EventSource& events,
              const std::function<void(const Event&)>& dispatch);

// While the editor waits for the user: brings the cache up to the project as it is now (entries
// whose frame's files or view changed are dropped; the displayed frame's after an edit of its
// mask, an undo or a redo, is taken from the canvas) and fills it from the displayed frame on,
// with both threads (the window's busy hook goes back to one).
void FillWhileIdle(const Document& document, const EditSession& session, const View& view,
                   FilmPlayer& player);

// "Letzte Bilder abspielen": the last count frames of the film once at the player's rate, then
// live view again (started if it was off), so that the next frame is judged in the motion. A
// key, click, menu or drop stops it as it stops the film.
void PlayLastFrames(Program& state, FilmPlayer& player, EventSource& events, int count,
                    const std::function<void(const Event&)>& dispatch);

// Asks for the rate (kMinFrameRate to kMaxFrameRate) with the frame-rate requester; other
// answers keep it.
void AskPlaybackRate(Program& state, FilmPlayer& player);

}  // namespace morvel
