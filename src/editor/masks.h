#pragma once

#include <cstdint>

#include "project/program_state.h"

namespace morvel {

// Loads mask working file n into the mask image; on success the whole composite becomes dirty.
// A missing or unreadable file leaves the mask image as it was and gives false.
bool LoadMask(ProgramState& state, std::int32_t n);

// Writes the mask image to mask working file n as PNG; reports saveimage (place 9) on failure.
bool StoreMask(ProgramState& state, std::int32_t n);

// Stores the displayed frame's mask when it has one and it was modified.
void StoreDisplayedMask(ProgramState& state);

// The mask image now differs from its working file: it is to be stored, and whatever was made
// from the displayed frame before (the playback cache's picture of it) is out of date.
void MarkMaskModified(ProgramState& state);

// Gives the displayed frame a new black mask of the composite's size under a fresh number.
bool CreateMask(ProgramState& state);

// Clamps the dirty rectangle to the composite image.
void ClampDirtyRectangle(ProgramState& state);

}  // namespace morvel
