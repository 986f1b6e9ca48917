#pragma once

#include <span>

#include "i18n/language_table.h"
#include "platform/gadgets.h"
#include "platform/main_window_plan.h"
#include "project/program_state.h"

namespace morvel {

// The option gadgets a tool shows while it is selected.
struct ToolOptions {
    bool brush = false;         // 14, 15, 46: brush size, shape and hardness
    bool transparency = false;  // 16, 17
    bool zoom = false;          // 18 to 21
};

// What the canvas draws at the cursor while a tool is selected (besides a rubber band).
enum class ToolOutline { None, Brush };

// A tool of the canvas. MouseAction calls, with canvas positions: press when the left button
// goes down over the canvas, move while it is down, release when it comes up over the canvas,
// leave when the cursor leaves the canvas with the button down (which ends the drag), hover for
// moves with the button up. A tool keeps what it needs between calls in the program state.
class MaskTool {
public:
    virtual ~MaskTool() = default;
    virtual void press(ProgramState& state, int cx, int cy) = 0;
    virtual void move(ProgramState& state, int cx, int cy) = 0;
    virtual void release(ProgramState& state, int cx, int cy) = 0;
    virtual void leave(ProgramState&, int, int) {}
    virtual void hover(ProgramState&, int, int) {}
    virtual ToolOutline outline() const { return ToolOutline::None; }
    virtual ToolOptions options() const = 0;
};

// A tool as the window shows it: its button (a gadget number the window and the tests keep),
// the button's icon and tooltip, and the tool itself.
struct RegisteredTool {
    ToolId id;
    Gadget button;
    Picture icon;
    Text tooltip;
    MaskTool& (*tool)();
};

// The registered tools, in the order of their buttons in the window.
std::span<const RegisteredTool> RegisteredTools();
// The tool with id `id`; null for ToolId::None.
MaskTool* MaskToolFor(ToolId id);
// The tool that button gadget `gadget` selects; ToolId::None for any other gadget.
ToolId ToolOfButton(int gadget);

// The tools, each in its own file; mask_tool.cpp registers them.
MaskTool& TheZoomTool();
MaskTool& TheEraser();
MaskTool& TheAntiEraser();
MaskTool& TheSelectionTool();
MaskTool& TheMaskMover();

}  // namespace morvel
