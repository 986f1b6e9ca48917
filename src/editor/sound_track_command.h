#pragma once

#include "editor/edit_session.h"
#include "project/document.h"

namespace morvel {

// Makes `after` the project's sound track (a new file, none, another offset) as one step of the
// undo history. Nothing happens when it is the track already.
void ChangeSoundTrack(Document& document, EditSession& session, const SoundTrack& after);

}  // namespace morvel
