#pragma once

#include <cstdint>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

class MaskTool;
class ToolContext;

// Mouse phases handed to the tools.
enum MousePhase : int {
    kMousePressed = -1,
    kMouseDragged = 0,
    kMouseReleased = 1,
    kMouseHover = 100,
    kMouseLeft = 200,
};

// The erase grey of transparency spin value v (0..100): (100 - v) x 2.55 rounded half to even.
int EraseGreyForTransparency(int v);

// Selects tool t, made anew: its button disabled, the other tools' buttons enabled, and the
// option gadgets shown that the tool uses. An id of no tool changes nothing.
void SelectTool(View& view, Services& services, ToolId t);

// A mouse event for the selected tool at canvas position (cx, cy); handles the cursor leaving
// the canvas. phase: kMousePressed, kMouseDragged (any move) or kMouseReleased.
void MouseAction(Document& document, EditSession& session, View& view, Services& services,
                 int phase, int cx, int cy);

// Calls the tool's part for the phase (editor/mask_tool.h).
void ApplyMousePhase(MaskTool& tool, ToolContext& context, int phase, int cx, int cy);

}  // namespace morvel
