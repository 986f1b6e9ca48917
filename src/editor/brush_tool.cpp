// The eraser and the anti-eraser: one brush in two colours, painting joined strokes of dabs.
#include <algorithm>

#include "editor/brush_stroke.h"
#include "editor/canvas.h"
#include "editor/mask_edit.h"
#include "editor/mask_tool.h"
#include "editor/mask_tool_support.h"
#include "editor/undo_history.h"
#include "editor/view_transform.h"

namespace morvel {

namespace {

class BrushTool final : public MaskTool {
public:
    explicit BrushTool(bool eraser) : m_eraser(eraser) {}

    void press(ProgramState& state, int cx, int cy) override {
        BeginMaskEdit(state);
        EndStroke(state);
        paint(state, cx, cy, false);
    }
    void move(ProgramState& state, int cx, int cy) override { paint(state, cx, cy, false); }
    void release(ProgramState& state, int cx, int cy) override { paint(state, cx, cy, true); }
    // The stroke ends where the cursor left the canvas.
    void leave(ProgramState& state, int cx, int cy) override { paint(state, cx, cy, true); }
    void hover(ProgramState& state, int cx, int cy) override { RedrawCanvas(state, cx, cy, 0, 0); }
    ToolOutline outline() const override { return ToolOutline::Brush; }
    ToolOptions options() const override { return {true, m_eraser, false}; }

private:
    // The eraser paints the grey of the transparency field, the anti-eraser white.
    std::uint8_t grey(const ProgramState& state) const {
        return m_eraser ? static_cast<std::uint8_t>(std::clamp(state.view.eraseGrey, 0, 255)) : 255;
    }

    void paint(ProgramState& state, int cx, int cy, bool strokeEnds) {
        const ViewTransform view = ViewTransform::of(state.view);
        const int ix = view.compositeX(cx);
        const int iy = view.compositeY(cy);
        const bool fresh = !DisplayedMaskUsable(state);
        if (EnsureMaskToPaint(state)) {
            // During the stroke only the dabs are composed again; at its end the whole frame.
            if (fresh) {
                BeginStroke(state, ix, iy, grey(state));
            } else {
                ContinueStroke(state, ix, iy, grey(state));
            }
            if (fresh || strokeEnds) RecomposeMaskEdit(state, WholeMask(state));
            RedrawCanvas(state, cx, cy, 0, 0);
        }
        if (strokeEnds) {
            EndStroke(state);
            EndMaskEdit(state);
        }
    }

    bool m_eraser;
};

}  // namespace

MaskTool& TheEraser() {
    static BrushTool eraser(true);
    return eraser;
}

MaskTool& TheAntiEraser() {
    static BrushTool antiEraser(false);
    return antiEraser;
}

}  // namespace morvel
