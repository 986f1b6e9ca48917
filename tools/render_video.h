#pragma once

#include <functional>

#include "editor/edit_session.h"
#include "project/document.h"
#include "project/services.h"
#include "export/video_export.h"
#include "tools/render_options.h"

namespace morvel {

// Writes the frames the options name, of the open project, as one MP4 or MOV video: OUTPUT with
// the format's extension, at the options' frame rate, with the sound (when there is one) placed
// against the project's first frame. Errors go to the state's reporter. False when no video was
// written.
bool RenderVideo(Document& document, EditSession& session, Services& services,
                 const RenderOptions& options, SoundPlacement sound,
                 std::function<void(int written, int total)> progress,
                 std::function<bool()> stopRequested);

}  // namespace morvel
