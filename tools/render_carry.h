#pragma once

#include <cstdio>
#include <functional>

#include "editor/edit_session.h"
#include "motion/carry_mask.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// morvel-render --carry-masks: the mask of frame first (0-based) carried frame by frame up to
// frame last, as the window's run does (a frame's own mask is replaced), each written to its
// working file; then the project file is saved as the window saves it. One line per frame goes to
// out with the time it took. stop is asked before each frame: the frames done so far are saved.
// Returns the exit status: 0, or 1 when an error was reported or nothing could be saved.
int CarryMasksOfProject(Document& document, EditSession& session, Services& services, int first,
                        int last, const CarryOptions& options, const std::function<bool()>& stop,
                        std::FILE* out);

}  // namespace morvel
