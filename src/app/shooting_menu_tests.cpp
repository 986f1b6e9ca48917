#include "app/shooting_menu.h"

#include <gtest/gtest.h>

#include <optional>
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

TEST(CameraChooserFor, ListsTheCameraInUseFirstWhenNotFound) {
    const LanguageTable texts;
    const std::vector<CameraChoice> found = {{"gphoto2:Cam@usb:1,2", "Cam"},
                                             {"v4l2:/dev/video0", "Webcam"}};
    const struct {
        std::string inUse;
        std::vector<std::string> urls;
    } cases[] = {
        {"", {"gphoto2:Cam@usb:1,2", "v4l2:/dev/video0"}},
        {"lavfi:testsrc2", {"lavfi:testsrc2", "gphoto2:Cam@usb:1,2", "v4l2:/dev/video0"}},
        {"v4l2:/dev/video0", {"gphoto2:Cam@usb:1,2", "v4l2:/dev/video0"}},
    };
    for (const auto& c : cases) {
        const CameraChooser chooser = CameraChooserFor(texts, c.inUse, found);
        std::vector<std::string> urls;
        for (const CameraOffer& offer : chooser.cameras) urls.push_back(offer.url);
        EXPECT_EQ(urls, c.urls) << c.inUse;
        EXPECT_EQ(chooser.url, c.inUse);
        EXPECT_EQ(chooser.title, "Kamera wählen");
    }
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
        StartWithCamera(state, "folder:" + pictures.path());  // as --camera does
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
    EXPECT_TRUE(shell.menuItemChecked[+MenuItem::LiveView]);
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

TEST_F(ShootingThroughTheMenu, TheChooserOffersTheCameraInUseAndACancelKeepsIt) {
    const std::string inUse = "folder:" + pictures.path();
    Dispatch(state, MenuEvent(+MenuItem::ChooseCamera));  // cancelled
    ASSERT_EQ(shell.cameraChoosers.size(), 1u);
    EXPECT_EQ(shell.cameraChoosers[0].url, inUse);
    EXPECT_EQ(shell.cameraChoosers[0].cameras.front().url, inUse);
    EXPECT_EQ(state.view.shooting.cameraUrl, inUse);
    shell.cameraAnswers.push_back("lavfi:no_such_source");
    Dispatch(state, MenuEvent(+MenuItem::ChooseCamera));
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("lavfi:no_such_source"), std::string::npos);
    EXPECT_EQ(state.view.shooting.cameraUrl, inUse);
    Dispatch(state, MenuEvent(+MenuItem::LiveView));
    shell.cameraAnswers.push_back(inUse);  // chosen again: live and checked
    Dispatch(state, MenuEvent(+MenuItem::ChooseCamera));
    EXPECT_TRUE(state.view.shooting.live);
    EXPECT_TRUE(shell.menuItemChecked[+MenuItem::LiveView]);
}

TEST_F(ShootingThroughTheMenu, TheSettingsDialogTakesWhatFitsAndTellsWhatDoesNot) {
    const CaptureSettings before = state.view.shooting.settings;
    const struct {
        std::optional<ShootingSettingsFields> answer;  // nothing: cancelled
        CaptureSettings settings;
        std::size_t errors;
    } cases[] = {
        {std::nullopt, before, 0},
        {ShootingSettingsFields{" /else/where ", "$Nr-$Layer", 12, 55, true},
         {"/else/where/", "$Nr-$Layer", 12, 55, true}, 0},
        // Captures named alike would overwrite each other: the template stays.
        {ShootingSettingsFields{"", "$Nr", 0, 150, false}, {"", "$Nr-$Layer", 1, 100, false}, 1},
        {ShootingSettingsFields{"/f/", "take_$layer_$NR", 99, -5, false},
         {"/f/", "take_$layer_$NR", 50, 0, false}, 0},
    };
    for (const auto& c : cases) {
        shell.errors.clear();
        shell.shootingSettingsAnswers.push_back(c.answer);
        Dispatch(state, MenuEvent(+MenuItem::ShootingSettings));
        const CaptureSettings& s = state.view.shooting.settings;
        SCOPED_TRACE(c.settings.nameTemplate);
        EXPECT_EQ(s.folder, c.settings.folder);
        EXPECT_EQ(s.nameTemplate, c.settings.nameTemplate);
        EXPECT_EQ(s.lastFrames, c.settings.lastFrames);
        EXPECT_EQ(s.onionOpacity, c.settings.onionOpacity);
        EXPECT_EQ(s.keepCleanPlate, c.settings.keepCleanPlate);
        EXPECT_EQ(shell.errors.size(), c.errors);
    }
    // The dialog opens on the settings in use.
    EXPECT_EQ(shell.shootingSettingsShown.back().nameTemplate, "$Nr-$Layer");
    EXPECT_EQ(shell.shootingSettingsShown.back().lastFrames, 1);
}

}  // namespace
}  // namespace morvel
