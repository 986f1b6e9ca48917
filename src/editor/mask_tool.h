#pragma once

#include <vector>

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

// The tool that tool button `tool` selects; null for any other number.
MaskTool* MaskToolFor(int tool);
// The tool buttons, in the window's order.
std::vector<int> ToolButtons();

// The tools, each in its own file; MaskToolFor registers them by their buttons.
MaskTool& TheZoomTool();
MaskTool& TheEraser();
MaskTool& TheAntiEraser();
MaskTool& TheSelectionTool();
MaskTool& TheMaskMover();

}  // namespace morvel
