#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "platform/image.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// How strongly the previous frame shows through, in percent.
constexpr int kOnionSkinPercent = 30;

// Brings the onion skin (view.canvasCache.onion) up to date: while view.onionSkin is on and a
// frame precedes the displayed one, that frame composed canvas-sized for the canvas's view,
// otherwise empty. Remakes it only when the previous frame's files or the view changed; true
// when it changed, so the whole canvas must be drawn again.
bool UpdateOnionSkin(Document& document, EditSession& session, View& view);

// Lays onion over the canvas pixels in [left, right) x [top, bottom) at kOnionSkinPercent.
// Nothing when the sizes differ.
void BlendOnionSkin(const Image& onion, Image& canvas, int left, int top, int right, int bottom);

}  // namespace morvel
