#pragma once

#include <string>

#include "platform/image.h"
#include "project/program_state.h"

namespace morvel {

// Reads the full picture of a layer source (a picture file read by content, or an AVI frame
// reference) into target at the picture's own size. On failure returns false and leaves
// target as it was; the caller reports.
bool LoadLayerPicture(ProgramState& state, Image& target, const std::string& layerSource);

}  // namespace morvel
