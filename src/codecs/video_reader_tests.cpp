#include "codecs/video_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;

bool haveFfmpeg() {
    static const bool available = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return available;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// Makes a video of the moving test pattern with its hue turning from frame to frame, so that
// every frame differs from every other.
bool makeVideo(const std::string& path, int width, int height, int frames,
               const std::string& codecArguments, const std::string& pattern = "testsrc2") {
    const std::string source = pattern + "=size=" + std::to_string(width) + "x" +
                               std::to_string(height) + ":rate=25,hue=H=0.4*n";
    const std::string command = "ffmpeg -v error -y -f lavfi -i " + quoted(source) + " -frames:v " +
                                std::to_string(frames) + " " + codecArguments + " " + quoted(path);
    return std::system(command.c_str()) == 0;
}

// Every frame of the video as ffmpeg itself decodes it and converts it to RGB, in the order
// they are shown: ffmpeg's frame n is what the reader must give for frame n.
std::vector<Image> ffmpegFrames(const std::string& video, int width, int height,
                                const std::string& rawPath) {
    const std::string command = "ffmpeg -v error -y -i " + quoted(video) +
                                " -fps_mode passthrough -f rawvideo -pix_fmt rgb24 " +
                                quoted(rawPath);
    std::vector<Image> frames;
    if (std::system(command.c_str()) != 0) return frames;
    const auto bytes = ReadFileBytes(rawPath);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t frameBytes = rowBytes * height;
    if (!bytes || bytes->size() % frameBytes != 0) return frames;
    for (std::size_t at = 0; at < bytes->size(); at += frameBytes) {
        std::optional<Image> image = Image::create(width, height);
        for (int y = 0; y < height; ++y) {
            std::copy_n(bytes->data() + at + y * rowBytes, rowBytes, image->row(y));
        }
        frames.push_back(std::move(*image));
    }
    return frames;
}

class VideoReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    }

    // A video of 64 x 48 pixels made once per test.
    std::string video(const std::string& name, int frames, const std::string& codecArguments) {
        const std::string path = folder.file(name);
        EXPECT_TRUE(makeVideo(path, 64, 48, frames, codecArguments)) << codecArguments;
        return path;
    }

    Image frame(VideoReader& reader, int n) {
        Image image;
        EXPECT_EQ(reader.readFrame(n, image), LoadResult::Ok) << "frame " << n;
        return image;
    }

    TempFolder folder;
};

TEST_F(VideoReaderTest, OpenTellsFirstFrameAndFrameCountAndCloseForgetsThem) {
    const std::string path = video("clip.avi", 30, "-c:v rawvideo -pix_fmt bgr24");
    VideoReader reader;
    EXPECT_FALSE(reader.isOpen());
    ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.firstFrame(), 0);
    EXPECT_EQ(reader.frameCount(), 30);

    reader.close();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.frameCount(), 0);
    Image image;
    EXPECT_EQ(reader.readFrame(0, image), LoadResult::CannotOpen);
    EXPECT_TRUE(image.empty());
}

// The reader must give ffmpeg's own frame n for frame n, exactly, in any order of reads: in
// order (a video import), by jumps forwards and backwards (the frame strip), and backwards.
struct VideoKind {
    const char* file;
    const char* arguments;
};

void PrintTo(const VideoKind& kind, std::ostream* out) {
    *out << kind.file;
}

class FrameExactnessTest : public VideoReaderTest, public ::testing::WithParamInterface<VideoKind> {
protected:
    void expectFfmpegsFrames(int frames) {
        const std::string path = video(GetParam().file, frames, GetParam().arguments);
        const std::vector<Image> expected = ffmpegFrames(path, 64, 48, folder.file("all.rgb"));
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(frames));
        // The pattern changes in every frame, so a frame off by one cannot pass for the right one.
        for (int n = 1; n < frames; ++n) ASSERT_FALSE(expected[n - 1].samePixels(expected[n]));

