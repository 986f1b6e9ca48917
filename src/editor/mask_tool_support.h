#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// What the mask tools share.

// The whole mask image, in its own pixels.
Rect WholeMask(const EditSession& session);

// Gives the displayed frame a mask to paint on when the mask image does not hold one: a new
// mask, white, as the frame looked without it. False when no mask could be made.
bool EnsureMaskToPaint(Document& document, EditSession& session, Services& services);

// Gives a displayed frame without a mask the mask of the frame before it, under a new mask
// number, and shows it. False when there is none or it cannot be read (reported).
bool TakePrecedingMask(Document& document, EditSession& session, View& view, Services& services);

// Composes the composite pixels `dirty` again after an edit of the mask.
void RecomposeMaskEdit(Document& document, EditSession& session, View& view, Services& services,
                       const Rect& dirty);

}  // namespace morvel
