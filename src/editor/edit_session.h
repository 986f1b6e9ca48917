#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "editor/edit_history.h"
#include "platform/grey_image.h"
#include "platform/image.h"
#include "project/document.h"
#include "project/frame_id.h"
#include "project/rect.h"
#include "project/session_journal.h"

namespace morvel {

class LayerPictureReader;
class PlaybackCache;
class QuickStandIn;

// The pictures of the displayed frame. Each exists from start to end; 640 x 480 black at first.
struct WorkImages {
    Image composite;  // the composed picture of the displayed frame
    GreyImage mask;   // the displayed frame's mask
    Image layer1;     // the picture of the displayed frame's layer 1
    Image layer2;     // the picture of layer 2
    Image shown;      // what the canvas scales when it does not show the composite alone
};

// What the work images hold and which part of the composite needs composing again.
struct FrameCache {
    std::array<std::string, 2> layerSource;         // the source work image layer1/layer2 holds
    std::array<bool, 2> layerFailed{false, false};  // that source could not be loaded
    std::int32_t maskNumber = 0;                    // the mask the mask image holds
    bool maskFailed = false;                        // that mask could not be loaded
    bool maskModified = false;                      // the mask image differs from its working file
    std::uint64_t maskEdits = 0;                    // changes of the mask image so far
    Rect dirty;                                     // what the next blended composition recomputes
    FrameId displayedId = 0;  // the displayed frame (0: none); found again by id
    std::int32_t displayedIndex = -1;
    std::uint64_t displayChanges = 0;  // how often another frame came to the screen
    // The canvas shows a stand-in for the displayed frame: the work images and the fields above
    // still hold an earlier frame's pictures (see awaited_frame.h).
    bool awaited = false;

    // Forgets which sources and mask the work images hold, so that the next composition loads
    // its pictures again.
    void forgetPictures() {
        layerSource = {};
        layerFailed = {false, false};
        maskNumber = 0;
        maskFailed = false;
    }
    // No frame is displayed any more: its record goes (its mask is stored first).
    void forgetDisplayedFrame() {
        displayedId = 0;
        displayedIndex = -1;
        maskModified = false;
        awaited = false;
        forgetPictures();
    }
};

// The editing of the document: the displayed frame, its pictures, the undo history and the
// record that survives a crash.
struct EditSession {
    // The work images start as 640 x 480 black.
    EditSession();

    WorkImages images;
    FrameCache cache;
    EditHistory history;  // undo and redo of mask edits and frame operations
    SessionState record;
    // Masks whose working file could not be written (a full disk): kept here until it can.
    // Every reader of a frame's mask takes them first (ReadFrameMask).
    MasksInMemory unstoredMasks;
    // Messages that wait until the session is safe on disk (where moved pictures were found):
    // a modal box must not hold back the journal.
    std::vector<std::string> notices;
    // The user was told that this project's frames made before pictures were turned upright
    // stay as they were.
    bool storedFormTold = false;

    // Where the displayed frame's pictures come from: the window's reader of its neighbours
    // decoded ahead; null: each picture is read when it is asked for.
    LayerPictureReader* pictureReader = nullptr;
    // The film's frames composed for playback, when the window keeps them: the onion skin takes
    // the previous frame from there when it is ready.
    const PlaybackCache* playbackCache = nullptr;
    // Makes a coarse stand-in for a step to a frame the playback cache lacks; null: such a step
    // waits for the frame's pictures.
    QuickStandIn* quickStandIn = nullptr;
};

// The picture every work image and the canvas hold before a frame is shown: 640 x 480 black.
Image BlackWorkImage();

// The journal is rewritten when the project changed since the last call, and the tile log
// emptied once every mask is stored.
inline void UpdateSessionJournal(const Document& document, EditSession& session) {
    UpdateSessionJournal(session.record, document, session.cache.displayedId,
                         session.cache.maskModified || !session.unstoredMasks.empty());
}

}  // namespace morvel
