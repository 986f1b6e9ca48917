#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// A frame step that would wait for pictures still being decoded shows a stand-in at once (the
// playback cache's canvas-sized picture of the frame, or a coarse one made quickly) and leaves
// the frame "awaited": the work images still hold the pictures of the frame shown before, and
// nothing but another step may touch them until FinishAwaitedFrame has composed the displayed
// frame.

// The pictures the work images hold: what a frame step that loads nothing would show.
FrameFiles HeldFiles(const Document& document, const EditSession& session);

// The files of frame that composing it would read: those the work images do not hold.
FrameFiles FilesToLoad(const Document& document, const EditSession& session,
                       const FrameRecord& frame);

// Called by a step to the displayed frame (at index) before it is composed, when the step loads
// pictures: presents the playback cache's picture of the frame when it has one (composing a
// large frame takes longer than a step may), else, while the reader cannot give the pictures at
// once, has the quick stand-in made (the canvas keeps the frame before meanwhile); either way it
// marks the frame awaited. Tells the reader the frame is shown. False: compose now.
bool ShowStandInWhileAwaited(Document& document, EditSession& session, View& view,
                             Services& services, int index);

// Presents the quick stand-in of the awaited displayed frame once it is made. True when it did.
bool PresentQuickStandIn(const Document& document, EditSession& session, View& view,
                         Services& services);

// Composes and draws the awaited displayed frame: with wait, now (waiting for its pictures);
// without, only when the reader has them ready, presenting the quick stand-in meanwhile once it
// is made. True when no frame is awaited any more.
bool FinishAwaitedFrame(Document& document, EditSession& session, View& view, Services& services,
                        bool wait);

}  // namespace morvel
