#include "editor/mask_tool_support.h"

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/mask_edit.h"
#include "editor/masks.h"

namespace morvel {

Rect WholeMask(const ProgramState& state) {
    return Rect{0, state.images.mask.width(), 0, state.images.mask.height()};
}

bool EnsureMaskToPaint(ProgramState& state) {
    if (DisplayedMaskUsable(state)) return true;
    if (!CreateMask(state)) return false;
    FillMask(state, 255);
    return true;
}

bool TakePrecedingMask(ProgramState& state) {
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

void RecomposeMaskEdit(ProgramState& state, const Rect& dirty) {
    state.cache.dirty = dirty;
    ClampDirtyRectangle(state);
    ComposeFrame(state, kMaskChanged);
}

}  // namespace morvel
