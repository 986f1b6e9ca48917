#pragma once

#include <cstdint>

namespace morvel {

// Names a frame for as long as the program runs, across frame operations and their undo. Never
// 0 for a frame in the film.
using FrameId = std::uint64_t;

}  // namespace morvel
