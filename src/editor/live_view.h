#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Live view: the canvas shows the camera's newest picture (scaled to fit the canvas on the
// camera's thread), older ones dropped, instead of the displayed frame.

// The live picture centred on a black canvas; over it either the reference (the displayed
// frame's layer 1 at the live picture's size) at onionPercent, or with difference on, the
// difference between both (brighter where they differ). A reference of another size is left out.
void ComposeLiveCanvas(const Image& live, const Image& reference, int onionPercent,
                       bool difference, Image& canvas);

// Starts live view at the canvas's size (told when there is no camera); false when it did not.
bool StartLiveView(Document& document, EditSession& session, View& view, Services& services);
// Stops it and shows the displayed frame again.
void StopLiveView(Document& document, EditSession& session, View& view, Services& services);

// While live: draws the newest picture when one newer than the one shown came and presents the
// canvas; when the camera went away, stops live view and tells it once. True when it drew.
bool ShowNewestLive(Document& document, EditSession& session, View& view, Services& services);

}  // namespace morvel
