#include "editor/mask_tool_support.h"

#include "editor/compose_frame.h"
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

void RecomposeMaskEdit(ProgramState& state, const Rect& dirty) {
    state.cache.dirty = dirty;
    ClampDirtyRectangle(state);
    ComposeFrame(state, kMaskChanged);
}

}  // namespace morvel
