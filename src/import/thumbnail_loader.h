#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/image.h"
#include "codecs/video_reader.h"

namespace morvel {

// The thumbnail of one layer source, made on any thread.
struct DecodedThumbnail {
    std::optional<Image> thumbnail;  // 60 x 45; nothing when the picture could not be had
    // For an AVI frame reference whose video could not be opened: the reader's error number
    // (0 cannot open, 1 no video stream, 2 no decoder), which the taker reports as the reader
    // would; -1 otherwise.
    int videoError = -1;
};

// The thumbnail of a layer source from the cheapest decode the libraries offer: a JPEG reduced
// while it is decoded (the largest reduction that keeps at least 60 x 45), other pictures at
// full size; an AVI frame reference opens its video with a reader of its own, fetches the frame
// and closes it. Touches no program state, so any thread may call it.
DecodedThumbnail DecodeLayerThumbnail(const std::string& source);

// Makes the thumbnails of a list of layer sources (a drop's pictures, an opened project's
// layers) ahead of their use on worker threads, while the caller attaches the ones made before.
// Only the thumbnails travel between the threads; the frame list stays with the caller.
// One worker per core besides the caller's, at most three; at most `ahead` sources beyond the
// one taken last are decoded before they are asked for.
class ThumbnailLoader {
public:
    explicit ThumbnailLoader(std::vector<std::string> sources, std::size_t ahead = 4);
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    std::size_t size() const { return m_sources.size(); }

    // The thumbnail of source i. Sources are taken in increasing order (some may be left out).
    // Rather than wait for the worker, the calling thread decodes a source itself, so both cores
    // work on a drop.
    DecodedThumbnail take(std::size_t i);

private:
    enum class SlotState { Waiting, Claimed, Done };
    struct Slot {
        SlotState state = SlotState::Waiting;
        DecodedThumbnail result;
    };

    void work();
    // The next source nobody decodes yet, within the look-ahead window; size() when none.
    std::size_t claimable() const;
    void decodeClaimed(std::size_t i, std::unique_lock<std::mutex>& lock);

    const std::vector<std::string> m_sources;
    const std::size_t m_ahead;
    std::vector<Slot> m_slots;
    std::size_t m_nextClaim = 0;  // sources below it are claimed, done or passed over
    std::size_t m_taken = 0;      // sources below it have been taken (or passed over)
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_workers;
};

// Decodes frames first, first + 1, ... of a video that the reader holds open, in order and
// without seeking, on a worker thread a few frames ahead of their use. The reader belongs to the
// worker until this object is gone; the caller closes the video afterwards.
class VideoFramePipeline {
public:
    VideoFramePipeline(VideoReader& reader, std::string videoPath, int first, int count,
                       std::size_t ahead = 3);
    ~VideoFramePipeline();
    VideoFramePipeline(const VideoFramePipeline&) = delete;
    VideoFramePipeline& operator=(const VideoFramePipeline&) = delete;

    // The picture of frame first + k, for k = 0, 1, ... in order; nothing when the frame could
    // not be decoded.
    std::optional<Image> take();

private:
    void work();

    VideoReader& m_reader;
    const std::string m_videoPath;
    const int m_first;
    const int m_count;
    const std::size_t m_ahead;
    std::deque<std::optional<Image>> m_ready;
    int m_delivered = 0;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_worker;
};

}  // namespace morvel
