#include "import/avi_frames.h"
#include "project/project_test_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;

bool haveFfmpeg() {
    static const bool available = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return available;
}

bool runFfmpeg(const std::string& arguments, const std::string& output) {
    const std::string command = "ffmpeg -v error -y " + arguments + " '" + output + "'";
    return std::system(command.c_str()) == 0;
}

// A raw video of the moving test pattern with its hue turning: every frame differs.
bool makeVideo(const std::string& path, int frames, const std::string& size = "64x48") {
    return runFfmpeg("-f lavfi -i 'testsrc2=size=" + size + ":rate=25,hue=H=0.4*n' -frames:v " +
                         std::to_string(frames) + " -c:v rawvideo -pix_fmt bgr24",
                     path);
}

const std::string kReadVideoError =
    "Bei der Verwendung des AVI-Speichermoduls ist ein Fehler aufgetreten.\r\nErrorCode = 530-16-";

TEST(AviReference, IsRecognisedByItsCaseSensitiveMarker) {
    EXPECT_TRUE(IsAviReference("$AVI$0$/film/take.avi"));
    EXPECT_TRUE(IsAviReference("$AVI$"));
    EXPECT_FALSE(IsAviReference("$avi$0$/film/take.avi"));
    EXPECT_FALSE(IsAviReference("/film/$AVI$0$take.avi"));
    EXPECT_FALSE(IsAviReference("$AVI"));
    EXPECT_FALSE(IsAviReference(""));
}

TEST(AviReference, FrameNumberIsTheLeadingHexDigitsOfTheThirdField) {
    EXPECT_EQ(ParseAviReference("$AVI$A$/v.avi").frame, 10);
    EXPECT_EQ(ParseAviReference("$AVI$1A$/film/take1.avi").frame, 26);
    EXPECT_EQ(ParseAviReference("$AVI$ff$/v.avi").frame, 255);
    EXPECT_EQ(ParseAviReference("$AVI$*$/v.avi").frame, 0);  // the open reference
    EXPECT_EQ(ParseAviReference("$AVI$1g$p").frame, 1);      // "g" ends the number
    EXPECT_EQ(ParseAviReference("$AVI$$/v.avi").frame, 0);
    EXPECT_EQ(ParseAviReference("$AVI$ 5$/v.avi").frame, 0);
    EXPECT_EQ(ParseAviReference("$AVI$").frame, 0);
    EXPECT_EQ(ParseAviReference("$AVI$7FFFFFFF$/v.avi").frame, 0x7FFFFFFF);
}

TEST(AviReference, VideoPathIsTheFourthFieldSoADollarCutsIt) {
    EXPECT_EQ(ParseAviReference("$AVI$A$/v.avi").videoPath, "/v.avi");
    EXPECT_EQ(ParseAviReference("$AVI$1g$p").videoPath, "p");
    EXPECT_EQ(ParseAviReference("$AVI$*$/film/take 1.avi").videoPath, "/film/take 1.avi");
    EXPECT_EQ(ParseAviReference("$AVI$3$/film/a$b.avi").videoPath, "/film/a");
    EXPECT_EQ(ParseAviReference("$AVI$3").videoPath, "");
    EXPECT_EQ(ParseAviReference("$AVI$3$").videoPath, "");
}

TEST(AviReference, MadeWithUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(MakeAviReference(0, "/v.avi"), "$AVI$0$/v.avi");
    EXPECT_EQ(MakeAviReference(26, "/film/take1.avi"), "$AVI$1A$/film/take1.avi");
    EXPECT_EQ(MakeAviReference(0x77, "/v.avi"), "$AVI$77$/v.avi");
    EXPECT_EQ(MakeAviReference(0x7FFFFFFF, "/v.avi"), "$AVI$7FFFFFFF$/v.avi");
    for (std::int32_t frame : {0, 9, 10, 255, 4096, 123456}) {
        const AviReference parsed = ParseAviReference(MakeAviReference(frame, "/some/video.avi"));
        EXPECT_EQ(parsed.frame, frame);
        EXPECT_EQ(parsed.videoPath, "/some/video.avi");
    }
}

class AccessAviFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    }

    // The one error shown so far must be the read-video error with this number.
    void expectOneReadVideoError(int number) {
        ASSERT_EQ(shell.errors.size(), 1u);
        EXPECT_EQ(shell.errors[0].text, kReadVideoError + std::to_string(number));
        shell.errors.clear();
    }

    Image readerFrame(const std::string& path, int n) {
        VideoReader reader;
        Image image;
        EXPECT_EQ(reader.open(path), VideoReader::OpenResult::Ok);
        EXPECT_EQ(reader.readFrame(n, image), LoadResult::Ok);
        return image;
    }

    TempFolder folder;
    RecordingShell shell;
    ProjectTestState state{shell, folder.path(), folder.path()};
};

TEST_F(AccessAviFramesTest, OpenFetchCloseInOneCallReadsTheReferencedFrame) {
    const std::string path = folder.file("take.avi");
    ASSERT_TRUE(makeVideo(path, 12));
    Image picture;
    ASSERT_TRUE(AccessAviFrames(state.services, &picture, "$AVI$A$" + path, kAviOpenFetchClose));
    EXPECT_TRUE(picture.samePixels(readerFrame(path, 10)));
    EXPECT_FALSE(picture.samePixels(readerFrame(path, 9)));
    EXPECT_FALSE(state.services.videoReader.isOpen());
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AccessAviFramesTest, ImportStyleOpenFetchEachFrameAndClose) {
    const std::string path = folder.file("take.avi");
    ASSERT_TRUE(makeVideo(path, 6));
    AviStreamInfo info{-1, -1};
    ASSERT_TRUE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + path, kAviOpen, &info));
    EXPECT_EQ(info.firstFrame, 0);
    EXPECT_EQ(info.frameCount, 6);
    EXPECT_TRUE(state.services.videoReader.isOpen());
    for (int n = info.firstFrame; n < info.firstFrame + info.frameCount; ++n) {
        Image picture;
        ASSERT_TRUE(
            AccessAviFrames(state.services, &picture, MakeAviReference(n, path), kAviFetch));
        EXPECT_TRUE(picture.samePixels(readerFrame(path, n))) << "frame " << n;
    }
    // A frame beyond the video fails without a message (the caller reports it) and leaves
    // the picture and the open video as they were.
    std::optional<Image> picture = Image::create(4, 4);
    const Image before = *picture;
    EXPECT_FALSE(AccessAviFrames(state.services, &*picture, MakeAviReference(6, path), kAviFetch));
    EXPECT_TRUE(picture->samePixels(before));
    EXPECT_TRUE(state.services.videoReader.isOpen());
    EXPECT_TRUE(AccessAviFrames(state.services, &*picture, MakeAviReference(5, path), kAviFetch));

    EXPECT_TRUE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + path, kAviClose));
    EXPECT_FALSE(state.services.videoReader.isOpen());
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AccessAviFramesTest, VideoWithoutFramesOpensWithCountZeroAndNoMessage) {
    const std::string path = folder.file("empty.avi");
    ASSERT_TRUE(makeVideo(path, 0));
    AviStreamInfo info{-1, -1};
    ASSERT_TRUE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + path, kAviOpen, &info));
    EXPECT_EQ(info.firstFrame, 0);
    EXPECT_EQ(info.frameCount, 0);
    Image picture;
    EXPECT_FALSE(
        AccessAviFrames(state.services, &picture, "$AVI$0$" + path, kAviFetch | kAviClose));
    EXPECT_FALSE(state.services.videoReader.isOpen());
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AccessAviFramesTest, FetchNeedsAnOpenVideoAndAPicture) {
    const std::string path = folder.file("take.avi");
    ASSERT_TRUE(makeVideo(path, 3));
    Image picture;
    EXPECT_FALSE(AccessAviFrames(state.services, &picture, "$AVI$0$" + path, kAviFetch));
    EXPECT_TRUE(picture.empty());
    // Fetch then close: the close still happens and the result is the fetch's.
    ASSERT_TRUE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + path, kAviOpen));
    EXPECT_FALSE(AccessAviFrames(state.services, nullptr, "$AVI$0$" + path, kAviFetch | kAviClose));
    EXPECT_FALSE(state.services.videoReader.isOpen());
    // Closing with nothing open is harmless.
    EXPECT_TRUE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + path, kAviClose));
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AccessAviFramesTest, OpeningAnotherVideoReleasesTheFirst) {
    const std::string first = folder.file("first.avi");
    const std::string second = folder.file("second.avi");
    ASSERT_TRUE(makeVideo(first, 8));
    ASSERT_TRUE(makeVideo(second, 3, "32x16"));
    AviStreamInfo info;
    ASSERT_TRUE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + first, kAviOpen, &info));
    EXPECT_EQ(info.frameCount, 8);
    Image picture;
    ASSERT_TRUE(
        AccessAviFrames(state.services, &picture, "$AVI$2$" + second, kAviOpen | kAviFetch, &info));
    EXPECT_EQ(info.frameCount, 3);
    EXPECT_EQ(picture.width(), 32);
    EXPECT_TRUE(state.services.videoReader.isOpen());
}

