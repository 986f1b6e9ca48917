#include "app/remembered_workplace.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "app/start_up.h"
#include "editor/mask_tools.h"
#include "editor/undo_history.h"
#include "editor/zoom.h"
#include "i18n/load_language.h"
#include "i18n/settings_file.h"
#include "platform/files.h"
#include "platform/gadgets.h"
#include "project/project_file.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::GadgetEvent;
using testing::MenuEvent;
using testing::ScriptedEvents;

const GadgetPlan& gadgetOf(const MainWindowPlan& plan, Gadget number) {
    for (const GadgetPlan& gadget : plan.gadgets)
        if (gadget.number == +number) return gadget;
    throw std::runtime_error("no such gadget");
}

struct Workplaces : ::testing::Test, AppFixture {
    testing::TempFolder lockFolder;
    const ScreenRect screen{0, 0, 1600, 1000};

    // A project of one 320 x 240 frame: "Ganzes Bild" shows it at zoom 2 on the 640 x 480 canvas.
    std::string makeProject() {
        const std::string take = work.file("take.png");
        SavePictureFile(testing::GradientPicture(320, 240), take, PictureFormat::Png);
        ProjectFileFrame frame;
        frame.layerSource[0] = take;
        const std::string path = work.file("scene.mvl");
        WriteFileBytes(path, SerializeProjectFile({}, {frame}));
        return path;
    }

    // A run of the program with the same program folder (and so the same settings) as this one.
    struct Run {
        testing::RecordingShell shell;
        Program state;
        Run(const std::string& workFolder, const std::string& programFolder)
            : state(shell, workFolder, programFolder) {
            state.services.redrawPause = 0;
            shell.client = {695, 660};
            shell.screens = {{0, 0, 1600, 1000}};
        }
    };
};

// Events made when the loop asks for them, so that a step can set what the window answers.
struct StepEvents : EventSource {
    std::deque<std::function<Event()>> steps;
    Event waitEvent() override {
        if (steps.empty()) return testing::KindEvent(EventKind::Close);
        const auto step = steps.front();
        steps.pop_front();
        return step();
    }
};

TEST_F(Workplaces, EveryFieldSurvivesARestart) {
    program.write("morvel_settings.dat", "Deutsch\r\n");
    program.write("Deutsch.language", "");
    const std::string project = makeProject();
    shell.screens = {screen};
    shell.place = {120, 80, 900, 700};
    StepEvents events;
    for (const auto [gadget, value] : {std::pair(Gadget::BrushSize, 33),
                                       std::pair(Gadget::Hardness, 40),
                                       std::pair(Gadget::Transparency, 70)}) {
        events.steps.push_back([this, gadget, value] {
            shell.gadgetStates[+gadget] = value;  // as the user set the spin field
            return GadgetEvent(+gadget);
        });
    }
    events.steps.push_back([] { return GadgetEvent(+Gadget::BrushShape); });
    events.steps.push_back([] { return GadgetEvent(+Gadget::ZoomIn); });  // fit at first, then in
    RunProgram(state, events, {project}, lockFolder.path());
    // The language line stays as every version writes it.
    EXPECT_EQ(testing::ReadText(SettingsFilePath(program.path())), "Deutsch\r\n");

    testing::TempFolder secondWork;
    Run second(secondWork.path(), program.path());
    StepEvents reopen;
    float zoomShown = 0;
    reopen.steps.push_back([] { return MenuEvent(+MenuItem::FirstRecentProject); });
    reopen.steps.push_back([&] {
        zoomShown = second.state.view.zoom;
        return testing::KindEvent(EventKind::None);
    });
    RunProgram(second.state, reopen, {}, lockFolder.path());
    ASSERT_EQ(second.shell.windowsBuilt.size(), 1u);
    const MainWindowPlan& plan = second.shell.windowsBuilt[0];
    EXPECT_EQ(std::tie(plan.x, plan.y, plan.clientWidth, plan.clientHeight),
              std::tuple(120, 80, 900, 700));
    EXPECT_EQ(gadgetOf(plan, Gadget::BrushSize).state, 33);
    EXPECT_EQ(gadgetOf(plan, Gadget::Hardness).state, 40);
    EXPECT_EQ(gadgetOf(plan, Gadget::Transparency).state, 70);
    EXPECT_EQ(gadgetOf(plan, Gadget::BrushShape).picture, Picture::SquareBrush);
    const ToolSettings& tools = second.state.view.toolSettings;
    EXPECT_EQ(std::tie(tools.brushSize, tools.hardness, tools.brushShape, tools.eraseGrey),
              std::tuple(33, 40, kSquareBrushImage, EraseGreyForTransparency(70)));
    // The recent project reopened at the zoom it was left at.
    EXPECT_EQ(second.state.document.header.projectFilePath, project);
    EXPECT_FLOAT_EQ(zoomShown, 2.0f * kZoomInFactor);
    EXPECT_TRUE(second.shell.errors.empty());
}

