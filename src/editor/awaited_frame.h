#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// A frame step that would wait for pictures still being decoded shows a stand-in at once (the
// playback cache's canvas-sized picture of the frame) and leaves the frame "awaited": the work
// images still hold the pictures of the frame shown before, and nothing but another step may
// touch them until FinishAwaitedFrame has composed the displayed frame.

// The pictures the work images hold: what a frame step that loads nothing would show.
FrameFiles HeldFiles(const Document& document, const EditSession& session);

// The files of frame that composing it would read: those the work images do not hold.
FrameFiles FilesToLoad(const Document& document, const EditSession& session,
                       const FrameRecord& frame);

// Called by a step to the displayed frame (at index) before it is composed: when the picture
// reader cannot give its pictures at once and a stand-in is at hand, presents the stand-in and
// marks the frame awaited. Tells the reader the frame is shown either way. False: compose now.
bool ShowStandInWhileAwaited(Document& document, EditSession& session, View& view,
                             Services& services, int index);

// Composes and draws the awaited displayed frame: with wait, now (waiting for its pictures);
// without, only when the reader has them ready. True when no frame is awaited any more.
bool FinishAwaitedFrame(Document& document, EditSession& session, View& view, Services& services,
                        bool wait);

}  // namespace morvel
