#include "editor/playback_cache.h"

#include <algorithm>
#include <utility>

#include "codecs/jpeg_codec.h"
#include "platform/file_stamp.h"

namespace morvel {

namespace {

using Stamps = std::array<FileStamp, 3>;

Stamps stampsOf(const FrameFiles& frame) {
    return {StampOf(frame.layers[0]), StampOf(frame.layers[1]), StampOf(frame.mask)};
}

}  // namespace

struct PlaybackCache::Entry {
    FrameFiles frame;
    Stamps stamps;
    std::vector<std::uint8_t> jpeg;
    bool ready = false;
    bool making = false;
    std::uint64_t generation = 0;  // a result made for an older generation is thrown away
};

struct PlaybackCache::Shared {
    mutable std::mutex mutex;
    std::condition_variable idle;
    std::vector<Entry> entries;
    FilmView view;
    std::size_t bound = 0;
    std::size_t used = 0;
    std::size_t estimate = 0;  // bytes of the last entry made, for those under way
    int threads = 1;
    int active = 1;
    int making = 0;
    int from = 0;
    std::uint64_t generation = 0;
    bool ending = false;
};

PlaybackCache::PlaybackCache(std::size_t memoryBound, int threads)
    : m_shared(std::make_shared<Shared>()),
      m_queue(std::max(1, threads), WorkQueue::Priority::Background) {
    m_shared->bound = memoryBound;
    m_shared->threads = std::max(1, threads);
    m_shared->active = m_shared->threads;
}

PlaybackCache::~PlaybackCache() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->ending = true;
    m_shared->idle.wait(lock, [&] { return m_shared->making == 0; });
}

void PlaybackCache::setFilm(const std::vector<FrameFiles>& frames, const FilmView& view) {
    std::vector<Stamps> stamps;
    stamps.reserve(frames.size());
    for (const FrameFiles& frame : frames) stamps.push_back(stampsOf(frame));
    std::unique_lock lock(m_shared->mutex);
    Shared& s = *m_shared;
    const bool sameView = s.view == view;
    std::vector<Entry> old = std::move(s.entries);
    s.entries = std::vector<Entry>(frames.size());
    s.view = view;
    s.used = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        Entry& entry = s.entries[i];
        entry.frame = frames[i];
        entry.stamps = stamps[i];
        // An entry may move with its frame (a frame was inserted or deleted before it).
        for (Entry& was : old) {
            if (!sameView || !was.ready || was.frame != frames[i] || was.stamps != stamps[i])
                continue;
            entry.jpeg = std::move(was.jpeg);
            entry.ready = true;
            was.ready = false;
            s.used += entry.jpeg.capacity();
            break;
        }
        // Results still being made belong to the old film: their generation no longer matches.
        entry.generation = ++s.generation;
    }
    s.from = 0;
}

void PlaybackCache::fillFrom(int from) {
    std::unique_lock lock(m_shared->mutex);
    m_shared->from = from;
    pump(lock);
}

void PlaybackCache::setActiveThreads(int threads) {
    std::unique_lock lock(m_shared->mutex);
    m_shared->active = std::clamp(threads, 1, m_shared->threads);
    pump(lock);
}

void PlaybackCache::drop(int index) {
    std::unique_lock lock(m_shared->mutex);
    Shared& s = *m_shared;
    if (index < 0 || index >= static_cast<int>(s.entries.size())) return;
    Entry& entry = s.entries[index];
    if (entry.ready) s.used -= entry.jpeg.capacity();
    entry.jpeg.clear();
    entry.jpeg.shrink_to_fit();
    entry.ready = false;
    entry.making = false;
    entry.generation = ++s.generation;
    entry.stamps = stampsOf(entry.frame);
    pump(lock);
}

