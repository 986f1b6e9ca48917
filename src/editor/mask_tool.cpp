#include "editor/mask_tool.h"

#include "platform/gadgets.h"

namespace morvel {

MaskTool* MaskToolFor(int tool) {
    switch (static_cast<Gadget>(tool)) {
        case Gadget::ZoomTool:
            return &TheZoomTool();
        case Gadget::Eraser:
            return &TheEraser();
        case Gadget::AntiEraser:
            return &TheAntiEraser();
        case Gadget::SelectionTool:
            return &TheSelectionTool();
        case Gadget::MaskMover:
            return &TheMaskMover();
        default:
            return nullptr;
    }
}

}  // namespace morvel
