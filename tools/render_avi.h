#pragma once

#include <functional>

#include "editor/edit_session.h"
#include "project/document.h"
#include "project/services.h"
#include "export/video_export.h"
#include "tools/render_options.h"

namespace morvel {

// Writes the frames the options name, of the open project, as one AVI video: OUTPUT with the
// extension ".avi", at the options' frame rate, through AVIServ.so in the program's folder,
// loaded as the window's export loads it, with the sound as PCM (placed against the project's
// first frame) when there is one and the library takes it. Errors go to the state's reporter.
void RenderAvi(Document& document, EditSession& session, Services& services,
               const RenderOptions& options, SoundPlacement sound,
               std::function<void(int written, int total)> progress,
               std::function<bool()> stopRequested);

}  // namespace morvel
