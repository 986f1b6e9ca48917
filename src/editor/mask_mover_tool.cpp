// The mask mover: shifts the whole mask by the drag distance.
#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/mask_edit.h"
#include "editor/mask_tool.h"
#include "editor/mask_tool_support.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "editor/view_transform.h"

namespace morvel {

namespace {

// Takes the mask of the frame before the displayed one for a displayed frame without a mask,
// under a new mask number. False when there is none or it cannot be read.
bool takePrecedingMask(ProgramState& state) {
    FrameRecord* displayed = DisplayedFrame(state);
    const int index = state.document.frames.indexOfId(state.cache.displayedId);
    if (index <= 0) return false;
    const std::int32_t previous = state.document.frames.at(index - 1).maskNumber;
    if (previous == 0) return false;
    if (!LoadMask(state, previous)) {
        state.reporter().report(ErrorKind::LoadMask, ErrorPlace::MoveMask, previous);
        return false;
    }
    displayed->maskNumber = state.document.masks.nextNumber++;
    state.cache.maskNumber = displayed->maskNumber;
    state.cache.maskFailed = false;
    MarkMaskModified(state);
    // Show the taken mask at once, not only after the first move.
    ComposeFrame(state, kMaskChanged);
    RedrawCanvas(state, -1, -1, 0, 0);
    return true;
}

class MaskMover final : public MaskTool {
public:
    void press(ProgramState& state, int cx, int cy) override {
        BeginMaskEdit(state);
        const FrameRecord* displayed = DisplayedFrame(state);
        if (displayed && displayed->maskNumber == 0) takePrecedingMask(state);
        if (!DisplayedMaskUsable(state)) {
            EndMaskEdit(state);
            return;
        }
        ViewState& view = state.view;
        view.moverCopy = state.images.mask;
        view.moverShiftX = 0;
        view.moverShiftY = 0;
        remember(state, cx, cy);
    }
    void move(ProgramState& state, int cx, int cy) override {
        if (state.view.moverCopy.empty()) return;  // no drag under way
        shift(state, cx, cy);
    }
    void release(ProgramState& state, int cx, int cy) override {
        if (state.view.moverCopy.empty()) return;
        shift(state, cx, cy);
        end(state);
    }
    // The mask stays as last drawn.
    void leave(ProgramState& state, int, int) override {
        if (!state.view.moverCopy.empty()) end(state);
    }
    ToolOptions options() const override { return {}; }

private:
    // Only differences of positions count: the view offset is not needed.
    static void remember(ProgramState& state, int cx, int cy) {
        const ViewTransform view = ViewTransform::of(state.view);
        state.view.moverLastX = view.compositeLength(cx);
        state.view.moverLastY = view.compositeLength(cy);
    }

    static void shift(ProgramState& state, int cx, int cy) {
        ViewState& view = state.view;
        const int lastX = view.moverLastX;
        const int lastY = view.moverLastY;
        remember(state, cx, cy);
        const int stepX = view.moverLastX - lastX;
        const int stepY = view.moverLastY - lastY;
        if (stepX == 0 && stepY == 0) return;
        view.moverShiftX += stepX;
        view.moverShiftY += stepY;
        DrawShiftedMask(state, view.moverCopy, view.moverShiftX, view.moverShiftY);
        RecomposeMaskEdit(state, WholeMask(state));
        RedrawCanvas(state, -1, -1, 0, 0);
    }

    static void end(ProgramState& state) {
        state.view.moverCopy = Image();
        EndMaskEdit(state);
    }
};

}  // namespace

MaskTool& TheMaskMover() {
    static MaskMover tool;
    return tool;
}

}  // namespace morvel