        VideoReader reader;
        ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
        EXPECT_EQ(reader.firstFrame(), 0);
        ASSERT_EQ(reader.frameCount(), frames);
        for (int n = 0; n < frames; ++n) {
            EXPECT_TRUE(frame(reader, n).samePixels(expected[n])) << "in order, frame " << n;
        }
        for (int n : {37, 5, 23, 11, 12, 13, 0, 39, 24, 36, 35, 1, 2, 30, 30, 29, 13}) {
            EXPECT_TRUE(frame(reader, n).samePixels(expected[n])) << "jumping, frame " << n;
        }
        for (int n = frames - 1; n >= 0; --n) {
            EXPECT_TRUE(frame(reader, n).samePixels(expected[n])) << "backwards, frame " << n;
        }
        // In order again from the middle of a group of frames.
        for (int n = 17; n < frames; ++n) {
            EXPECT_TRUE(frame(reader, n).samePixels(expected[n])) << "in order, frame " << n;
        }
    }
};

TEST_P(FrameExactnessTest, FrameNIsFfmpegsFrameN) {
    expectFfmpegsFrames(40);
}

INSTANTIATE_TEST_SUITE_P(
    Lossless, FrameExactnessTest,
    ::testing::Values(VideoKind{"raw.avi", "-c:v rawvideo -pix_fmt bgr24"},
                      VideoKind{"pal8.avi", "-c:v rawvideo -pix_fmt pal8"},
                      VideoKind{"png.avi", "-c:v png -pix_fmt rgb24"},
                      VideoKind{"ffv1.avi", "-c:v ffv1 -pix_fmt bgr0"},
                      // Matroska stores no frame count: it comes from duration and frame rate.
                      VideoKind{"ffv1.mkv", "-c:v ffv1 -pix_fmt bgr0"}));

// Codecs that predict frames from others: decoder state must not leak between seeks.
INSTANTIATE_TEST_SUITE_P(
    Predicted, FrameExactnessTest,
    ::testing::Values(VideoKind{"mpeg4.avi", "-c:v mpeg4 -g 12 -q:v 2"},
                      // B-frames: the file order differs from the order frames are shown in.
                      VideoKind{"bframes.avi", "-c:v mpeg4 -bf 2 -g 12 -q:v 2"},
                      VideoKind{"mjpeg.avi", "-c:v mjpeg -q:v 3"},
                      // No index: seeks by time stamp land between key frames.
                      VideoKind{"mpeg2.ts", "-c:v mpeg2video -bf 2 -g 12 -q:v 2"}));

TEST_F(VideoReaderTest, PictureHasTheVideosOwnSize) {
    const std::string path = folder.file("pal.avi");
    ASSERT_TRUE(makeVideo(path, 720, 576, 3, "-c:v mpeg4 -q:v 4"));
    VideoReader reader;
    ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
    const Image image = frame(reader, 2);
    EXPECT_EQ(image.width(), 720);
    EXPECT_EQ(image.height(), 576);
    EXPECT_EQ(image.stride(), Image::strideFor(720));
    const std::vector<Image> expected = ffmpegFrames(path, 720, 576, folder.file("all.rgb"));
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_TRUE(image.samePixels(expected[2]));
}

TEST_F(VideoReaderTest, OddWidthFillsEveryRowOfThePaddedPicture) {
    const std::string path = folder.file("odd.avi");
    // (testsrc2 makes only even sizes.)
    ASSERT_TRUE(makeVideo(path, 33, 7, 2, "-c:v rawvideo -pix_fmt bgr24", "testsrc"));
    VideoReader reader;
    ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
    const std::vector<Image> expected = ffmpegFrames(path, 33, 7, folder.file("all.rgb"));
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_TRUE(frame(reader, 1).samePixels(expected[1]));
}

// The scaler's fast converters write whole blocks of pixels; a narrow picture must still get
// exactly its own pixels and nothing may be written beyond it.
TEST_F(VideoReaderTest, NarrowYuvVideosConvertExactly) {
    for (const char* size : {"2x2", "6x2", "10x4", "34x6"}) {
        const std::string path = folder.file(std::string("narrow") + size + ".avi");
        const int width = std::atoi(size);
        const int height = std::atoi(std::strchr(size, 'x') + 1);
        ASSERT_TRUE(makeVideo(path, width, height, 3, "-c:v rawvideo -pix_fmt yuv420p", "testsrc"));
        const std::vector<Image> expected =
            ffmpegFrames(path, width, height, folder.file("all.rgb"));
        ASSERT_EQ(expected.size(), 3u) << size;
        VideoReader reader;
        ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok) << size;
        for (int n : {2, 0, 1}) {
            EXPECT_TRUE(frame(reader, n).samePixels(expected[n])) << size << ", frame " << n;
        }
    }
}