TEST_F(AccessAviFramesTest, VideosThatCannotBeOpenedReportNumberZero) {
    AviStreamInfo info{7, 7};
    EXPECT_FALSE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + folder.file("gone.avi"),
                                 kAviOpen, &info));
    expectOneReadVideoError(0);
    EXPECT_EQ(info.frameCount, 7);  // untouched

    const std::string text = folder.write("notes.avi", "This is a text file, not a video.\r\n");
    Image picture;
    EXPECT_FALSE(AccessAviFrames(state.services, &picture, "$AVI$0$" + text, kAviOpenFetchClose));
    expectOneReadVideoError(0);
    EXPECT_TRUE(picture.empty());

    // The video exists, but the reference cuts its path at the "$".
    const std::string dollar = folder.file("take$1.avi");
    ASSERT_TRUE(makeVideo(dollar, 2));
    EXPECT_FALSE(
        AccessAviFrames(state.services, &picture, MakeAviReference(0, dollar), kAviOpenFetchClose));
    expectOneReadVideoError(0);

    EXPECT_FALSE(AccessAviFrames(state.services, &picture, "$AVI$0$", kAviOpenFetchClose));
    expectOneReadVideoError(0);
    EXPECT_FALSE(state.services.videoReader.isOpen());
}

TEST_F(AccessAviFramesTest, AudioOnlyFileReportsNumberOne) {
    const std::string sound = folder.file("sound.avi");
    ASSERT_TRUE(runFfmpeg("-f lavfi -i sine -t 0.1", sound));
    EXPECT_FALSE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + sound, kAviOpen));
    expectOneReadVideoError(1);
    const std::string wave = folder.file("sound.wav");
    ASSERT_TRUE(runFfmpeg("-f lavfi -i sine -t 0.1", wave));
    EXPECT_FALSE(AccessAviFrames(state.services, nullptr, "$AVI$*$" + wave, kAviOpen));
    expectOneReadVideoError(1);
    EXPECT_FALSE(state.services.videoReader.isOpen());
}

TEST_F(AccessAviFramesTest, UnknownVideoFormatReportsNumberTwo) {
    const std::string path = folder.file("take.avi");
    ASSERT_TRUE(runFfmpeg("-f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 3 -c:v mpeg4", path));
    std::string bytes = testing::ReadText(path);
    // Rename the codec's four-character code to one no decoder knows.
    for (std::size_t at = bytes.find("FMP4"); at != std::string::npos; at = bytes.find("FMP4")) {
        bytes.replace(at, 4, "ZQZQ");
    }
    const std::string unknown = folder.write("unknown.avi", bytes);
    Image picture;
    EXPECT_FALSE(
        AccessAviFrames(state.services, &picture, "$AVI$0$" + unknown, kAviOpenFetchClose));
    expectOneReadVideoError(2);
    EXPECT_FALSE(state.services.videoReader.isOpen());
}

}  // namespace
}  // namespace morvel
