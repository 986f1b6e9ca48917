#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/work_queue.h"
#include "sequence/film.h"
#include "sequence/scaled_frame.h"

namespace morvel {

// Canvas-sized pictures of the composed frames of a film, as the canvas shows them, made on
// worker threads and kept JPEG-compressed within a memory bound. An entry is made again when
// its frame's files or the view change. Each frame is composed by ComposeFilmFrame, which reads
// the pictures reduced when the zoom shows them reduced anyway.
class PlaybackCache {
public:
    static constexpr std::size_t kDefaultMemoryBound = std::size_t{512} << 20;

    explicit PlaybackCache(std::size_t memoryBound = kDefaultMemoryBound, int threads = 2);
    ~PlaybackCache();
    PlaybackCache(const PlaybackCache&) = delete;
    PlaybackCache& operator=(const PlaybackCache&) = delete;

    // The film and the view to play it in. Keeps the entries that still hold: same view, same
    // files, files not written since.
    void setFilm(const std::vector<FrameFiles>& frames, const FilmView& view);
    // Makes the frames from `from` on, in playing order (round to the start), as far as the
    // memory bound allows, dropping first the entries that would be played last. Call again as
    // the film advances.
    void fillFrom(int from);
    // How many threads may work at once (at most the count given at construction).
    void setActiveThreads(int threads);
    // Forgets frame index's entry: its pictures changed.
    void drop(int index);
    // Makes frame index's entry from picture, the frame as the canvas shows it in the film's view
    // now (its files may not hold it yet), instead of composing it.
    void put(int index, const Image& picture);

    bool ready(int index) const;
    // The frame's picture, canvas-sized; false when it is not ready.
    bool take(int index, Image& out) const;
    // The same, only when the entry was made of frame's files in view.
    bool take(int index, const FrameFiles& frame, const FilmView& view, Image& out) const;
    // Waits until nothing is being made.
    void waitIdle();
    std::size_t memoryUsed() const;
    int frameCount() const;

private:
    struct Entry;
    struct Shared;
    void pump(std::unique_lock<std::mutex>& lock);
    void make(int index, std::uint64_t generation);

    std::shared_ptr<Shared> m_shared;
    WorkQueue m_queue;
};

}  // namespace morvel