TEST_F(Workplaces, DamagedFieldsFallBackToTheirDefaults) {
    program.write("morvel_settings.dat", "Deutsch\r\n");
    program.write("Deutsch.language", "");
    const std::string project = makeProject();
    program.write("morvel_workplace.dat", "window 5000 5000 680 620\nbrush-size -3\nhardness 55\n"
                                          "folder project /gone/away/\nzoom 99 0 0 " + project +
                                              "\n");
    shell.screens = {screen};
    ScriptedEvents events;
    events.script = {MenuEvent(+MenuItem::Open)};  // cancelled: the requester's folder is seen
    RunProgram(state, events, {project}, lockFolder.path());
    ASSERT_EQ(shell.windowsBuilt.size(), 1u);
    const MainWindowPlan& plan = shell.windowsBuilt[0];
    EXPECT_EQ(std::tie(plan.x, plan.y, plan.clientWidth, plan.clientHeight),
              std::tuple(10, 10, 680, 620));
    EXPECT_EQ(gadgetOf(plan, Gadget::BrushSize).state, 10);
    EXPECT_EQ(gadgetOf(plan, Gadget::Hardness).state, 55);  // the good field next to them stays
    ASSERT_EQ(shell.openRequests.size(), 1u);
    EXPECT_EQ(shell.openRequests[0].folder, work.path());  // the project's folder
    EXPECT_EQ(shell.frameNumbers, 0);  // closed for the requester: no column is numbered
    // A zoom out of range shows the whole picture.
    ASSERT_NE(state.services.workplace.zoomOf(project), nullptr);
    EXPECT_TRUE(state.services.workplace.zoomOf(project)->fit);
}

TEST_F(Workplaces, TheLanguageSwitchKeepsTheProjectItsHistoryAndTheFrameNumbers) {
    program.write("English.language", "[MainMenu]\nproject = &Project\n");
    program.write("Deutsch.language", "");
    LoadLanguage(state.services.language, shell, program.path(), "Deutsch");
    ASSERT_TRUE(BuildMainWindow(state));
    addFrame();
    addFrame();
    addFrame();
    EXPECT_EQ(shell.frameNumbers, 3);
    Dispatch(state, MenuEvent(+MenuItem::DeleteFrame));
    ASSERT_EQ(state.document.frames.size(), 2);
    EXPECT_EQ(shell.frameNumbers, 2);  // the numbers follow the delete

    const auto& available = state.services.language.available;
    const auto english = std::find(available.begin(), available.end(), "English");
    ASSERT_NE(english, available.end());
    Dispatch(state, MenuEvent(+MenuItem::FirstLanguage +
                              static_cast<int>(english - available.begin())));
    EXPECT_EQ(state.services.language.current, "English");
    EXPECT_TRUE(shell.questions.empty());  // nothing to save: the project stays
    EXPECT_EQ(shell.windowsBuilt.size(), 1u);
    ASSERT_FALSE(shell.windowsRetexted.empty());
    EXPECT_EQ(shell.windowsRetexted.back().menuBar[0].label, "&Project");
    EXPECT_EQ(state.document.frames.size(), 2);
    ASSERT_TRUE(CanUndoEdit(state.session));
    Dispatch(state, MenuEvent(+MenuItem::Undo));
    EXPECT_EQ(state.document.frames.size(), 3);
    EXPECT_EQ(shell.frameNumbers, 3);
}

}  // namespace
}  // namespace morvel
