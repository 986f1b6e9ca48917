#pragma once

#include "project/program_state.h"

namespace morvel {

// Draws the composite into the canvas buffer (work image 1) at the view's zoom and offset, with
// the dark grey background where the composite does not cover the canvas, then the overlay in
// invert mode: at cursor (x, y) the brush outline of tools 10 and 11, otherwise the rubber band
// of size w x h. x = y = -1 draws no overlay. Presents the buffer and pauses for
// state.redrawPause milliseconds.
void RedrawCanvas(ProgramState& state, int x, int y, int w, int h);

}  // namespace morvel
