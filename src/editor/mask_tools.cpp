#include "editor/mask_tools.h"

#include <algorithm>
#include <cmath>

#include "editor/canvas.h"
#include "editor/mask_tool.h"
#include "editor/tool_context.h"
#include "platform/gadgets.h"

namespace morvel {

int EraseGreyForTransparency(int v) {
    v = std::clamp(v, 0, 100);
    return static_cast<int>(std::nearbyint((100 - v) * 2.55));
}

void SelectTool(View& view, Services& services, ToolId t) {
    const ToolRow* row = ToolRowFor(t);
    if (!row) return;
    for (const RegisteredTool& other : RegisteredTools())
        services.shell.enableGadget(other.button, other.row.id != t);
    std::shared_ptr<MaskTool> tool = row->make();
    const ToolOptions options = tool->options();
    Shell& shell = services.shell;
    shell.showGadget(+Gadget::BrushSize, options.brush);
    shell.showGadget(+Gadget::BrushShape, options.brush);
    shell.showGadget(+Gadget::Hardness, options.brush);
    shell.showGadget(+Gadget::Transparency, options.transparency);
    shell.showGadget(+Gadget::TransparencyIcon, options.transparency);
    for (int g = +Gadget::ZoomIn; g <= +Gadget::ZoomOneToOne; ++g)
        shell.showGadget(g, options.zoom);
    view.tool = row->id;
    view.toolInUse = std::move(tool);
}

void ApplyMousePhase(MaskTool& tool, ToolContext& context, int phase, int cx, int cy) {
    switch (phase) {
        case kMousePressed:
            tool.press(context, cx, cy);
            break;
        case kMouseDragged:
            tool.move(context, cx, cy);
            break;
        case kMouseReleased:
            tool.release(context, cx, cy);
            break;
        case kMouseHover:
            tool.hover(context, cx, cy);
            break;
        case kMouseLeft:
            tool.leave(context, cx, cy);
            break;
        default:
            break;
    }
}

void MouseAction(Document& document, EditSession& session, View& view, Services& services,
                 int phase, int cx, int cy) {
    if (session.cache.displayedIndex < 0) return;
    // A copy: the tool lives to the end of this call even if it is replaced meanwhile.
    const std::shared_ptr<MaskTool> tool = view.toolInUse;
    ToolContext context(document, session, view, services);
    const Image& canvas = view.canvas;
    if (cx >= 0 && cy >= 0 && cx < canvas.width() && cy < canvas.height()) {
        if (!view.buttonDown) phase = kMouseHover;
        if (tool) ApplyMousePhase(*tool, context, phase, cx, cy);
        view.cursorInside = true;
        return;
    }
    if (!view.cursorInside) return;
    // The cursor has just left the canvas: a brush stroke or a mask move ends where it left;
    // a zoom or selection drag is abandoned.
    if (view.buttonDown) {
        if (tool) tool->leave(context, cx, cy);
        view.buttonDown = false;
    }
    view.cursorInside = false;
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

}  // namespace morvel
