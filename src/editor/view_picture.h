#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// What the canvas shows when it is not the composite alone: take 1 or take 2 alone, or the
// composite, with the mask laid over it as a red tint when the overlay is on. It is drawn into a
// picture of the composite's size beside the composite, which stays as the exports see it.

// Whether the canvas shows the composite image itself.
bool CanvasShowsComposite(const View& view);

// Draws the composite pixels r (clipped to the composite) of what the canvas shows into `out`,
// which has the composite's size. A take that is missing shows black; without a mask there is
// no tint.
void DrawViewPicture(const Document& document, const EditSession& session, const View& view,
                     Image& out, const Rect& r);

// The red tint over pixel p (3 bytes) for mask value m: none for white, the strongest where
// the mask lets all of take 2 through.
void TintByMask(std::uint8_t* p, std::uint8_t m);

}  // namespace morvel
