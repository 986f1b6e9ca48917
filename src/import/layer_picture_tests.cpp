#include "import/layer_picture.h"
#include "project/project_test_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "import/avi_frames.h"
#include "codecs/picture_io.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::PatternPicture;
using testing::RecordingShell;
using testing::SamePicture;
using testing::TempFolder;

bool haveFfmpeg() {
    static const bool available = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return available;
}

// A raw video of the moving test pattern with its hue turning: every frame differs.
bool makeVideo(const std::string& path, int frames, const std::string& size) {
    const std::string command = "ffmpeg -v error -y -f lavfi -i 'testsrc2=size=" + size +
                                ":rate=25,hue=H=0.4*n' -frames:v " + std::to_string(frames) +
                                " -c:v rawvideo -pix_fmt bgr24 '" + path + "'";
    return std::system(command.c_str()) == 0;
}

class LoadLayerPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The target starts as a work image does: 640 x 480, here with a pattern to notice
        // any change.
        target = PatternPicture(640, 480);
        before = target;
    }

    void expectTargetUnchanged() { EXPECT_TRUE(SamePicture(target, before)); }

    TempFolder folder;
    RecordingShell shell;
    ProjectTestState state{shell, folder.path(), folder.path()};
    Image target;
    Image before;
};

TEST_F(LoadLayerPictureTest, PictureFileIsReadByContentAtItsOwnSize) {
    const Image picture = PatternPicture(37, 21);
    // A PNG file whose name says bitmap: the content decides.
    const std::string path = folder.file("photo.bmp");
    ASSERT_TRUE(SavePictureFile(picture, path, PictureFormat::Png));
    ASSERT_TRUE(LoadLayerPicture(nullptr, state.services, target, path));
    EXPECT_TRUE(SamePicture(target, picture));

    const std::string bitmap = folder.file("frame.png");
    ASSERT_TRUE(SavePictureFile(PatternPicture(5, 3), bitmap, PictureFormat::Bmp));
    ASSERT_TRUE(LoadLayerPicture(nullptr, state.services, target, bitmap));
    EXPECT_TRUE(SamePicture(target, PatternPicture(5, 3)));
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(LoadLayerPictureTest, FailureLeavesTheTargetAsItWasAndReportsNothing) {
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target, folder.file("missing.png")));
    expectTargetUnchanged();
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target,
                                  folder.write("notes.png", "not a picture\n")));
    expectTargetUnchanged();
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target, folder.write("empty.jpg", "")));
    expectTargetUnchanged();
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target, folder.path()));  // a folder
    expectTargetUnchanged();
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target, ""));
    expectTargetUnchanged();
    // The caller reports a picture that did not load.
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(LoadLayerPictureTest, VideoFrameKeepsTheVideosSizeAndLeavesNoVideoOpen) {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string video = folder.file("take.avi");
    ASSERT_TRUE(makeVideo(video, 3, "720x576"));
    ASSERT_TRUE(LoadLayerPicture(nullptr, state.services, target, MakeAviReference(2, video)));
    EXPECT_EQ(target.width(), 720);
    EXPECT_EQ(target.height(), 576);
    EXPECT_FALSE(state.services.videoReader.isOpen());

    VideoReader reader;
    Image expected;
    ASSERT_EQ(reader.open(video), VideoReader::OpenResult::Ok);
    ASSERT_EQ(reader.readFrame(2, expected), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(target, expected));
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(LoadLayerPictureTest, VideoFrameThatCannotBeReadLeavesTheTargetAsItWas) {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string video = folder.file("take.avi");
    ASSERT_TRUE(makeVideo(video, 3, "64x48"));

    // A frame beyond the video: no message here, the caller reports.
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target, MakeAviReference(3, video)));
    expectTargetUnchanged();
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_FALSE(state.services.videoReader.isOpen());

    // A video that has gone: the reader shows its open error.
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target,
                                  MakeAviReference(0, folder.file("gone.avi"))));
    expectTargetUnchanged();
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_TRUE(shell.errors[0].text.ends_with("\r\nErrorCode = 530-16-0"));

    // Only "$AVI$" in capitals marks a video frame; anything else is a file name.
    shell.errors.clear();
    EXPECT_FALSE(LoadLayerPicture(nullptr, state.services, target, "$avi$0$" + video));
    expectTargetUnchanged();
    EXPECT_TRUE(shell.errors.empty());
}

}  // namespace
}  // namespace morvel
