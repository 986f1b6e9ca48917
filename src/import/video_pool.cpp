#include "import/video_pool.h"

#include <utility>

namespace morvel {

struct VideoPool::Slot {
    std::string path;
    std::mutex mutex;
    std::condition_variable turnDone;
    std::uint64_t issued = 0;  // turns taken
    std::uint64_t served = 0;  // turns used
    std::uint64_t lastUse = 0;
    VideoReader reader;
};

VideoPool::VideoPool(int maxOpen) : m_maxOpen(maxOpen < 1 ? 1 : maxOpen) {}

VideoPool::~VideoPool() = default;

VideoPool::Turn VideoPool::takeTurn(const std::string& path) {
    std::lock_guard lock(m_mutex);
    auto found = m_slots.find(path);
    if (found == m_slots.end()) {
        // Close the video used longest ago that nobody waits for.
        if (static_cast<int>(m_slots.size()) >= m_maxOpen) {
            auto oldest = m_slots.end();
            for (auto it = m_slots.begin(); it != m_slots.end(); ++it) {
                std::lock_guard slotLock(it->second->mutex);
                if (it->second->issued != it->second->served) continue;
                if (oldest == m_slots.end() || it->second->lastUse < oldest->second->lastUse) {
                    oldest = it;
                }
            }
            if (oldest != m_slots.end()) m_slots.erase(oldest);
        }
        auto slot = std::make_shared<Slot>();
        slot->path = path;
        found = m_slots.emplace(path, std::move(slot)).first;
    }
    Slot& slot = *found->second;
    std::lock_guard slotLock(slot.mutex);
    slot.lastUse = ++m_clock;
    return Turn{found->second, slot.issued++};
}

VideoPool::Result VideoPool::read(const Turn& turn, int n, Image& picture) {
    Slot& slot = *turn.slot;
    std::unique_lock lock(slot.mutex);
    slot.turnDone.wait(lock, [&] { return slot.served == turn.number; });
    Result result;
    if (!slot.reader.isOpen()) result.opened = slot.reader.open(slot.path);
    if (result.opened == VideoReader::OpenResult::Ok) {
        Image frame;
        result.loaded = slot.reader.readFrame(n, frame);
        if (result.loaded == LoadResult::Ok) picture = std::move(frame);
    }
    ++slot.served;
    lock.unlock();
    slot.turnDone.notify_all();
    return result;
}

void VideoPool::pass(const Turn& turn) {
    Slot& slot = *turn.slot;
    std::unique_lock lock(slot.mutex);
    slot.turnDone.wait(lock, [&] { return slot.served == turn.number; });
    ++slot.served;
    lock.unlock();
    slot.turnDone.notify_all();
}

VideoPool::Result VideoPool::readNow(const std::string& path, int n, Image& picture) {
    return read(takeTurn(path), n, picture);
}

int VideoPool::openCount() const {
    std::lock_guard lock(m_mutex);
    int open = 0;
    for (const auto& [path, slot] : m_slots) {
        std::lock_guard slotLock(slot->mutex);
        if (slot->reader.isOpen()) ++open;
    }
    return open;
}

}  // namespace morvel
