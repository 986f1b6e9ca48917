#pragma once

#include <cstdint>

#include "project/program_state.h"

namespace morvel {

// A brush stroke joins its positions: between the last dab and the next position, dabs are
// placed along the segment at most a quarter of the brush size apart (at least 1 composite
// pixel), so a fast stroke paints a continuous path. Each dab is hard (PaintMaskDab) at
// hardness 100, soft (PaintSoftMaskDab) below.

// The distance in composite pixels between two dabs of a brush of size s.
int DabSpacing(int s);

// Starts a stroke at composite pixel (ix, iy) with one dab there.
void BeginStroke(ProgramState& state, int ix, int iy, std::uint8_t grey);

// Paints the dabs from the stroke's last dab to (ix, iy), recomposing what they changed piece by
// piece along the segment; only the part of the segment near the mask is painted, so a long
// jump costs no more than a stroke across the picture.
void ContinueStroke(ProgramState& state, int ix, int iy, std::uint8_t grey);

// The stroke is over: forgets its last dab and what its soft dabs kept.
void EndStroke(ProgramState& state);

}  // namespace morvel
