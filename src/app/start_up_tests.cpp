#include "app/start_up.h"

#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "i18n/settings_file.h"
#include "platform/files.h"
#include "platform/gadgets.h"
#include "platform/single_instance.h"
#include "project/project_file.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::KindEvent;
using testing::ScriptedEvents;

struct StartUp : ::testing::Test, AppFixture {
    testing::TempFolder lockFolder;
    ScriptedEvents events;
    int run(const std::vector<std::string>& arguments = {}) {
        return RunProgram(state, events, arguments, lockFolder.path());
    }
    bool settingsWritten() const { return IsRegularFile(SettingsFilePath(program.path())); }

    // A project file with one frame of two real takes, in a folder with blanks in its name.
    std::string makeProject() {
        MakeFolder(work.file("my film"));
        const std::string take = work.file("my film/take 1.png");
        SavePictureFile(testing::GradientPicture(320, 240), take, PictureFormat::Png);
        ProjectFileFrame frame;
        frame.layerSource[0] = take;
        const auto bytes = SerializeProjectFile({}, {frame});
        const std::string path = work.file("my film/scene.mvl");
        WriteFileBytes(path, bytes);
        return path;
    }
};

TEST_F(StartUp, BuildsTheWindowRunsTheLoopAndWritesTheSettingsAtAnOrderlyEnd) {
    program.write("English.language", "[Else]\nnewtitle = *New*\n");
    shell.languageAnswers = {"English"};
    events.script = {testing::GadgetEvent(+Gadget::MaskMover)};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shell.languageChoices.size(), 1u);  // no settings file yet: the chooser
    ASSERT_EQ(shell.windowsBuilt.size(), 1u);
    EXPECT_EQ(shell.windowsBuilt[0].title, "*New* - Morvel");
    EXPECT_EQ(state.view.tool, "mask-mover");
    EXPECT_EQ(ReadSettingsFile(program.path()), "English");
    for (const Image* image : {&state.session.images.composite, &state.session.images.layer1,
                               &state.session.images.layer2}) {
        EXPECT_EQ(image->width(), 640);
        EXPECT_EQ(image->height(), 480);
    }
    EXPECT_EQ(state.session.images.mask.width(), 640);
    EXPECT_EQ(state.session.images.mask.height(), 480);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(StartUp, ASecondInstanceIsReportedAndEndsWithoutSettings) {
    program.write("English.language", "[Errors]\nonlyone = Already running.\n");
    shell.languageAnswers = {"English"};
    InstanceLock first(lockFolder.path(), kInstanceName);
    EXPECT_EQ(run(), 0);
    // The chooser came first, so the message is in the chosen language.
    EXPECT_EQ(shell.languageChoices.size(), 1u);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_EQ(shell.errors[0].text, "Already running.\r\nErrorCode = 0-0-0");
    EXPECT_TRUE(shell.windowsBuilt.empty());
    EXPECT_FALSE(settingsWritten());
}

TEST_F(StartUp, FatalEndsWriteNoSettings) {
    shell.failWindowBuild = true;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shell.errors.size(), 1u);
    EXPECT_FALSE(settingsWritten());

    AppFixture huge({70000, 600});
    ScriptedEvents none;
    EXPECT_EQ(RunProgram(huge.state, none, {}, lockFolder.path()), 0);
    EXPECT_FALSE(IsRegularFile(SettingsFilePath(huge.program.path())));

    // A resize that cannot get its canvas buffer ends the loop at once.
    struct GrowingWindow : ScriptedEvents {
        testing::RecordingShell* shell = nullptr;
        Event waitEvent() override {
            shell->client = {695, 70000};
            return ScriptedEvents::waitEvent();
        }
    };
    AppFixture later;
    GrowingWindow grow;
    grow.shell = &later.shell;
    grow.script = {KindEvent(EventKind::Resize), KindEvent(EventKind::Resize)};
    EXPECT_EQ(RunProgram(later.state, grow, {}, lockFolder.path()), 0);
    EXPECT_EQ(later.shell.errors.size(), 1u);
    EXPECT_EQ(grow.script.size(), 1u);
    EXPECT_FALSE(IsRegularFile(SettingsFilePath(later.program.path())));
}

TEST_F(StartUp, OpensTheProjectOfTheFirstArgument) {
    const std::string project = makeProject();
    EXPECT_EQ(ProjectArgument({}), "");
    EXPECT_EQ(ProjectArgument({""}), "");
    EXPECT_EQ(ProjectArgument({"\"\""}), "");
    EXPECT_EQ(ProjectArgument({"\"" + project + "\"", "ignored"}), project);
    EXPECT_EQ(ProjectArgument({project}), project);

    run({"\"" + project + "\""});
    EXPECT_TRUE(shell.errors.empty());
    // The project was open until the window was closed, which emptied it.
    ASSERT_FALSE(shell.windowTitles.empty());
    EXPECT_EQ(shell.windowTitles.back(), " - Morvel");
    EXPECT_EQ(shell.thumbnails.size(), 0u);
    EXPECT_GE(shell.lastHandle, 1000u);
}

TEST_F(StartUp, AnEmptyArgumentOpensNothingAndAMissingProjectIsReported) {
    run({""});
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_TRUE(shell.openRequests.empty());
    EXPECT_TRUE(shell.windowTitles.empty());

    AppFixture other;
    ScriptedEvents none;
    RunProgram(other.state, none, {work.file("no such.mvl")}, lockFolder.path());
    ASSERT_EQ(other.shell.errors.size(), 1u);
    EXPECT_NE(other.shell.errors[0].text.find("no such.mvl"), std::string::npos);
    EXPECT_TRUE(IsRegularFile(SettingsFilePath(other.program.path())));  // it went on
}

}  // namespace
}  // namespace morvel
