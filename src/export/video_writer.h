#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image.h"

namespace morvel {

// The two kinds of video delivered: H.264 in MP4 (4:2:0, AAC sound) for viewers and ProRes 422
// HQ in MOV (PCM sound) for editors.
enum class VideoFormat { Mp4, Mov };

// The extension of a format's files, with its dot.
const char* VideoExtension(VideoFormat format);

struct VideoSettings {
    VideoFormat format = VideoFormat::Mp4;
    int width = 0;  // of the pictures handed in; an odd side is padded by one pixel
    int height = 0;
    int fps = 24;
    bool sound = false;  // a stereo sound stream at 48000 Hz beside the pictures
};

// Writes one video through FFmpeg's libraries into a temporary file beside the target, which
// becomes the target only when finish succeeds: a failed or abandoned video leaves nothing
// under the target's name (and an older file there untouched).
class VideoWriter {
public:
    enum class Failure { None, Create, Write, Finish };

    VideoWriter();
    ~VideoWriter();  // abandons a video not finished
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    bool open(const std::string& path, const VideoSettings& settings);
    // A picture of the settings' size, RGB.
    bool addFrame(const Image& picture);
    // Interleaved stereo float samples at 48000 Hz, following those added before.
    bool addSound(const float* samples, std::int64_t sampleFrames);
    // Encodes what is held back, completes the file and gives it the target's name.
    bool finish();
    // Closes and removes the temporary file.
    void abandon();

    // What went wrong first.
    Failure failure() const { return m_failure; }

private:
    struct Streams;
    bool fail(Failure failure);

    std::unique_ptr<Streams> m_streams;
    std::string m_target;
    std::string m_temporary;
    Failure m_failure = Failure::None;
};

}  // namespace morvel
