#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace morvel {

// A fixed set of threads that run jobs in the order they were queued. The destructor runs what
// is still queued, then joins the threads. With no threads, post() runs the job at once on the
// caller's thread.
class WorkQueue {
public:
    // Background threads run at a lower priority, so that the window's own work comes first.
    enum class Priority { Normal, Background };
    explicit WorkQueue(int threads, Priority priority = Priority::Normal);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void post(std::function<void()> job);
    int threads() const { return static_cast<int>(m_threads.size()); }

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};

}  // namespace morvel
