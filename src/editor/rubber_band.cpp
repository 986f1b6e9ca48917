#include "editor/rubber_band.h"

#include <algorithm>

namespace morvel {

void RubberBand::drag(ToolContext& context, int cx, int cy) {
    context.redraw(m_anchorX, m_anchorY, cx - m_anchorX, cy - m_anchorY);
}

std::optional<CanvasRectangle> RubberBand::end(ToolContext& context, int cx, int cy) {
    const int ax = m_anchorX;
    const int ay = m_anchorY;
    if (cx == ax || cy == ay) {
        context.redrawAll();  // takes the rubber band away
        return std::nullopt;
    }
    return CanvasRectangle{std::min(cx, ax), std::min(cy, ay), std::max(cx, ax), std::max(cy, ay)};
}

}  // namespace morvel
