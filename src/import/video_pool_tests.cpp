#include "import/video_pool.h"
#include "project/project_test_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "import/avi_frames.h"
#include "import/layer_picture.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::SamePicture;
using testing::TempFolder;

bool haveFfmpeg() {
    static const bool available = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return available;
}

// An MPEG-4 video with a key frame every keyInterval frames; every frame differs.
bool makeVideo(const std::string& path, int frames, int keyInterval) {
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i 'testsrc2=size=96x64:rate=25,hue=H=0.4*n' -frames:v " +
        std::to_string(frames) + " -c:v mpeg4 -g " + std::to_string(keyInterval) + " '" + path +
        "'";
    return std::system(command.c_str()) == 0;
}

class VideoPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is needed to make test videos";
        video = folder.file("take.avi");
        ASSERT_TRUE(makeVideo(video, 30, 12));
    }
    // Frame n as the window reads it: the video opened and closed for the one frame.
    Image alone(int n) {
        Image picture;
        EXPECT_TRUE(AccessAviFrames(state.services, &picture, MakeAviReference(n, video),
                                    kAviOpenFetchClose));
        return picture;
    }

    TempFolder folder;
    RecordingShell shell;
    ProjectTestState state{shell, folder.path(), folder.path()};
    std::string video;
};

// Turns taken in frame order on one thread, read on two: every frame is the one asked for,
// the same as reading it alone.
TEST_F(VideoPoolTest, FramesReadInTurnsOnSeveralThreadsAreThoseReadAlone) {
    VideoPool pool;
    const std::vector<int> order = {0, 1, 2, 3, 3, 7, 20, 21, 5, 6, 29};
    std::vector<VideoPool::Turn> turns;
    for (std::size_t i = 0; i < order.size(); ++i) turns.push_back(pool.takeTurn(video));
    std::vector<Image> pictures(order.size());
    std::vector<char> ok(order.size());  // not vector<bool>: its bits share words
    // Each thread reads every other turn, the later turns first where it can.
    const auto reader = [&](std::size_t start) {
        for (std::size_t i = start; i < order.size(); i += 2) {
            ok[i] = pool.read(turns[i], order[i], pictures[i]).ok();
        }
    };
    std::thread odd(reader, 1);
    reader(0);
    odd.join();
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_TRUE(ok[i]) << order[i];
        EXPECT_TRUE(SamePicture(pictures[i], alone(order[i]))) << "frame " << order[i];
    }
    EXPECT_EQ(pool.openCount(), 1);
    Image outside;
    EXPECT_EQ(pool.readNow(video, 30, outside).loaded, LoadResult::Damaged);
    EXPECT_TRUE(outside.empty());
}

TEST_F(VideoPoolTest, AVideoThatCannotBeOpenedIsTriedAgainAndNotKept) {
    VideoPool pool;
    const std::string later = folder.file("later.avi");
    const std::string text = folder.write("text.avi", "not a video at all");
    Image picture;
    EXPECT_EQ(pool.readNow(later, 0, picture).opened, VideoReader::OpenResult::CannotOpen);
    EXPECT_EQ(pool.readNow(text, 0, picture).opened, VideoReader::OpenResult::CannotOpen);
    EXPECT_EQ(pool.openCount(), 0);
    ASSERT_TRUE(makeVideo(later, 3, 1));
    EXPECT_TRUE(pool.readNow(later, 2, picture).ok());
    EXPECT_EQ(pool.openCount(), 1);
}

TEST_F(VideoPoolTest, OnlyTheVideosUsedLastStayOpen) {
    VideoPool pool(2);
    std::vector<std::string> videos = {video};
    for (int i = 1; i < 4; ++i) {
        videos.push_back(folder.file(std::to_string(i) + "v.avi"));
        ASSERT_TRUE(makeVideo(videos.back(), 4, 2));
    }
    for (const std::string& path : videos) {
        Image picture;
        EXPECT_TRUE(pool.readNow(path, 3, picture).ok()) << path;
        EXPECT_LE(pool.openCount(), 2);
    }
    // A turn given up lets the turns after it go on.
    const VideoPool::Turn skipped = pool.takeTurn(video);
    const VideoPool::Turn next = pool.takeTurn(video);
    pool.pass(skipped);
    Image picture;
    EXPECT_TRUE(pool.read(next, 4, picture).ok());
    EXPECT_TRUE(SamePicture(picture, alone(4)));
}

// Through the layer reader: a video that has gone shows the reader's open error, as the window
// shows it.
TEST_F(VideoPoolTest, ALayerFromAVideoThatHasGoneReportsTheOpenError) {
    VideoPool pool;
    Image picture;
    const LayerRead read =
        ReadLayerSource(MakeAviReference(1, folder.file("gone.avi")), pool, picture);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.videoOpenError, 0);
    EXPECT_TRUE(shell.errors.empty());
    ReportLayerRead(state.services.reporter(), read);
    ASSERT_EQ(shell.errorTexts().size(), 1u);
    EXPECT_NE(shell.errorTexts()[0].find("ErrorCode = 530-16-0"), std::string::npos);
    EXPECT_TRUE(ReadLayerSource(MakeAviReference(29, video), pool, picture).ok);
    EXPECT_TRUE(SamePicture(picture, alone(29)));
}

}  // namespace
}  // namespace morvel
