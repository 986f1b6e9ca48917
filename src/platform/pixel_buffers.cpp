#include "platform/pixel_buffers.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <utility>

namespace morvel {

namespace {

struct Pool {
    std::mutex mutex;
    std::deque<std::vector<std::uint8_t>> buffers;  // oldest first
    std::size_t bytes = 0;
};

Pool& pool() {
    static Pool* const kPool = new Pool;  // never destroyed: pictures may go after main ends
    return *kPool;
}

}  // namespace

std::vector<std::uint8_t> TakePixelBuffer(std::size_t bytes) {
    if (bytes >= kPooledBufferBytes) {
        std::vector<std::uint8_t> buffer;
        {
            Pool& p = pool();
            std::lock_guard lock(p.mutex);
            const auto same = std::find_if(p.buffers.rbegin(), p.buffers.rend(),
                                           [&](const auto& b) { return b.size() == bytes; });
            if (same != p.buffers.rend()) {
                buffer = std::move(*same);
                p.buffers.erase(std::next(same).base());
                p.bytes -= bytes;
            }
        }
        if (!buffer.empty()) {
            std::memset(buffer.data(), 0, bytes);
            return buffer;
        }
    }
    try {
        return std::vector<std::uint8_t>(bytes, 0);
    } catch (const std::bad_alloc&) {
        // Little memory left: what the pool keeps goes back first.
        std::deque<std::vector<std::uint8_t>> released;
        {
            Pool& p = pool();
            std::lock_guard lock(p.mutex);
            released.swap(p.buffers);
            p.bytes = 0;
        }
        if (released.empty()) throw;
        released.clear();
        return std::vector<std::uint8_t>(bytes, 0);
    }
}

void ReturnPixelBuffer(std::vector<std::uint8_t>&& buffer) noexcept {
    const std::size_t bytes = buffer.size();
    if (bytes < kPooledBufferBytes || bytes > kPixelPoolBytes || buffer.capacity() != bytes) return;
    std::deque<std::vector<std::uint8_t>> released;  // freed outside the lock
    try {
        Pool& p = pool();
        std::lock_guard lock(p.mutex);
        const std::size_t bound = std::min(kPixelPoolBytes, kPooledBuffersOfOneSize * bytes);
        while (p.bytes + bytes > bound) {
            p.bytes -= p.buffers.front().size();
            released.push_back(std::move(p.buffers.front()));
            p.buffers.pop_front();
        }
        p.buffers.push_back(std::move(buffer));
        p.bytes += bytes;
    } catch (...) {  // no room to keep it: it is freed
    }
}

std::size_t PooledPixelBytes() {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    return p.bytes;
}

}  // namespace morvel
