// The zoom tool: zooms to a dragged rectangle.
#include <algorithm>

#include "editor/canvas.h"
#include "editor/mask_tool.h"
#include "editor/mask_tools.h"
#include "editor/rubber_band.h"
#include "editor/view_transform.h"
#include "editor/zoom.h"

namespace morvel {

namespace {

class ZoomTool final : public MaskTool {
public:
    void press(ProgramState& state, int cx, int cy) override { BeginRubberBand(state, cx, cy); }
    void move(ProgramState& state, int cx, int cy) override { DragRubberBand(state, cx, cy); }
    void release(ProgramState& state, int cx, int cy) override {
        const auto band = EndRubberBand(state, cx, cy);
        if (!band) return;
        ViewState& view = state.view;
        const float zy = static_cast<float>(state.images.canvas.height()) /
                         static_cast<float>(band->y1 - band->y0) * view.zoom;
        const float zx = static_cast<float>(state.images.canvas.width()) /
                         static_cast<float>(band->x1 - band->x0) * view.zoom;
        // The rectangle's upper-left corner moves to the canvas's upper-left corner.
        const ViewTransform before = ViewTransform::of(view);
        view.offsetX = before.offsetShowingAtEdge(band->x0, view.offsetX);
        view.offsetY = before.offsetShowingAtEdge(band->y0, view.offsetY);
        view.zoom = std::clamp(std::min(zx, zy), kMinZoom, kMaxZoom);
        UpdateScrollBars(state);
        RedrawCanvas(state, -1, -1, 0, 0);
    }
    ToolOptions options() const override { return {false, false, true}; }
};

}  // namespace

MaskTool& TheZoomTool() {
    static ZoomTool tool;
    return tool;
}

void ZoomToRectangle(ProgramState& state, int cx, int cy, int phase) {
    ApplyMousePhase(TheZoomTool(), state, phase, cx, cy);
}

}  // namespace morvel
