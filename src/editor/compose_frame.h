#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Flags that ComposeFrame takes and returns.
enum ComposeFlags : int {
    kLayer1Present = 1,
    kLayer2Present = 2,
    kMaskPresent = 4,
    kLayer1Changed = 8,
    kLayer2Changed = 16,
    kMaskChanged = 32,  // also passed in by a caller that changed the mask image
};

// Composes the displayed frame into the composite image, loading only what differs
// from what the work images hold. flags is 0, or kMaskChanged after an edit of the mask image.
// Returns 0 when nothing had to be composed (or the composite could not be made), otherwise the
// flags: then the canvas needs drawing again.
int ComposeFrame(Document& document, EditSession& session, View& view, Services& services,
                 int flags);

}  // namespace morvel
