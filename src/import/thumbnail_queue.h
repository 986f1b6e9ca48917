#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "import/thumbnail_loader.h"
#include "project/frame_id.h"

namespace morvel {

// Makes the thumbnails of a long film on worker threads after it has opened, while the window
// takes input: the frames the strip shows first (prefer), then the others in film order from
// there on. The main thread takes what is made (takeMade) and attaches it, so a film of many
// thousand frames opens in the time of the frames on screen. Only sources and thumbnails travel
// between the threads; a result names its frame by id, and the taker checks that the frame still
// holds that source.
class ThumbnailQueue {
public:
    struct Job {
        FrameId frame = 0;
        int layer = 0;
        std::string source;
    };
    struct Made {
        FrameId frame = 0;
        int layer = 0;
        int hint = -1;  // the frame's index when the film opened
        std::string source;
        DecodedThumbnail decoded;
    };

    // Jobs in film order; hint[i] is the frame index of job i when the film opened. Workers: one
    // per core besides the main thread's, at least one, at most three; none when workers is 0
    // (tests drive it with makeNext()).
    ThumbnailQueue(std::vector<Job> jobs, std::vector<int> hints, int workers = -1);
    ~ThumbnailQueue();  // stops the workers after the decode under way; the rest is dropped
    ThumbnailQueue(const ThumbnailQueue&) = delete;
    ThumbnailQueue& operator=(const ThumbnailQueue&) = delete;

    std::size_t size() const { return m_jobs.size(); }
    // The jobs of a frame (those of its two layers); empty when it has none.
    std::vector<std::size_t> jobsOf(FrameId frame) const;

    // These jobs are made next, in this order, and the ones after the last of them follow.
    void prefer(const std::vector<std::size_t>& jobs);
    // The thumbnails made since the last call, in the order they were made.
    std::vector<Made> takeMade();
    // Whether every job has been made and taken.
    bool finished() const;

    // Makes the next job on the calling thread; false when none is left to make.
    bool makeNext();

private:
    enum class State : unsigned char { Waiting, Claimed, Done };

    void work();
    // The next job to make, marked claimed; size() when none is left.
    std::size_t claim();
    void make(std::size_t i, std::unique_lock<std::mutex>& lock);

    const std::vector<Job> m_jobs;
    const std::vector<int> m_hints;
    std::vector<std::pair<FrameId, std::size_t>> m_byFrame;  // sorted
    std::vector<State> m_states;
    std::vector<std::size_t> m_preferred;  // made first, in order
    std::size_t m_cursor = 0;              // film order goes on from here, wrapping round
    std::size_t m_left = 0;                // jobs not claimed yet
    std::size_t m_untaken = 0;             // jobs not taken yet
    std::vector<Made> m_made;
    bool m_stop = false;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
};

}  // namespace morvel
