#pragma once

#include <optional>

#include "editor/tool_context.h"

namespace morvel {

// Corners in canvas pixels, (x0, y0) upper-left and (x1, y1) lower-right.
struct CanvasRectangle {
    int x0, y0, x1, y1;
};

// The rectangle that the zoom tool and the selection drag on the canvas: anchored at the
// press, drawn as a rubber band while the button is down.
class RubberBand {
public:
    void begin(int cx, int cy) {
        m_anchorX = cx;
        m_anchorY = cy;
    }
    void drag(ToolContext& context, int cx, int cy);
    // At the release over (cx, cy): the dragged rectangle, or nothing when it has no width or
    // height; then the rubber band is taken away here.
    std::optional<CanvasRectangle> end(ToolContext& context, int cx, int cy);

private:
    int m_anchorX = 0;
    int m_anchorY = 0;
};

}  // namespace morvel
