#pragma once

#include "project/program_state.h"

namespace morvel {

// Limits of the zoom buttons and the zoom tool, and their step factors.
constexpr float kMinZoom = 0.015625f;
constexpr float kMaxZoom = 5.0f;
constexpr float kZoomInFactor = 1.046875f;
constexpr float kZoomOutFactor = 0.953125f;

// Sets both scroll bars from the zoom, the view offsets and the sizes of canvas and composite.
void UpdateScrollBars(ProgramState& state);
// The view follows scroll bar 3 or 4 (gadget number), then the canvas is redrawn.
void ScrollTo(ProgramState& state, int bar);
void ZoomOneToOne(ProgramState& state);
void ZoomFit(ProgramState& state);
void ZoomByFactor(ProgramState& state, float factor);

}  // namespace morvel
