#pragma once

#include <string>

#include "app/program.h"

namespace morvel {

// "7 / 24": the place of the frame at index in a film of count frames; "" without frames.
std::string FrameCounterText(int index, int count);

// Shows the counter of the frame at index in the status line, when it reads differently.
void ShowFrameCounter(View& view, Services& services, int index, int count);

// The same for the displayed frame, after each event.
void UpdateFrameCounter(Program& state);

}  // namespace morvel
