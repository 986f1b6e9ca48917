#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/image.h"
#include "codecs/load_result.h"
#include "codecs/video_reader.h"

namespace morvel {

// The videos an export reads its frames from, each kept open from its first frame to the end
// of the export, so that consecutive frames decode forward instead of from the last key frame.
// Several threads may read; the frames of one video are decoded one at a time, in the order
// their turns were taken. A video that cannot be opened is not kept: the next frame from it
// tries again (and fails again in the same way). At most maxOpen videos stay open; the one used
// longest ago is closed when another is needed.
class VideoPool {
public:
    struct Slot;
    // A place in the queue of one video's readers.
    struct Turn {
        std::shared_ptr<Slot> slot;
        std::uint64_t number = 0;
    };
    struct Result {
        VideoReader::OpenResult opened = VideoReader::OpenResult::Ok;
        LoadResult loaded = LoadResult::CannotOpen;
        bool ok() const {
            return opened == VideoReader::OpenResult::Ok && loaded == LoadResult::Ok;
        }
    };

    explicit VideoPool(int maxOpen = 4);
    ~VideoPool();
    VideoPool(const VideoPool&) = delete;
    VideoPool& operator=(const VideoPool&) = delete;

    // Takes the next turn on the video at path. Every turn must be used once by read() or
    // pass(), or the turns after it wait for ever.
    Turn takeTurn(const std::string& path);
    // Waits for the turn, then decodes frame n of the video into picture.
    Result read(const Turn& turn, int n, Image& picture);
    // Gives the turn up without reading.
    void pass(const Turn& turn);
    // takeTurn and read at once.
    Result readNow(const std::string& path, int n, Image& picture);

    // How many videos are open now.
    int openCount() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<Slot>> m_slots;
    std::uint64_t m_clock = 0;
    int m_maxOpen;
};

}  // namespace morvel
