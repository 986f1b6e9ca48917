#pragma once

#include <optional>

#include "project/program_state.h"

namespace morvel {

// The rectangle that the zoom tool and the selection drag on the canvas: anchored at the
// press, drawn as a rubber band while the button is down.

// Corners in canvas pixels, (x0, y0) upper-left and (x1, y1) lower-right.
struct CanvasRectangle {
    int x0, y0, x1, y1;
};

void BeginRubberBand(ProgramState& state, int cx, int cy);
void DragRubberBand(ProgramState& state, int cx, int cy);
// At the release over (cx, cy): the dragged rectangle, or nothing when it has no width or
// height; then the rubber band is taken away here.
std::optional<CanvasRectangle> EndRubberBand(ProgramState& state, int cx, int cy);

}  // namespace morvel
