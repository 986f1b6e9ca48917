#include "import/thumbnail_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "codecs/picture_io.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;
using testing::UniformPicture;

// Ten jobs of frames 101..110, one layer each; the sources need not exist to be ordered.
ThumbnailQueue tenJobs(int workers) {
    std::vector<ThumbnailQueue::Job> jobs;
    std::vector<int> hints;
    for (int i = 0; i < 10; ++i) {
        jobs.push_back({static_cast<FrameId>(101 + i), 0, "/nonexistent/" + std::to_string(i)});
        hints.push_back(i);
    }
    return ThumbnailQueue(std::move(jobs), std::move(hints), workers);
}

TEST(ThumbnailQueue, MakesThePreferredJobsFirstThenGoesOnInFilmOrderFromThere) {
    struct Case {
        const char* name;
        int madeBefore;                      // jobs made in film order before prefer()
        std::vector<std::size_t> preferred;  // empty: prefer() is not called
        std::vector<int> order;              // the hints of the jobs made afterwards
    };
    const Case cases[] = {
        {"film order", 0, {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"view in the middle", 0, {5, 6}, {5, 6, 7, 8, 9, 0, 1, 2, 3, 4}},
        {"made ones are passed over", 2, {1, 3}, {3, 4, 5, 6, 7, 8, 9, 2}},
        {"view at the end wraps round", 0, {9}, {9, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ThumbnailQueue queue = tenJobs(0);
        for (int k = 0; k < c.madeBefore; ++k) ASSERT_TRUE(queue.makeNext());
        EXPECT_EQ(queue.takeMade().size(), static_cast<std::size_t>(c.madeBefore));
        if (!c.preferred.empty()) queue.prefer(c.preferred);
        std::vector<int> order;
        while (queue.makeNext()) {
            for (const ThumbnailQueue::Made& made : queue.takeMade()) {
                EXPECT_EQ(made.frame, static_cast<FrameId>(101 + made.hint));
                EXPECT_FALSE(made.decoded.thumbnail);  // no such file
                order.push_back(made.hint);
            }
        }
        EXPECT_EQ(order, c.order);
        EXPECT_TRUE(queue.finished());
    }
}

TEST(ThumbnailQueue, FindsTheJobsOfAFrame) {
    ThumbnailQueue queue({{7, 0, "a"}, {7, 1, "b"}, {3, 1, "c"}}, {0, 0, 1}, 0);
    EXPECT_EQ(queue.jobsOf(7), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(queue.jobsOf(3), std::vector<std::size_t>{2});
    EXPECT_TRUE(queue.jobsOf(5).empty());
}

TEST(ThumbnailQueue, WorkersMakeEveryPictureAndStopWhenDropped) {
    TempFolder folder;
    std::vector<ThumbnailQueue::Job> jobs;
    for (int i = 0; i < 40; ++i) {
        const std::string path = folder.file(std::to_string(i) + ".png");
        const auto grey = static_cast<std::uint8_t>(i * 5);
        ASSERT_TRUE(
            SavePictureFile(UniformPicture(80, 60, {grey, grey, grey}), path, PictureFormat::Png));
        jobs.push_back({static_cast<FrameId>(i + 1), 0, path});
    }
    ::setenv("XDG_CACHE_HOME", folder.file("cache").c_str(), 1);
    {
        ThumbnailQueue dropped(jobs, {}, 2);  // gone at once: the workers stop and are joined
    }
    ThumbnailQueue queue(jobs, {}, 2);
    std::vector<int> seen(40, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!queue.finished() && std::chrono::steady_clock::now() < deadline) {
        for (const ThumbnailQueue::Made& made : queue.takeMade()) {
            ASSERT_TRUE(made.decoded.thumbnail);
            EXPECT_EQ(made.decoded.thumbnail->width(), 60);
            EXPECT_EQ(made.decoded.thumbnail->red(0, 0), (made.frame - 1) * 5);
            ++seen[made.frame - 1];
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(seen, std::vector<int>(40, 1));
}

}  // namespace
}  // namespace morvel
