#pragma once

#include <cstdint>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// The files of mask n alone (no layers): its working file, or its picture kept in memory.
FrameFiles MaskFiles(const Document& document, const EditSession& session, std::int32_t n);

// Reads a mask's working file as its grey through the window's picture reader (which decodes
// the neighbours ahead), or at once without one. False when it cannot be read.
bool ReadWorkingMask(EditSession& session, Services& services, const std::string& file,
                     GreyImage& mask);

// Loads mask working file n (or the mask kept in memory when it could not be stored) into the
// mask image; on success the whole composite becomes dirty.
// A missing or unreadable file leaves the mask image as it was and gives false.
bool LoadMask(Document& document, EditSession& session, Services& services, std::int32_t n);

// Writes the mask image to mask working file n as PNG. On failure the mask is kept in
// EditSession::unstoredMasks and the user told once that the working files cannot be written.
bool StoreMask(Document& document, EditSession& session, Services& services, std::int32_t n);

// Tries again to write the masks kept in memory to their working files.
void StoreUnstoredMasks(const Document& document, EditSession& session);

// Stores the displayed frame's mask when it has one and it was modified.
void StoreDisplayedMask(Document& document, EditSession& session, Services& services);

// The mask image now differs from its working file: it is to be stored, and whatever was made
// from the displayed frame before (the playback cache's picture of it) is out of date.
void MarkMaskModified(EditSession& session);

// Gives the displayed frame a new black mask of the composite's size under a fresh number.
bool CreateMask(Document& document, EditSession& session, Services& services);

// Clamps the dirty rectangle to the composite image.
void ClampDirtyRectangle(EditSession& session);

}  // namespace morvel