void PlaybackCache::pump(std::unique_lock<std::mutex>& lock) {
    (void)lock;
    Shared& s = *m_shared;
    const int count = static_cast<int>(s.entries.size());
    if (s.ending || count == 0) return;
    const auto order = [&](int index) { return (index - s.from % count + count) % count; };
    for (int step = 0; step < count && s.making < s.active; ++step) {
        const int index = (s.from + step) % count;
        Entry& entry = s.entries[index];
        if (entry.ready || entry.making) continue;
        // Room for it: drop the entries that would be played last, if they come after it.
        while (s.used + static_cast<std::size_t>(s.making + 1) * s.estimate > s.bound) {
            int last = -1;
            for (int i = 0; i < count; ++i) {
                if (s.entries[i].ready && (last < 0 || order(i) > order(last))) last = i;
            }
            if (last < 0 || order(last) <= step) return;
            s.used -= s.entries[last].jpeg.capacity();
            s.entries[last].jpeg = {};
            s.entries[last].ready = false;
        }
        entry.making = true;
        ++s.making;
        make(index, entry.generation);
    }
}

void PlaybackCache::put(int index, const Image& picture) {
    // Encoded here: behind the workers' queue it could wait for several frames to be composed.
    std::vector<std::uint8_t> jpeg;
    const bool made = EncodeJpeg(picture, jpeg);
    std::unique_lock lock(m_shared->mutex);
    Shared& s = *m_shared;
    if (index < 0 || index >= static_cast<int>(s.entries.size())) return;
    Entry& entry = s.entries[index];
    if (entry.ready) s.used -= entry.jpeg.capacity();
    entry.jpeg = {};
    entry.ready = made;
    entry.making = false;  // what a worker is making for it is thrown away
    entry.generation = ++s.generation;
    if (made) {
        s.used += jpeg.capacity();
        entry.jpeg = std::move(jpeg);
    }
    pump(lock);
}

void PlaybackCache::make(int index, std::uint64_t generation) {
    const FrameFiles frame = m_shared->entries[index].frame;
    const FilmView view = m_shared->view;
    m_queue.post([this, shared = m_shared, frame, view, index, generation] {
        std::vector<std::uint8_t> jpeg;
        Image picture;
        bool made = false;
        bool ending = false;
        {
            std::lock_guard lock(shared->mutex);
            ending = shared->ending;
        }
        try {
            made = !ending && ComposeFilmFrame(frame, view, picture) && EncodeJpeg(picture, jpeg);
        } catch (...) {  // memory that could not be had: the frame is made again later
        }
        std::unique_lock lock(shared->mutex);
        --shared->making;
        const int count = static_cast<int>(shared->entries.size());
        if (index < count && shared->entries[index].generation == generation &&
            shared->entries[index].making) {
            Entry& entry = shared->entries[index];
            entry.making = false;
            if (made) {
                shared->estimate = std::max(shared->estimate, jpeg.capacity());
                shared->used += jpeg.capacity();
                entry.jpeg = std::move(jpeg);
                entry.ready = true;
            }
        }
        if (made) pump(lock);
        if (shared->making == 0) shared->idle.notify_all();
    });
}

bool PlaybackCache::ready(int index) const {
    std::lock_guard lock(m_shared->mutex);
    return index >= 0 && index < static_cast<int>(m_shared->entries.size()) &&
           m_shared->entries[index].ready;
}

bool PlaybackCache::take(int index, Image& out) const {
    std::vector<std::uint8_t> jpeg;
    {
        std::lock_guard lock(m_shared->mutex);
        if (index < 0 || index >= static_cast<int>(m_shared->entries.size())) return false;
        const Entry& entry = m_shared->entries[index];
        if (!entry.ready) return false;
        jpeg = entry.jpeg;
    }
    return DecodeJpeg(jpeg, out) == LoadResult::Ok;
}

bool PlaybackCache::take(int index, const FrameFiles& frame, const FilmView& view,
                         Image& out) const {
    {
        std::lock_guard lock(m_shared->mutex);
        if (!(m_shared->view == view) || index < 0 ||
            index >= static_cast<int>(m_shared->entries.size()) ||
            !(m_shared->entries[index].frame == frame))
            return false;
    }
    return take(index, out);
}

void PlaybackCache::waitIdle() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->idle.wait(lock, [&] { return m_shared->making == 0; });
}

std::size_t PlaybackCache::memoryUsed() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->used;
}

int PlaybackCache::frameCount() const {
    std::lock_guard lock(m_shared->mutex);
    return static_cast<int>(m_shared->entries.size());
}

}  // namespace morvel
