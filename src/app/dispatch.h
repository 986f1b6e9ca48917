#pragma once

#include <functional>
#include <string>

#include "app/event.h"
#include "app/program.h"

namespace morvel {

// Operations of windows that plug into the dispatch; one that is not set does nothing.
struct DispatchHooks {
    // The picture sequence's export on a worker; without it, the export is waited for.
    std::function<void(Program&)> exportImageSequence;
    std::function<void(Program&)> exportAviVideo;
    std::function<void(Program&)> exportVideo;  // MP4 or MOV, at the playback rate
    std::function<void(Program&)> associateProjectFiles;
    std::function<void(Program&)> showAboutBox;
    // The "Ansicht" menu's playback and its frame rate.
    std::function<void(Program&)> play;
    std::function<void(Program&)> askPlaybackRate;
    // "Masken weiterführen ...": the requester and the run on a worker.
    std::function<void(Program&)> carryMasks;
    // Takes the results that work on a worker thread has ready (a run of carried masks, an
    // export).
    std::function<void(Program&)> background;
    // "Letzte Bilder abspielen": the last frames played into live view.
    std::function<void(Program&)> playLastFrames;
    // Called when no event has come for kIdleMilliseconds: the playback cache fills meanwhile.
    std::function<void(Program&)> idle;
    // Called when the first event after the idle hook comes: the user is at work again.
    std::function<void(Program&)> busy;
};

// How long the loop waits for an event before it calls the idle hook.
// Short enough that an edited frame is back in the playback cache a quarter second after the edit.
constexpr int kIdleMilliseconds = 150;

// What the loop does after an event.
enum class LoopStep {
    Continue,
    End,    // the window was closed and the project closed: end in order
    Fatal,  // an operation met a failure that ends the program (already reported)
};

// Hands one event to the part of the program that handles it, by the event loop's tables:
// gadgets by number (thumbnails, numbered from 1000, to the frame operations), left-button releases
// (only after a press on the canvas) and mouse moves to the mask tools, resizes to the layout,
// drops to the import, menu items by number. A close (the close box or menu item 7) closes the
// project unless the user cancels.
LoopStep Dispatch(Program& state, const Event& event, const DispatchHooks& hooks = {});

}  // namespace morvel
