#include "export/video_export.h"

#include <algorithm>

#include "export/stretch_picture.h"
#include "platform/work_queue.h"
#include "sequence/frame_sequence.h"

namespace morvel {

namespace {

constexpr int kRate = SoundSamples::kRate;
constexpr int kChannels = SoundSamples::kChannels;

// The error numbers of a video that fails: cannot be created, writing failed, cannot be put in
// place.
int errorNumber(VideoWriter::Failure failure) {
    switch (failure) {
        case VideoWriter::Failure::Create:
            return 20;
        case VideoWriter::Failure::Finish:
            return 22;
        default:
            return 21;
    }
}

}  // namespace

std::int64_t SoundFramesBefore(int frames, int fps) {
    return static_cast<std::int64_t>(frames) * kRate / std::max(1, fps);
}

void SoundSpan(const SoundPlacement& placement, int fps, int firstFrame, std::int64_t begin,
               std::int64_t end, std::vector<float>& out) {
    out.assign(static_cast<std::size_t>(std::max<std::int64_t>(0, end - begin)) * kChannels, 0.0f);
    if (!placement.sound) return;
    // The sound sample that plays with video sample 0.
    const std::int64_t shift =
        static_cast<std::int64_t>(firstFrame - placement.offsetFrames) * kRate / std::max(1, fps);
    const std::int64_t have = placement.sound->frameCount();
    const std::int64_t from = std::max(begin + shift, std::int64_t{0});
    const std::int64_t to = std::min(end + shift, have);
    if (from >= to) return;
    std::copy(placement.sound->samples.begin() + from * kChannels,
              placement.sound->samples.begin() + to * kChannels,
              out.begin() + (from - shift - begin) * kChannels);
}

VideoResult WriteVideo(const Film& film, ErrorReporter reporter, const VideoJob& job) {
    // Destroyed in reverse: the sequence skips the reads it queued, then the queue ends.
    WorkQueue queue(std::max(0, job.readers));
    FrameSequence frames(film, job.first, job.last, queue, reporter, job.readers > 0 ? 1 : 0);
    const int total = frames.total();
    VideoWriter writer;
    const auto failed = [&] {
        reporter.report(ErrorKind::SaveImage, ErrorPlace::AviExport, errorNumber(writer.failure()),
                        job.path);
        return VideoResult::Failed;
    };
    VideoSettings settings;
    std::vector<float> span;
    int written = 0;
    while (!frames.atEnd()) {
        if (job.stopRequested && job.stopRequested()) return VideoResult::Stopped;
        const Image& composite = frames.composeNext();
        if (settings.width == 0) {
            settings = {job.format, composite.width(), composite.height(), job.fps,
                        job.sound.sound != nullptr};
            if (!writer.open(job.path, settings)) return failed();
        }
        bool added = false;
        if (composite.width() == settings.width && composite.height() == settings.height) {
            added = writer.addFrame(composite);
        } else {
            const Image stretched = StretchPicture(composite, settings.width, settings.height);
            added = !stretched.empty() && writer.addFrame(stretched);
        }
        if (!added) return failed();
        ++written;
        if (settings.sound) {
            const std::int64_t begin = SoundFramesBefore(written - 1, job.fps);
            const std::int64_t end = SoundFramesBefore(written, job.fps);
            SoundSpan(job.sound, job.fps, job.first, begin, end, span);
            if (!writer.addSound(span.data(), end - begin)) return failed();
        }
        if (job.progress) job.progress(written, total);
    }
    if (written == 0) return VideoResult::Failed;
    return writer.finish() ? VideoResult::Written : failed();
}

}  // namespace morvel
