#include "platform/work_queue.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace morvel {
namespace {

// Jobs start in the order they were queued; everything queued has run when the queue is gone;
// without threads a job runs at once on the caller's thread.
TEST(WorkQueue, RunsEveryJobInQueueOrder) {
    for (int threads : {0, 1, 3}) {
        std::mutex mutex;
        std::vector<int> started;
        std::vector<std::thread::id> ranOn;
        {
            WorkQueue queue(threads);
            EXPECT_EQ(queue.threads(), threads);
            for (int i = 0; i < 50; ++i) {
                queue.post([&, i] {
                    std::lock_guard lock(mutex);
                    started.push_back(i);
                    ranOn.push_back(std::this_thread::get_id());
                });
            }
        }
        ASSERT_EQ(started.size(), 50u) << threads;
        if (threads <= 1) {
            for (int i = 0; i < 50; ++i) EXPECT_EQ(started[i], i);
        }
        const bool onCaller = ranOn.front() == std::this_thread::get_id();
        EXPECT_EQ(onCaller, threads == 0);
    }
}

}  // namespace
}  // namespace morvel
