#include "tools/render_carry.h"
#include "tools/render_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codecs/picture_io.h"
#include "editor/carry_mask.h"
#include "editor/masks.h"
#include "motion/testing/synthetic_film.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "test_support/editor_scene.h"

namespace morvel {
namespace {

using testing::EditorScene;

// Four frames of a made-up shot at 240 x 180, the first with the true rig mask painted out.
void addShot(EditorScene& scene) {
    static const auto film = testing::MakeSyntheticFilm(240, 180, 4);
    cv::Mat painted;
    cv::bitwise_not(film[0].truth, painted);
    const Image mask = testing::MaskImageOf(painted);
    for (int t = 0; t < 4; ++t)
        scene.addFrame(film[t].take1, film[t].take2, t == 0 ? &mask : nullptr);
    scene.state.document.header.projectFilePath = scene.folder.file("shot.mvl");
    scene.state.document.header.maskTemplate = "masks/$Project_$Nr.png";
}

Image workingMask(EditorScene& scene, int index) {
    Image mask;
    const Document& document = scene.state.document;
    EXPECT_EQ(
        LoadPictureFile(document.masks.workingFile(document.frames.at(index).maskNumber), mask),
        LoadResult::Ok);
    return mask;
}

// The window's command frame after frame and morvel-render's run give the same masks.
TEST(CarryMasksOfProject, GivesTheWindowsMasks) {
    EditorScene window;
    addShot(window);
    for (int index = 1; index < 4; ++index) {
        window.show(index, 240, 180);
        CarryMaskToDisplayed(window.state.document, window.state.session, window.state.view,
                             window.state.services);
    }
    StoreDisplayedMask(window.state.document, window.state.session, window.state.services);

    EditorScene render;
    addShot(render);
    std::FILE* lines = std::tmpfile();
    EXPECT_EQ(CarryMasksOfProject(render.state.document, render.state.session,
                                  render.state.services, 0, 3, {}, nullptr, lines),
              0);
    std::rewind(lines);
    char line[200];
    int printed = 0;
    while (std::fgets(line, sizeof line, lines)) {
        EXPECT_NE(std::string(line).find("mask carried in"), std::string::npos) << line;
        ++printed;
    }
    std::fclose(lines);
    EXPECT_EQ(printed, 3);
    EXPECT_TRUE(window.shell.errors.empty());
    EXPECT_TRUE(render.shell.errors.empty());
    for (int index = 1; index < 4; ++index) {
        const Image expected = workingMask(window, index);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(workingMask(render, index).samePixels(expected)) << index;
    }
    // The save wrote the project file with the carried masks.
    const auto bytes = ReadFileBytes(render.folder.file("shot.mvl"), kMaxProjectFileBytes);
    ASSERT_TRUE(bytes);
    const ProjectFileContents saved = ParseProjectFile(*bytes);
    ASSERT_EQ(saved.frames.size(), 4u);
    for (const ProjectFileFrame& frame : saved.frames) EXPECT_TRUE(frame.hasMask);
}

TEST(CarryMasksOption, TakesARangeAndTheProjectAlone) {
    struct Case {
        std::vector<std::string> arguments;
        int first, last;  // 0: a usage error
    };
    for (const Case& c :
         {Case{{"--carry-masks", "1-10", "p.mvl"}, 1, 10},
          Case{{"--carry-masks=4-6", "p.mvl"}, 4, 6}, Case{{"--carry-masks", "3-3", "p.mvl"}, 0, 0},
          Case{{"--carry-masks", "5-", "p.mvl"}, 0, 0},
          Case{{"--carry-masks", "1-10", "p.mvl", "out"}, 0, 0},
          Case{{"--carry-masks", "1-10"}, 0, 0}}) {
        const ParsedRenderOptions parsed = ParseRenderOptions(c.arguments);
        EXPECT_EQ(parsed.error.empty(), c.first != 0) << c.arguments[1];
        if (c.first == 0) continue;
        EXPECT_TRUE(parsed.options.carryMasks);
        EXPECT_EQ(parsed.options.carryFirst, c.first);
        EXPECT_EQ(parsed.options.carryLast, c.last);
        EXPECT_EQ(parsed.options.project, "p.mvl");
    }
}

}  // namespace
}  // namespace morvel
