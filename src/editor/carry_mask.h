#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "motion/carry_mask.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// "Maske übernehmen": the displayed frame gets the mask of the frame before it, moved by the
// motion between their layer-1 pictures, as one step of the history; the carried mask is a mask
// like any painted one (journaled, stored, saved). A frame without layer 1, or whose frame before
// has no mask, is told so and nothing changes; a picture that cannot be read is reported.
void CarryMaskToDisplayed(Document& document, EditSession& session, View& view, Services& services,
                          const CarryOptions& options = {});

// The displayed frame's mask becomes mask as one step of the history (a new mask when it had
// none; mask then has the composite's size), and is shown.
void SetDisplayedMask(Document& document, EditSession& session, View& view, Services& services,
                      const GreyImage& mask);

}  // namespace morvel
