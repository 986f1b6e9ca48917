#pragma once

#include <cstdint>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// The frame strip's geometry: every frame has a column of this width; the thumbnails of layer 1
// and layer 2 sit in two rows.
constexpr int kFrameColumnWidth = 65;
constexpr int kThumbnailLeft = 5;
constexpr int kFrameMarkerLeft = 2;
constexpr int kFrameMarkerHidden = -200;

// What SelectFrame is asked to show.
constexpr int kReselectDisplayed = -2;  // the displayed frame again
constexpr int kFirstAndForget = -3;     // the first frame, forgetting the displayed one

// The displayed frame, found again by its id; nullptr when none is displayed.
inline FrameRecord* DisplayedFrame(Document& document, EditSession& session) {
    return document.frames.withId(session.cache.displayedId, session.cache.displayedIndex);
}
inline const FrameRecord* DisplayedFrame(const Document& document, const EditSession& session) {
    return document.frames.withId(session.cache.displayedId, session.cache.displayedIndex);
}

// Makes a frame the displayed frame and shows it: n >= 0 the frame at index n (the last one
// when n is past the end), or one of the values above. The modified mask of the frame being left
// is stored first. Returns the displayed index, -1 when the project has no frame.
int SelectFrame(Document& document, EditSession& session, View& view, Services& services, int n);

// SelectFrame for a frame step (the frame keys): when the frame's pictures are not ready, a
// stand-in shows at once and the frame is composed later (FinishAwaitedFrame).
int StepToFrame(Document& document, EditSession& session, View& view, Services& services, int n);

// Moves every thumbnail to its frame's column, sizes the strip, then SelectFrame(n).
void RefreshFrameStrip(Document& document, EditSession& session, View& view, Services& services,
                       int n);

}  // namespace morvel
