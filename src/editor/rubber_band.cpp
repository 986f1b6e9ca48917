#include "editor/rubber_band.h"

#include <algorithm>

#include "editor/canvas.h"

namespace morvel {

void BeginRubberBand(ProgramState& state, int cx, int cy) {
    state.view.rubberBandAnchorX = cx;
    state.view.rubberBandAnchorY = cy;
}

void DragRubberBand(ProgramState& state, int cx, int cy) {
    const ViewState& view = state.view;
    RedrawCanvas(state, view.rubberBandAnchorX, view.rubberBandAnchorY, cx - view.rubberBandAnchorX,
                 cy - view.rubberBandAnchorY);
}

std::optional<CanvasRectangle> EndRubberBand(ProgramState& state, int cx, int cy) {
    const int ax = state.view.rubberBandAnchorX;
    const int ay = state.view.rubberBandAnchorY;
    if (cx == ax || cy == ay) {
        RedrawCanvas(state, -1, -1, 0, 0);  // takes the rubber band away
        return std::nullopt;
    }
    return CanvasRectangle{std::min(cx, ax), std::min(cy, ay), std::max(cx, ax), std::max(cy, ay)};
}

}  // namespace morvel
