#include "camera/camera.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "camera/camera_list.h"
#include "camera/live_scaler.h"
#include "codecs/picture_io.h"
#include "platform/files.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"
#include "test_support/no_camera_drivers.h"

namespace morvel {
namespace {

[[maybe_unused]] const bool kUnloadedCameraDrivers = testing::UnloadedCameraDrivers();

using testing::TempFolder;

// Both kinds of camera the tests can run: FFmpeg's test source through the webcam code, and a
// folder of 64 x 48 pictures.
struct CameraKind {
    const char* name;
    std::string (*url)(const TempFolder& pictures);
};

std::string folderWithPictures(const TempFolder& folder) {
    for (int i = 0; i < 3; ++i) {
        Image picture = testing::UniformPicture(64, 48, {static_cast<std::uint8_t>(60 * i), 90, 30});
        SavePictureFile(picture, folder.file("p" + std::to_string(i) + ".jpg"), PictureFormat::Jpeg);
    }
    return "folder:" + folder.path();
}

const CameraKind kKinds[] = {
    {"lavfi", [](const TempFolder&) { return std::string("lavfi:testsrc2=size=64x48:rate=50"); }},
    {"folder", folderWithPictures},
};

class CameraInterface : public ::testing::TestWithParam<CameraKind> {
protected:
    std::unique_ptr<Camera> open() {
        CameraFault fault;
        std::string detail;
        auto camera = OpenCamera(GetParam().url(source), fault, detail);
        EXPECT_EQ(fault, CameraFault::None) << detail;
        return camera;
    }
    TempFolder source;
    TempFolder target;
};

std::optional<LiveFrame> waitForLive(const Camera& camera, std::uint64_t after) {
    for (int i = 0; i < 500; ++i) {
        if (auto frame = camera.newestLive(after)) return frame;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

TEST_P(CameraInterface, LivePicturesComeScaledToFit) {
    auto camera = open();
    ASSERT_TRUE(camera);
    camera->startLive(32, 32);
    const auto frame = waitForLive(*camera, 0);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->picture->width(), 32);
    EXPECT_EQ(frame->picture->height(), 24);
    EXPECT_FALSE(camera->newestLive(frame->number));  // nothing newer than the newest at once
}

TEST_P(CameraInterface, CaptureWritesAFullSizeJpegAndIsRefusedWhileBusy) {
    auto camera = open();
    ASSERT_TRUE(camera);
    Image followed;  // what the follow-up saw, on the capture's worker
    // The follow-up holds the capture busy until the second one has been asked for: a quick
    // camera would otherwise be done before it.
    std::promise<void> asked;
    const std::shared_future<void> secondAsked = asked.get_future().share();
    const auto followUp = [&followed, secondAsked](const Image& decoded) {
        secondAsked.wait();
        followed = decoded;
    };
    ASSERT_TRUE(camera->beginCapture(target.file("shot"), followUp));
    EXPECT_FALSE(camera->beginCapture(target.file("second")));
    asked.set_value();
    const CaptureResult result = camera->waitForCapture();
    ASSERT_EQ(result.fault, CameraFault::None) << result.detail;
    EXPECT_EQ(result.picture, target.file("shot.jpg"));
    Image picture;
    ASSERT_EQ(LoadPictureFile(result.picture, picture), LoadResult::Ok);
    EXPECT_EQ(picture.width(), 64);
    EXPECT_EQ(picture.height(), 48);
    // Decoded from the bytes written, as the file reads.
    EXPECT_TRUE(testing::SamePicture(result.decoded, picture));
    EXPECT_TRUE(testing::SamePicture(followed, picture));
    EXPECT_GE(result.preview.width(), kPreviewWidth);
    EXPECT_GE(result.preview.height(), kPreviewHeight);
    EXPECT_LT(result.preview.width(), 2 * kPreviewWidth);
    EXPECT_FALSE(IsRegularFile(target.file("second.jpg")));
    EXPECT_FALSE(camera->busy());
}

TEST_P(CameraInterface, AFolderThatCannotTakeFilesLeavesNoFile) {
    auto camera = open();
    ASSERT_TRUE(camera);
    target.write("plain", "a file where the folder should be");
    ASSERT_TRUE(camera->beginCapture(target.file("plain/shot")));
    const CaptureResult result = camera->waitForCapture();
    EXPECT_EQ(result.fault, CameraFault::CannotWrite);
    EXPECT_EQ(result.detail, target.file("plain/shot.jpg"));
    EXPECT_TRUE(result.picture.empty());
    EXPECT_EQ(ListFolder(target.path()).size(), 1u);
}

TEST_P(CameraInterface, ACaptureThatTakesTooLongTimesOutAndStaysBusyUntilItEnds) {
    auto camera = open();
    ASSERT_TRUE(camera);
    camera->setCaptureTimeout(std::chrono::milliseconds(0));
    ASSERT_TRUE(camera->beginCapture(target.file("late")));
    const CaptureResult result = camera->waitForCapture();
    EXPECT_EQ(result.fault, CameraFault::TimedOut);
    EXPECT_TRUE(result.picture.empty());
    while (camera->busy()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(camera->takeCaptureResult());  // the late result is not handed out
    camera->setCaptureTimeout(Camera::kDefaultTimeout);
    ASSERT_TRUE(camera->beginCapture(target.file("next")));
    EXPECT_EQ(camera->waitForCapture().fault, CameraFault::None);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CameraInterface, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FolderCamera, ServesItsPicturesInTurn) {
    TempFolder source;
    TempFolder target;
    const std::string url = folderWithPictures(source);
    source.write("p1.CR2", "raw one");
    CameraFault fault;
    std::string detail;
    auto camera = OpenCamera(url, fault, detail);
    ASSERT_TRUE(camera);
    std::vector<std::string> raws;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(camera->beginCapture(target.file("s" + std::to_string(i))));
        const CaptureResult result = camera->waitForCapture();
        ASSERT_EQ(result.fault, CameraFault::None);
        const int served = i % 3;
        EXPECT_EQ(ReadFileBytes(result.picture),
                  ReadFileBytes(source.file("p" + std::to_string(served) + ".jpg")));
        raws.push_back(result.raw);
    }
    EXPECT_EQ(raws, (std::vector<std::string>{"", target.file("s1.cr2"), "", ""}));
    EXPECT_EQ(testing::ReadText(target.file("s1.cr2")), "raw one");
}

TEST(CameraLive, AStreamThatEndsStopsLiveViewAsGone) {
    CameraFault fault;
    std::string detail;
    auto camera = OpenCamera("lavfi:testsrc2=size=64x48:rate=100:duration=0.1", fault, detail);
    ASSERT_TRUE(camera) << detail;
    camera->startLive(0, 0);
    for (int i = 0; i < 500 && camera->liveFault() == CameraFault::None; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(camera->liveFault(), CameraFault::Gone);
    ASSERT_TRUE(camera->beginCapture(TemporaryFolder() + "never"));
    EXPECT_EQ(camera->waitForCapture().fault, CameraFault::Gone);
}

TEST(OpenCamera, SaysWhyAUrlCannotBeOpened) {
    TempFolder empty;
    const struct {
        std::string url;
        CameraFault fault;
        std::string inDetail;
    } cases[] = {
        {"lavfi:nosuchsource=size=64x48", CameraFault::CannotOpen, "lavfi:nosuchsource"},
        {"v4l2:/nonexistent/video9", CameraFault::CannotOpen, "/nonexistent/video9"},
        {"folder:/nonexistent/pictures", CameraFault::CannotOpen, "/nonexistent/pictures"},
        {"folder:" + empty.path(), CameraFault::NotACamera, empty.path()},
        {"webcam-please", CameraFault::CannotOpen, "webcam-please"},
        {"gphoto2:NoSuchModel@usb:999,999", CameraFault::CannotOpen, "NoSuchModel"},
    };
    for (const auto& c : cases) {
        CameraFault fault;
        std::string detail;
        EXPECT_FALSE(OpenCamera(c.url, fault, detail)) << c.url;
        EXPECT_EQ(fault, c.fault) << c.url;
        EXPECT_NE(detail.find(c.inDetail), std::string::npos) << c.url << ": " << detail;
    }
}

TEST(OpenCamera, NoStillCameraConnectedIsSaidPlainly) {
    if (!FindGphotoCameras().empty()) GTEST_SKIP() << "a still camera is connected";
    CameraFault fault;
    std::string detail;
    EXPECT_FALSE(OpenCamera("gphoto2:", fault, detail));
    EXPECT_EQ(fault, CameraFault::CannotOpen);
    EXPECT_EQ(detail, "gphoto2: no camera found");
}

TEST(FindV4l2Cameras, NamesEachDeviceByTheKernelsName) {
    TempFolder sysfs;
    ASSERT_TRUE(MakeFolder(sysfs.file("video2")) && MakeFolder(sysfs.file("video0")));
    sysfs.write("video0/name", "Integrated Camera\n");
    const auto found = FindV4l2Cameras(sysfs.path());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].url, "v4l2:/dev/video0");
    EXPECT_EQ(found[0].label, "Integrated Camera (/dev/video0)");
    EXPECT_EQ(found[1].url, "v4l2:/dev/video2");
}

TEST(FitInside, KeepsProportionsAndNeverEnlarges) {
    const struct {
        int w, h, fw, fh, ew, eh;
    } cases[] = {{1920, 1080, 960, 960, 960, 540}, {1080, 1920, 960, 960, 540, 960},
                 {640, 480, 1920, 1080, 640, 480}, {640, 480, 0, 0, 640, 480},
                 {4000, 1, 100, 100, 100, 1}};
    for (const auto& c : cases) {
        const FitSize size = FitInside(c.w, c.h, c.fw, c.fh);
        EXPECT_EQ(size.width, c.ew);
        EXPECT_EQ(size.height, c.eh);
    }
}

}  // namespace
}  // namespace morvel
