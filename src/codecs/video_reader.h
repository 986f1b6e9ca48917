#pragma once

#include <memory>
#include <string>

#include "platform/image.h"
#include "codecs/load_result.h"

namespace morvel {

// Reads single frames of a video file's first video stream (FFmpeg inside). Frame n is decoded
// exactly, not the nearest key frame.
class VideoReader {
public:
    enum class OpenResult { Ok, CannotOpen, NoVideoStream, NoDecoder };

    VideoReader();
    ~VideoReader();
    VideoReader(const VideoReader&) = delete;
    VideoReader& operator=(const VideoReader&) = delete;

    OpenResult open(const std::string& path);
    bool isOpen() const;
    // Number of the stream's first frame and its number of frames; 0 when nothing is open.
    int firstFrame() const;
    int frameCount() const;
    // Decodes frame n (counted from the stream's start) into a 24-bit picture of its own size.
    LoadResult readFrame(int n, Image& out);
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace morvel
