#include "tools/render_avi.h"

#include <algorithm>

#include "editor/masks.h"
#include "export/avi_export.h"
#include "project/name_template.h"

namespace morvel {

void RenderAvi(Document& document, EditSession& session, Services& services,
               const RenderOptions& options, SoundPlacement sound,
               std::function<void(int written, int total)> progress,
               std::function<bool()> stopRequested) {
    const int count = document.frames.size();
    AviVideoJob job;
    job.path = ReplaceExtension(options.output, ".avi");
    job.frameRate = [&] { return options.fps; };
    job.first = options.firstFrame - 1;
    job.last = options.lastFrame == 0 ? count - 1 : std::min(options.lastFrame, count) - 1;
    job.sound = sound;
    job.progress = std::move(progress);
    job.stopRequested = std::move(stopRequested);
    if (job.first > job.last) return;
    StoreDisplayedMask(document, session, services);
    RenderAviVideo(Film(document), services.reporter(), services.files.libraryFolder, job);
}

}  // namespace morvel
