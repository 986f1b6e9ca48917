#pragma once

#include "platform/image.h"
#include "project/program_state.h"

namespace morvel {

// How strongly the previous frame shows through, in percent.
constexpr int kOnionSkinPercent = 30;

// Brings the onion skin (state.canvasCache.onion) up to date: while view.onionSkin is on and a
// frame precedes the displayed one, that frame composed canvas-sized for the canvas's view,
// otherwise empty. Remakes it only when the previous frame's files or the view changed; true
// when it changed, so the whole canvas must be drawn again.
bool UpdateOnionSkin(ProgramState& state);

// Lays onion over the canvas pixels in [left, right) x [top, bottom) at kOnionSkinPercent.
// Nothing when the sizes differ.
void BlendOnionSkin(const Image& onion, Image& canvas, int left, int top, int right, int bottom);

}  // namespace morvel