TEST_F(VideoReaderTest, FramesOutsideTheVideoAreRefusedAndLeaveThePictureAlone) {
    const std::string path = video("clip.avi", 5, "-c:v rawvideo -pix_fmt bgr24");
    VideoReader reader;
    ASSERT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
    std::optional<Image> image = Image::create(3, 2);
    image->fill(1, 2, 3);
    const Image before = *image;
    EXPECT_NE(reader.readFrame(5, *image), LoadResult::Ok);
    EXPECT_NE(reader.readFrame(-1, *image), LoadResult::Ok);
    EXPECT_TRUE(image->samePixels(before));
    // The reader still works after a refused frame.
    EXPECT_EQ(frame(reader, 4).width(), 64);
}

TEST_F(VideoReaderTest, OpeningFailsWithTheReasonAndLeavesNothingOpen) {
    VideoReader reader;
    EXPECT_EQ(reader.open(folder.file("missing.avi")), VideoReader::OpenResult::CannotOpen);
    EXPECT_EQ(reader.open(folder.write("text.avi", "just some text, not a video\n")),
              VideoReader::OpenResult::CannotOpen);
    EXPECT_EQ(reader.open(folder.write("empty.avi", "")), VideoReader::OpenResult::CannotOpen);
    EXPECT_EQ(reader.open(folder.path()), VideoReader::OpenResult::CannotOpen);
    // A FIFO would block a reader that waits for data.
    const std::string fifo = folder.file("fifo.avi");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(reader.open(fifo), VideoReader::OpenResult::CannotOpen);
    // Names are file names, never protocols.
    EXPECT_EQ(reader.open("pipe:0"), VideoReader::OpenResult::CannotOpen);
    EXPECT_FALSE(reader.isOpen());

    const std::string audio = folder.file("sound.avi");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i sine -t 0.1 " + quoted(audio)).c_str()),
              0);
    EXPECT_EQ(reader.open(audio), VideoReader::OpenResult::NoVideoStream);
    EXPECT_FALSE(reader.isOpen());
}

TEST_F(VideoReaderTest, UnknownVideoFormatHasNoDecoder) {
    const std::string path = video("clip.avi", 3, "-c:v mpeg4");
    auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes);
    // Rename the codec's four-character code to one nobody knows.
    std::string text(bytes->begin(), bytes->end());
    std::size_t at = 0;
    int renamed = 0;
    while ((at = text.find("FMP4", at)) != std::string::npos) {
        text.replace(at, 4, "ZQZQ");
        ++renamed;
    }
    ASSERT_GT(renamed, 0);
    const std::string unknown = folder.write("unknown.avi", text);
    VideoReader reader;
    EXPECT_EQ(reader.open(unknown), VideoReader::OpenResult::NoDecoder);
    EXPECT_FALSE(reader.isOpen());
}

TEST_F(VideoReaderTest, OpeningAnotherVideoReplacesTheFirst) {
    const std::string longer = video("long.avi", 12, "-c:v rawvideo -pix_fmt bgr24");
    const std::string shorter = folder.file("short.avi");
    ASSERT_TRUE(makeVideo(shorter, 32, 16, 4, "-c:v rawvideo -pix_fmt bgr24"));
    VideoReader reader;
    ASSERT_EQ(reader.open(longer), VideoReader::OpenResult::Ok);
    frame(reader, 3);
    ASSERT_EQ(reader.open(shorter), VideoReader::OpenResult::Ok);
    EXPECT_EQ(reader.frameCount(), 4);
    EXPECT_EQ(frame(reader, 3).width(), 32);
    // A failed open leaves nothing open, not the earlier video.
    EXPECT_EQ(reader.open(folder.file("missing.avi")), VideoReader::OpenResult::CannotOpen);
    EXPECT_FALSE(reader.isOpen());
}

}  // namespace
}  // namespace morvel
