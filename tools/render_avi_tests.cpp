#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>

#include "codecs/picture_io.h"
#include "editor/canvas_film.h"
#include "editor/compose_frame.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "export/avi_export.h"
#include "platform/files.h"
#include "session/project_lifecycle.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"
#include "tools/render_options.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::GreyMask;
using testing::TempFolder;
using testing::ToolOutput;

TEST(RenderAviOptions, TheFormatOrTheExtensionChoosesAviAndTheRateIsChecked) {
    const auto parse = [](std::vector<std::string> arguments) {
        return ParseRenderOptions(arguments);
    };
    EXPECT_TRUE(parse({"-f", "avi", "p.mvl", "film"}).options.avi);
    EXPECT_TRUE(parse({"--format=AVI", "p.mvl", "film.png"}).options.avi);
    EXPECT_TRUE(parse({"p.mvl", "film.avi"}).options.avi);
    EXPECT_FALSE(parse({"-f", "png", "p.mvl", "film.avi"}).options.avi);
    EXPECT_FALSE(parse({"p.mvl", "film.png"}).options.avi);
    EXPECT_EQ(parse({"p.mvl", "film.avi"}).options.fps, 30);
    EXPECT_EQ(parse({"--fps", "12", "p.mvl", "film.avi"}).options.fps, 12);
    EXPECT_EQ(parse({"--fps=60", "p.mvl", "film.avi"}).options.fps, 60);
    for (const char* bad : {"0", "61", "127", "-3", "abc", "12x", ""})
        EXPECT_NE(parse({"--fps", bad, "p.mvl", "film.avi"}).error, "") << bad;
    EXPECT_NE(std::string(kRenderUsage).find("--fps N"), std::string::npos);
    EXPECT_NE(std::string(kRenderUsage).find("avi"), std::string::npos);
}

// A project saved by the program: four frames with a mask on the second, the third of another
// size.
class RenderAvi : public ::testing::Test {
protected:
    TempFolder project;
    TempFolder working;
    TempFolder output;
    testing::RecordingShell shell;
    EditorTestState state{shell, working.path(), project.path()};

    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            const std::string path = project.file(std::to_string(i) + "p.png");
            ASSERT_TRUE(
                SavePictureFile(i == 2 ? GradientPicture(50, 30, 9) : GradientPicture(40, 24, i),
                                path, PictureFormat::Png));
            FrameRecord& frame = state.document.frames.append();
            frame.layerSource[0] = path;
            if (i == 1) {
                frame.maskNumber = state.document.masks.nextNumber++;
                ASSERT_TRUE(SavePictureFile(
                    GreyMask(40, 24, [](int x, int) { return std::uint8_t(x * 6); }),
                    state.document.masks.workingFile(frame.maskNumber), PictureFormat::Png));
            }
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
        state.document.header = {project.file("Film.mvl"), "Film", "", "", "$Nr.mask", ""};
        SaveProject(state.document, state.session, state.view, state.services, false);
        ASSERT_TRUE(shell.errors.empty());
        ::setenv("AVISERV_CODEC", "ffv1", 1);
    }
    void TearDown() override { ::unsetenv("AVISERV_CODEC"); }
};

std::string decoded(const std::string& video) {
    return ToolOutput("ffmpeg",
                      {"-v", "error", "-i", video, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
}

TEST_F(RenderAvi, WritesTheSameFramesAsTheWindowsExport) {
    if (!testing::HaveTool("ffprobe") || !testing::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    const std::string command = "'" MORVEL_RENDER_PATH "' -q --fps 12 '" +
                                project.file("Film.mvl") + "' '" + output.file("render.mpg") +
                                "' -f avi 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ToolOutput("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                                     "stream=codec_name,width,height,r_frame_rate,nb_read_frames",
                                     "-of", "csv=p=0", output.file("render.avi")}),
              "ffv1,40,24,12/1,4\n");

    // The window's export of the same project, with the library from beside morvel-render.
    const auto library = ReadFileBytes(FolderPart(MORVEL_RENDER_PATH) + "AVIServ.so");
    ASSERT_TRUE(library);
    ASSERT_TRUE(WriteFileBytes(project.file("AVIServ.so"), *library));
    shell.saveAnswers.push_back({output.file("window"), 0});
    shell.textAnswers.push_back("12");
    ExportAviVideo(FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
                   state.services.files.libraryFolder, 12,
                   [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    ASSERT_TRUE(shell.errors.empty());
    const std::string fromWindow = decoded(output.file("window.avi"));
    EXPECT_EQ(fromWindow.size(), 4u * 40 * 24 * 3);
    EXPECT_EQ(decoded(output.file("render.avi")), fromWindow);

    // Frame 2 carries its mask: the decoded frame is the composite.
    state.session.cache.displayedId = state.document.frames.at(1).id;
    ComposeFrame(state.document, state.session, state.view, state.services, 0);
    const Image& composite = state.session.images.composite;
    std::string expected;
    for (int y = 0; y < 24; ++y)
        expected.append(reinterpret_cast<const char*>(composite.row(y)), 40 * 3);
    EXPECT_EQ(fromWindow.substr(40 * 24 * 3, 40 * 24 * 3), expected);
}

TEST_F(RenderAvi, WithoutTheLibraryBesideItTheRenderFails) {
    // A copy of the program in a folder without AVIServ.so.
    const auto program = ReadFileBytes(MORVEL_RENDER_PATH);
    ASSERT_TRUE(program);
    const std::string copy = output.file("morvel-render");
    ASSERT_TRUE(WriteFileBytes(copy, *program));
    ASSERT_EQ(::chmod(copy.c_str(), 0755), 0);
    const std::string errors = output.file("errors.txt");
    const int status = std::system(("'" + copy + "' -q '" + project.file("Film.mvl") + "' '" +
                                    output.file("film.avi") + "' 2>'" + errors + "'")
                                       .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(testing::ReadText(errors).find("ErrorCode = 510-15-0"), std::string::npos);
    EXPECT_FALSE(IsRegularFile(output.file("film.avi")));
}

}  // namespace
}  // namespace morvel
