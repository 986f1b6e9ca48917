#include "app/shooting_menu.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "codecs/picture_io.h"
#include "platform/files.h"
#include "test_support/no_camera_drivers.h"

namespace morvel {
namespace {

[[maybe_unused]] const bool kUnloadedCameraDrivers = testing::UnloadedCameraDrivers();

using testing::MenuEvent;

TEST(ShootingMenu, FollowsTheViewMenuWithItsNumbersAndKeys) {
    testing::AppFixture app;
    ASSERT_TRUE(BuildMainWindow(app.state));
    const MainWindowPlan& plan = app.shell.windowsBuilt.back();
    ASSERT_GE(plan.menuBar.size(), 4u);
    EXPECT_EQ(plan.menuBar[2].label, "&Ansicht");
    const MenuEntry& menu = plan.menuBar[3];
    EXPECT_EQ(menu.label, "&Aufnahme");
    std::vector<int> items;
    for (const MenuEntry& entry : menu.entries)
        if (!entry.separator) items.push_back(entry.item);
    EXPECT_EQ(items, (std::vector<int>{35, 36, 37, 38, 39, 41, 40}));
    std::map<std::string, int> keys;
    for (const ShortcutPlan& shortcut : plan.shortcuts) keys[shortcut.keys] = shortcut.item;
    EXPECT_EQ(keys["L"], +MenuItem::LiveView);
    EXPECT_EQ(keys["Return"], +MenuItem::CaptureKey1);
    EXPECT_EQ(keys["Shift+Return"], +MenuItem::CaptureKey2);
    EXPECT_EQ(keys["K"], +MenuItem::PlayLastFrames);
    EXPECT_EQ(keys["D"], +MenuItem::DifferenceView);
}

TEST(TakeCameraArgument, LeavesTheProjectArgument) {
    const struct {
        std::vector<std::string> arguments;
        std::string url;
        std::vector<std::string> rest;
    } cases[] = {
        {{"--camera", "lavfi:testsrc2", "film.mvl"}, "lavfi:testsrc2", {"film.mvl"}},
        {{"film.mvl", "--camera=v4l2:/dev/video0"}, "v4l2:/dev/video0", {"film.mvl"}},
        {{"film.mvl"}, "", {"film.mvl"}},
        {{"--camera"}, "", {"--camera"}},
    };
    for (auto c : cases) {
        EXPECT_EQ(TakeCameraArgument(c.arguments), c.url);
        EXPECT_EQ(c.arguments, c.rest);
    }
}

TEST(CameraAnswerUrl, TakesANumberOfTheListOrAUrl) {
    const std::vector<std::string> urls = {"gphoto2:Cam@usb:1,2", "v4l2:/dev/video0"};
    EXPECT_EQ(CameraAnswerUrl("2", urls), "v4l2:/dev/video0");
    EXPECT_EQ(CameraAnswerUrl("3", urls), "");
    EXPECT_EQ(CameraAnswerUrl("", urls), "");
    EXPECT_EQ(CameraAnswerUrl("lavfi:testsrc2", urls), "lavfi:testsrc2");
}

class ShootingThroughTheMenu : public ::testing::Test, public testing::AppFixture {
protected:
    testing::TempFolder pictures;
    testing::TempFolder captures;

    void SetUp() override {
        ASSERT_TRUE(BuildMainWindow(state));
        for (int i = 0; i < 2; ++i)
            SavePictureFile(testing::GradientPicture(64, 48, 3 + i), pictures.file(std::to_string(i) + ".jpg"),
                            PictureFormat::Jpeg);
        shell.textAnswers.push_back("folder:" + pictures.path());
        Dispatch(state, MenuEvent(+MenuItem::ChooseCamera));
        state.view.shooting.settings.folder = captures.path();
    }
    void settle() {
        for (int i = 0; i < 2000 && state.view.shooting.pending.active; ++i) {
            ShootingTick(state);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

TEST_F(ShootingThroughTheMenu, ReturnCapturesOnlyWhileLive) {
    ASSERT_TRUE(state.view.shooting.camera) << (shell.errors.empty() ? "" : shell.errors[0].text);
    EXPECT_TRUE(state.view.shooting.live);  // a camera chosen shows its picture
    Dispatch(state, MenuEvent(+MenuItem::LiveView));
    EXPECT_FALSE(state.view.shooting.live);
    Dispatch(state, MenuEvent(+MenuItem::CaptureKey1));
    settle();
    EXPECT_EQ(state.document.frames.size(), 0);
    Dispatch(state, MenuEvent(+MenuItem::LiveView));
    EXPECT_TRUE(state.view.shooting.live);
    EXPECT_TRUE(shell.menuItemChecked[+MenuItem::LiveView]);
    Dispatch(state, MenuEvent(+MenuItem::CaptureKey1));
    settle();
    Dispatch(state, MenuEvent(+MenuItem::CaptureKey2));
    settle();
    ASSERT_EQ(state.document.frames.size(), 1);
    EXPECT_FALSE(state.document.frames.at(0).layerSource[1].empty());
    EXPECT_TRUE(shell.errors.empty());
    // Undo through the menu takes the second take back.
    Dispatch(state, MenuEvent(+MenuItem::Undo));
    EXPECT_TRUE(state.document.frames.at(0).layerSource[1].empty());
    Dispatch(state, MenuEvent(+MenuItem::LiveView));
    EXPECT_FALSE(state.view.shooting.live);
}

TEST_F(ShootingThroughTheMenu, TheSettingsAreAskedOneAfterTheOther) {
    shell.folderAnswers.push_back("/somewhere/else/");
    shell.textAnswers = {"$Nr", "12", "55"};  // a template without $Layer is refused
    shell.answers.push_back(Answer::Yes);
    Dispatch(state, MenuEvent(+MenuItem::ShootingSettings));
    const CaptureSettings& settings = state.view.shooting.settings;
    EXPECT_EQ(settings.folder, "/somewhere/else/");
    EXPECT_EQ(settings.nameTemplate, "$Project_$Nr_$Layer");
    EXPECT_EQ(settings.lastFrames, 12);
    EXPECT_EQ(settings.onionOpacity, 55);
    EXPECT_TRUE(settings.keepCleanPlate);
}

}  // namespace
}  // namespace morvel
