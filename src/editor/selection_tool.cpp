// The selection: fills a dragged rectangle of the mask with the eraser's grey.
#include <algorithm>

#include "editor/canvas.h"
#include "editor/mask_edit.h"
#include "editor/mask_tool.h"
#include "editor/mask_tool_support.h"
#include "editor/rubber_band.h"
#include "editor/undo_history.h"
#include "editor/view_transform.h"

namespace morvel {

namespace {

class SelectionTool final : public MaskTool {
public:
    void press(ProgramState& state, int cx, int cy) override { BeginRubberBand(state, cx, cy); }
    void move(ProgramState& state, int cx, int cy) override { DragRubberBand(state, cx, cy); }
    void release(ProgramState& state, int cx, int cy) override {
        const auto band = EndRubberBand(state, cx, cy);
        if (!band) return;
        BeginMaskEdit(state);
        if (EnsureMaskToPaint(state)) {
            const ViewTransform view = ViewTransform::of(state.view);
            const int ix = view.compositeX(band->x0);
            const int iy = view.compositeY(band->y0);
            const int iw = view.compositeLength(band->x1 - band->x0);
            const int ih = view.compositeLength(band->y1 - band->y0);
            const int grey = std::clamp(state.view.eraseGrey, 0, 255);
            FillMaskRectangle(state, Rect{ix, ix + iw, iy, iy + ih},
                              static_cast<std::uint8_t>(grey));
            RecomposeMaskEdit(state, WholeMask(state));
        }
        RedrawCanvas(state, -1, -1, 0, 0);
        EndMaskEdit(state);
    }
    // Leaving the canvas abandons the drag.
    ToolOptions options() const override { return {false, true, false}; }
};

}  // namespace

MaskTool& TheSelectionTool() {
    static SelectionTool tool;
    return tool;
}

}  // namespace morvel
