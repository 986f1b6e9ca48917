#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Operations on whole frames, each one step of the history; frame names the frame they act on
// (the displayed one from the menus), and nothing happens when no frame has that id.

// Removes the frame with both takes and its mask; the frame after it is shown (the one before
// when it was the last).
void DeleteFrame(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame);

// Puts a copy of the frame after it (its mask copied to a new mask number) and shows the copy.
void DuplicateFrame(Document& document, EditSession& session, View& view, Services& services,
                    FrameId frame);

// Puts an empty frame after the frame (first in an empty project) and shows it.
void InsertEmptyFrame(Document& document, EditSession& session, View& view, Services& services,
                      FrameId frame);

}  // namespace morvel
