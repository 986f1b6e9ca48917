#pragma once

#include "project/program_state.h"

namespace morvel {

// What the mask tools share.

// The whole mask image, in its own pixels.
Rect WholeMask(const ProgramState& state);

// Gives the displayed frame a mask to paint on when the mask image does not hold one: a new
// mask, white, as the frame looked without it. False when no mask could be made.
bool EnsureMaskToPaint(ProgramState& state);

// Gives a displayed frame without a mask the mask of the frame before it, under a new mask
// number, and shows it. False when there is none or it cannot be read (reported).
bool TakePrecedingMask(ProgramState& state);

// Composes the composite pixels `dirty` again after an edit of the mask.
void RecomposeMaskEdit(ProgramState& state, const Rect& dirty);

}  // namespace morvel
