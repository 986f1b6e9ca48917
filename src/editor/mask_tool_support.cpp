#include "editor/mask_tool_support.h"

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/mask_edit.h"
#include "editor/masks.h"

namespace morvel {

Rect WholeMask(const EditSession& session) {
    return Rect{0, session.images.mask.width(), 0, session.images.mask.height()};
}

bool EnsureMaskToPaint(Document& document, EditSession& session, Services& services) {
    if (DisplayedMaskUsable(document, session)) return true;
    if (!CreateMask(document, session, services)) return false;
    FillMask(document, session, 255);
    return true;
}

bool TakePrecedingMask(Document& document, EditSession& session, View& view, Services& services) {
    FrameRecord* displayed = DisplayedFrame(document, session);
    const int index = document.frames.indexOfId(session.cache.displayedId);
    if (index <= 0) return false;
    const std::int32_t previous = document.frames.at(index - 1).maskNumber;
    if (previous == 0) return false;
    if (!LoadMask(document, session, services, previous)) {
        services.reporter().report(ErrorKind::LoadMask, ErrorPlace::MoveMask, previous);
        return false;
    }
    displayed->maskNumber = document.masks.nextNumber++;
    session.cache.maskNumber = displayed->maskNumber;
    session.cache.maskFailed = false;
    MarkMaskModified(session);
    // Show the taken mask at once, not only after the first move.
    ComposeFrame(document, session, view, services, kMaskChanged);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
    return true;
}

void RecomposeMaskEdit(Document& document, EditSession& session, View& view, Services& services,
                       const Rect& dirty) {
    session.cache.dirty = dirty;
    ClampDirtyRectangle(session);
    ComposeFrame(document, session, view, services, kMaskChanged);
}

}  // namespace morvel
