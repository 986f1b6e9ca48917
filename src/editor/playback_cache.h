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
#include "project/document.h"

namespace morvel {

// The view the film is played in: the canvas's size, zoom and view offset, and the size of the
// composite a frame without pictures shows.
struct PlaybackView {
    float zoom = 1.0f;
    int offsetX = 0;
    int offsetY = 0;
    int canvasWidth = 0;
    int canvasHeight = 0;
    int carriedWidth = 640;
    int carriedHeight = 480;
    bool operator==(const PlaybackView&) const = default;
};

// The files one frame is composed from (empty: none), copied from the frame list so that the
// worker threads never look at the program's state.
struct FilmFrame {
    std::array<std::string, 2> layers;
    std::string mask;
    bool operator==(const FilmFrame&) const = default;

    static FilmFrame Of(const FrameFiles& files) { return {{files[0], files[1]}, files[2]}; }
};

// Canvas-sized pictures of the composed frames of a film, as the canvas shows them, made on
// worker threads and kept JPEG-compressed within a memory bound. An entry is made again when
// its frame's files or the view change. The pictures are read reduced when the zoom shows them
// reduced anyway, which makes filling several times quicker; a picture that cannot be read is
// left out, without a message.
class PlaybackCache {
public:
    static constexpr std::size_t kDefaultMemoryBound = std::size_t{512} << 20;

    explicit PlaybackCache(std::size_t memoryBound = kDefaultMemoryBound, int threads = 2);
    ~PlaybackCache();
    PlaybackCache(const PlaybackCache&) = delete;
    PlaybackCache& operator=(const PlaybackCache&) = delete;

    // The film and the view to play it in. Keeps the entries that still hold: same view, same
    // files, files not written since.
    void setFilm(const std::vector<FilmFrame>& frames, const PlaybackView& view);
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
    bool take(int index, const FilmFrame& frame, const PlaybackView& view, Image& out) const;
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

// Composes frame into a canvas-sized picture for view, reading its pictures reduced by the
// largest power of two (up to 8) that the zoom still shows; what cannot be read is left out.
bool ComposeFilmFrame(const FilmFrame& frame, const PlaybackView& view, Image& out);

}  // namespace morvel
