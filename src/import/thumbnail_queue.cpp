#include "import/thumbnail_queue.h"

#include <algorithm>
#include <system_error>

namespace morvel {

ThumbnailQueue::ThumbnailQueue(std::vector<Job> jobs, std::vector<int> hints, int workers)
    : m_jobs(std::move(jobs)),
      m_hints(std::move(hints)),
      m_states(m_jobs.size(), State::Waiting),
      m_left(m_jobs.size()),
      m_untaken(m_jobs.size()) {
    m_byFrame.reserve(m_jobs.size());
    for (std::size_t i = 0; i < m_jobs.size(); ++i) m_byFrame.emplace_back(m_jobs[i].frame, i);
    std::sort(m_byFrame.begin(), m_byFrame.end());
    if (workers < 0) {
        // The main thread keeps a core for the window's input.
        const int cores = static_cast<int>(std::max(std::thread::hardware_concurrency(), 2u));
        workers = std::clamp(cores - 1, 1, 3);
    }
    workers = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(workers), m_left));
    for (int i = 0; i < workers; ++i) {
        try {
            m_workers.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break;  // fewer workers; with none the jobs wait for makeNext()
        }
    }
}

ThumbnailQueue::~ThumbnailQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    for (std::thread& worker : m_workers) worker.join();
}

std::vector<std::size_t> ThumbnailQueue::jobsOf(FrameId frame) const {
    std::vector<std::size_t> jobs;
    auto it = std::lower_bound(m_byFrame.begin(), m_byFrame.end(), std::make_pair(frame, std::size_t{0}));
    for (; it != m_byFrame.end() && it->first == frame; ++it) jobs.push_back(it->second);
    return jobs;
}

void ThumbnailQueue::prefer(const std::vector<std::size_t>& jobs) {
    std::lock_guard lock(m_mutex);
    m_preferred.clear();
    for (const std::size_t i : jobs) {
        if (i < m_jobs.size() && m_states[i] == State::Waiting) m_preferred.push_back(i);
    }
    // Read from the back: the first preferred job is made first.
    std::reverse(m_preferred.begin(), m_preferred.end());
    if (!jobs.empty()) m_cursor = std::min(jobs.back() + 1, m_jobs.size());
}

std::vector<ThumbnailQueue::Made> ThumbnailQueue::takeMade() {
    std::lock_guard lock(m_mutex);
    std::vector<Made> made = std::move(m_made);
    m_made.clear();
    m_untaken -= made.size();
    return made;
}

bool ThumbnailQueue::finished() const {
    std::lock_guard lock(m_mutex);
    return m_untaken == 0;
}

std::size_t ThumbnailQueue::claim() {
    while (!m_preferred.empty()) {
        const std::size_t i = m_preferred.back();
        m_preferred.pop_back();
        if (m_states[i] == State::Waiting) return i;
    }
    if (m_left == 0) return m_jobs.size();
    // Film order from the cursor; the jobs passed over are claimed or done, so the cursor only
    // moves on and a whole film costs one pass (and one wrap).
    for (std::size_t n = 0; n < m_jobs.size(); ++n) {
        if (m_cursor >= m_jobs.size()) m_cursor = 0;
        if (m_states[m_cursor] == State::Waiting) return m_cursor++;
        ++m_cursor;
    }
    return m_jobs.size();
}

void ThumbnailQueue::make(std::size_t i, std::unique_lock<std::mutex>& lock) {
    m_states[i] = State::Claimed;
    --m_left;
    lock.unlock();
    DecodedThumbnail decoded = DecodeLayerThumbnail(m_jobs[i].source);
    lock.lock();
    m_states[i] = State::Done;
    m_made.push_back(Made{m_jobs[i].frame, m_jobs[i].layer, m_hints.size() > i ? m_hints[i] : -1,
                          m_jobs[i].source, std::move(decoded)});
}

void ThumbnailQueue::work() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        const std::size_t i = claim();
        if (i == m_jobs.size()) return;
        make(i, lock);
    }
}

bool ThumbnailQueue::makeNext() {
    std::unique_lock lock(m_mutex);
    const std::size_t i = claim();
    if (i == m_jobs.size()) return false;
    make(i, lock);
    return true;
}

}  // namespace morvel
