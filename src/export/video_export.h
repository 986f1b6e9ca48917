#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "export/video_writer.h"
#include "i18n/error_reporter.h"
#include "sequence/film.h"
#include "sound/sound_samples.h"

namespace morvel {

// Where a sound track lies against the frames: sample frame s of the sound plays at sound
// sample s + offsetFrames * rate / fps of the film, so a positive offset starts it later.
struct SoundPlacement {
    const SoundSamples* sound = nullptr;  // none: a video without sound
    int offsetFrames = 0;
};

// Copies the sound of video sample frames [begin, end) into out (interleaved), silence where
// the sound has none; firstFrame is the film frame the video starts with.
void SoundSpan(const SoundPlacement& placement, int fps, int firstFrame, std::int64_t begin,
               std::int64_t end, std::vector<float>& out);

// The end, in sound sample frames, of the first `frames` frames of a video at fps.
std::int64_t SoundFramesBefore(int frames, int fps);

// What WriteVideo writes: frames first..last (0-based, inclusive) into path at fps.
struct VideoJob {
    std::string path;
    VideoFormat format = VideoFormat::Mp4;
    int fps = 24;
    int first = 0;
    int last = -1;  // -1: the last frame
    SoundPlacement sound;
    int readers = 1;  // threads reading the next frames' pictures while one is composed
    std::function<void(int written, int total)> progress;
    // Asked before each frame; true abandons the video.
    std::function<bool()> stopRequested;
};

enum class VideoResult { Written, Failed, Stopped };

// Composes the frames of the job as a FrameSequence does and writes them, with the sound's span
// of the film (silence where the sound ends first, cut where it goes on longer), into a video
// that takes the job's name only when complete. Frames of another size than the first are
// stretched to it. Failures are the export's: a file that cannot be created or written (a full
// disk) is reported as a picture that cannot be saved, naming the video (saveimage, place 15).
VideoResult WriteVideo(const Film& film, ErrorReporter reporter, const VideoJob& job);

}  // namespace morvel
