#pragma once

#include <cstdint>

#include "project/program_state.h"

namespace morvel {

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

// Selects tool t (gadget 9 to 13): its button disabled, the others enabled, and the option
// gadgets shown that the tool uses.
void SelectTool(ProgramState& state, int t);

// A mouse event for the selected tool at canvas position (cx, cy); handles the cursor leaving
// the canvas. phase: kMousePressed, kMouseDragged (any move) or kMouseReleased.
void MouseAction(ProgramState& state, int phase, int cx, int cy);

// The tools; colours are grey levels here (0..255), since masks are grey.
void BrushTool(ProgramState& state, int cx, int cy, std::uint8_t grey, int phase);
void SelectionTool(ProgramState& state, int cx, int cy, std::uint8_t grey, int phase);
void MaskMover(ProgramState& state, int cx, int cy, int phase);

}  // namespace morvel
