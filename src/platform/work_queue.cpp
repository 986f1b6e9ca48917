#include "platform/work_queue.h"

#include <sys/resource.h>
#include <unistd.h>

#include <utility>

namespace morvel {

namespace {

constexpr int kBackgroundNiceness = 10;

}  // namespace

WorkQueue::WorkQueue(int threads, Priority priority) {
    for (int i = 0; i < threads; ++i) {
        m_threads.emplace_back([this, priority] {
            // Linux gives each thread a niceness of its own; failing to lower it changes nothing.
            if (priority == Priority::Background)
                ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kBackgroundNiceness);
            run();
        });
    }
}

WorkQueue::~WorkQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

void WorkQueue::post(std::function<void()> job) {
    if (m_threads.empty()) {
        job();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void WorkQueue::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_ending || !m_jobs.empty(); });
            if (m_jobs.empty()) return;  // ending, and nothing left to do
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

}  // namespace morvel
