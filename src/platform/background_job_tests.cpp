#include "platform/background_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace morvel {
namespace {

// The pieces run on the polling thread, in order, and all of them, also those delivered after a
// cancel was asked for while the worker finished the piece under way.
TEST(BackgroundJob, RunsEveryDeliveredPieceOnThePollingThread) {
    for (const bool cancelEarly : {false, true}) {
        BackgroundJob job;
        std::vector<int> ran;
        const std::thread::id main = std::this_thread::get_id();
        std::atomic<bool> go{!cancelEarly};
        job.start(
            [&](BackgroundJob& self) {
                for (int i = 0; i < 5; ++i) {
                    if (self.cancelRequested()) return;
                    self.deliver([&, i] {
                        EXPECT_EQ(std::this_thread::get_id(), main);
                        ran.push_back(i);
                    });
                    while (!go) std::this_thread::yield();
                }
            },
            5);
        if (cancelEarly) {
            while (job.done() == 0) job.poll();  // the first piece is there
            job.cancel();
            go = true;
        }
        while (job.poll()) std::this_thread::yield();
        EXPECT_EQ(job.done(), static_cast<int>(ran.size()));
        const std::vector<int> expected =
            cancelEarly ? std::vector<int>{0} : std::vector<int>{0, 1, 2, 3, 4};
        EXPECT_EQ(ran, expected);
    }
}

}  // namespace
}  // namespace morvel
