#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace morvel {

// Long work on a worker thread while the window stays usable (a run over many frames, an
// export): the worker hands each finished piece to the main thread as a function, which the main
// thread runs when it polls, so that only the main thread changes the project. Cancel asks the
// worker to stop after the piece under way; what it delivered before is still run.
class BackgroundJob {
public:
    BackgroundJob() = default;
    ~BackgroundJob();  // cancels and waits for the worker; undelivered pieces are dropped
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts work on the worker thread (once). total is how many pieces it will make.
    void start(std::function<void(BackgroundJob&)> work, int total);

    // The worker's side.
    bool cancelRequested() const { return m_cancel.load(); }
    // Hands a finished piece to the main thread; it counts as done once the main thread ran it.
    // Waits first while the piece delivered before has not run yet (unless cancelled), so that
    // large results never pile up and a cancel stops the work within a piece or two.
    void deliver(std::function<void()> piece);

    // The main thread's side.
    void cancel();
    // Runs the pieces delivered so far, in order. False once the worker has ended and every
    // piece it delivered has run: the job is over.
    bool poll();
    int done() const { return m_done; }
    int total() const { return m_total; }
    bool cancelled() const { return m_cancel.load(); }

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_ended{false};
    std::mutex m_mutex;
    std::condition_variable m_taken;
    int m_waiting = 0;  // delivered and not yet run
    std::deque<std::function<void()>> m_pieces;
    std::thread m_thread;
    int m_done = 0;
    int m_total = 0;
};

}  // namespace morvel
