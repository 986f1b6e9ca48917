#include "import/thumbnail_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "import/avi_frames.h"
#include "import/thumbnail.h"
#include "platform/files.h"
#include "codecs/jpeg_codec.h"
#include "codecs/picture_io.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::MeanDifference;
using testing::TempFolder;
using testing::UniformPicture;

// The largest reduction that keeps at least 60 x 45, by the picture's size.
TEST(ReducedJpeg, TakesTheLargestReductionThatKeepsTheThumbnailSize) {
    struct Case {
        int width, height, reducedWidth, reducedHeight;
    };
    const Case cases[] = {
        {6000, 4000, 750, 500},  // 1/8
        {400, 300, 100, 75},     // 1/4: an eighth would be 50 x 38
        {481, 200, 121, 50},     // 1/4, sides rounded up
        {200, 100, 100, 50},     // 1/2
        {100, 60, 100, 60},      // full size
        {30, 20, 30, 20},        // smaller than a thumbnail: full size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(EncodeJpeg(UniformPicture(c.width, c.height, {10, 200, 30}), bytes));
        Image reduced;
        ASSERT_EQ(DecodeJpegReduced(bytes, reduced, 60, 45), LoadResult::Ok);
        EXPECT_EQ(reduced.width(), c.reducedWidth);
        EXPECT_EQ(reduced.height(), c.reducedHeight);
        EXPECT_NEAR(reduced.green(0, 0), 200, 3);
    }
}

class ThumbnailLoaderTest : public ::testing::Test {
protected:
    TempFolder folder;

    // Pictures of different colours in the given formats, so that any mix-up shows.
    std::vector<std::string> pictures(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            const auto grey = static_cast<std::uint8_t>(i * 9);
            const bool jpeg = i % 2 == 1;
            std::string name = "p";  // appended: GCC 12's -Wrestrict misreads "p" + ...
            name += std::to_string(i);
            const std::string path = folder.file(name + (jpeg ? ".jpg" : ".png"));
            EXPECT_TRUE(SavePictureFile(UniformPicture(640, 480, {grey, grey, 255}), path,
                                        jpeg ? PictureFormat::Jpeg : PictureFormat::Png));
            paths.push_back(path);
        }
        return paths;
    }
};

TEST_F(ThumbnailLoaderTest, GivesEverySourcesThumbnailInOrderAlsoWhenSomeAreLeftOut) {
    std::vector<std::string> sources = pictures(24);
    sources.insert(sources.begin() + 5, folder.file("missing.png"));
    for (std::size_t ahead : {1u, 4u, 100u}) {
        SCOPED_TRACE(ahead);
        ThumbnailLoader loader(sources, ahead);
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (i % 7 == 3) continue;  // passed over by the caller
            DecodedThumbnail decoded = loader.take(i);
            EXPECT_EQ(decoded.videoError, -1);
            if (i == 5) {
                EXPECT_FALSE(decoded.thumbnail);
                continue;
            }
            ASSERT_TRUE(decoded.thumbnail) << i;
            EXPECT_EQ(decoded.thumbnail->width(), 60);
            EXPECT_EQ(decoded.thumbnail->height(), 45);
            const int picture = static_cast<int>(i < 5 ? i : i - 1);
            EXPECT_NEAR(decoded.thumbnail->red(30, 20), picture * 9, 3) << i;
        }
    }
    // A loader given up half way stops its worker.
    ThumbnailLoader abandoned(sources, 4);
    EXPECT_TRUE(abandoned.take(0).thumbnail);
}

// The cheap decode looks like the full one scaled down.
TEST_F(ThumbnailLoaderTest, ReducedDecodeGivesTheSameThumbnailAsTheFullPicture) {
    const Image photo = GradientPicture(1200, 900, 3);
    const std::string path = folder.file("photo.jpg");
    ASSERT_TRUE(SavePictureFile(photo, path, PictureFormat::Jpeg));
    Image full;
    ASSERT_EQ(LoadPictureFile(path, full), LoadResult::Ok);
    const DecodedThumbnail decoded = DecodeLayerThumbnail(path);
    ASSERT_TRUE(decoded.thumbnail);
    EXPECT_LT(MeanDifference(*decoded.thumbnail, MakeThumbnail(full)), 1.5);
}

TEST_F(ThumbnailLoaderTest, BadSourcesGiveNoThumbnailWithoutBlocking) {
    ASSERT_EQ(::mkfifo(folder.file("fifo.png").c_str(), 0644), 0);
    const std::string text = folder.write("text.avi", "not a video");
    const std::vector<std::string> sources = {folder.file("fifo.png"),
                                              folder.path(),
                                              "/dev/zero",
                                              folder.write("empty.png", ""),
                                              MakeAviReference(0, text),
                                              MakeAviReference(0, folder.file("fifo.png")),
                                              MakeAviReference(0, folder.file("gone.avi"))};
    ThumbnailLoader loader(sources);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const DecodedThumbnail decoded = loader.take(i);
        EXPECT_FALSE(decoded.thumbnail) << sources[i];
        EXPECT_EQ(decoded.videoError, IsAviReference(sources[i]) ? 0 : -1) << sources[i];
    }
}

TEST_F(ThumbnailLoaderTest, VideoFramesComeInOrderFromTheOpenReader) {
    if (!testing::HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string path = folder.file("v.avi");
    ASSERT_TRUE(testing::RunTool(
        "ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25",
                   "-frames:v", "30", "-c:v", "mpeg4", "-g", "10", path}));
    const DecodedThumbnail single = DecodeLayerThumbnail(MakeAviReference(17, path));
    ASSERT_TRUE(single.thumbnail);

    VideoReader reader;
    ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
    ASSERT_EQ(reader.frameCount(), 30);
    {
        VideoFramePipeline frames(reader, path, 0, 30);
        for (int k = 0; k < 30; ++k) {
            const std::optional<Image> frame = frames.take();
            ASSERT_TRUE(frame) << k;
            EXPECT_EQ(frame->width(), 64);
            if (k == 17) {
                EXPECT_TRUE(MakeThumbnail(*frame).samePixels(*single.thumbnail));
            }
        }
        EXPECT_FALSE(frames.take());  // nothing beyond the count
    }
    // A pipeline left early stops; the reader is the caller's again.
    {
        VideoFramePipeline frames(reader, path, 0, 30);
        EXPECT_TRUE(frames.take());
    }
    Image frame;
    EXPECT_TRUE(FetchAviFrame(reader, MakeAviReference(3, path), frame));
}

}  // namespace
}  // namespace morvel
