#include "tools/render_video.h"

#include <algorithm>
#include <thread>

#include "editor/masks.h"
#include "export/video_export.h"
#include "project/name_template.h"
#include "sequence/film.h"

namespace morvel {

bool RenderVideo(Document& document, EditSession& session, Services& services,
                 const RenderOptions& options, SoundPlacement sound,
                 std::function<void(int written, int total)> progress,
                 std::function<bool()> stopRequested) {
    const int count = document.frames.size();
    VideoJob job;
    job.format = options.video.value_or(VideoFormat::Mp4);
    job.path = ReplaceExtension(options.output, VideoExtension(job.format));
    job.fps = options.fps;
    job.first = options.firstFrame - 1;
    job.last = options.lastFrame == 0 ? count - 1 : std::min(options.lastFrame, count) - 1;
    // Placed against the project's first frame, so that a range carries its own span.
    job.sound = sound;
    job.readers = std::max(1, options.threads.value_or(
                                  static_cast<int>(std::thread::hardware_concurrency())));
    if (options.threads && *options.threads == 0) job.readers = 0;
    job.progress = std::move(progress);
    job.stopRequested = std::move(stopRequested);
    if (job.first > job.last) return false;
    StoreDisplayedMask(document, session, services);
    return WriteVideo(Film(document), services.reporter(), job) == VideoResult::Written;
}

}  // namespace morvel
