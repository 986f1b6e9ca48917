#include "platform/background_job.h"

#include <chrono>
#include <utility>

#include "platform/background_watch.h"

namespace morvel {

BackgroundJob::~BackgroundJob() {
    cancel();
    if (m_thread.joinable()) m_thread.join();
}

void BackgroundJob::start(std::function<void(BackgroundJob&)> work, int total) {
    if (m_thread.joinable()) return;
    m_total = total;
    m_thread = std::thread([this, work = std::move(work)] {
        work(*this);
        m_ended = true;
    });
}

void BackgroundJob::cancel() {
    {
        const std::lock_guard lock(m_mutex);
        m_cancel = true;
    }
    m_taken.notify_all();
}

void BackgroundJob::deliver(std::function<void()> piece) {
    std::unique_lock lock(m_mutex);
    m_taken.wait(lock, [this] { return m_waiting == 0 || m_cancel.load(); });
    m_pieces.push_back(std::move(piece));
    ++m_waiting;
}

bool BackgroundJob::poll() {
    // Read before taking the pieces: a worker that ended has delivered all it will.
    const bool ended = m_ended.load();
    std::deque<std::function<void()>> pieces;
    {
        const std::lock_guard lock(m_mutex);
        pieces.swap(m_pieces);
    }
    for (auto& piece : pieces) {
        piece();
        ++m_done;
        {
            const std::lock_guard lock(m_mutex);
            --m_waiting;
        }
        m_taken.notify_all();
    }
    if (!ended) return true;
    if (m_thread.joinable()) m_thread.join();
    const std::lock_guard lock(m_mutex);
    return !m_pieces.empty();
}

void WaitForJob(BackgroundJob& job, const std::function<void()>& over) {
    while (job.poll()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (over) over();
}

}  // namespace morvel
