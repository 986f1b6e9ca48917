#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "codecs/picture_io.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
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
using testing::TempFolder;
using testing::ToolOutput;

TEST(RenderVideoOptions, TheFormatOrTheExtensionChoosesTheVideo) {
    struct Case {
        std::vector<std::string> arguments;
        std::optional<VideoFormat> video;
        bool avi;
        bool error;
    };
    const Case cases[] = {
        {{"-f", "mp4", "p.mvl", "film"}, VideoFormat::Mp4, false, false},
        {{"--format=MOV", "p.mvl", "film.png"}, VideoFormat::Mov, false, false},
        {{"p.mvl", "film.mp4"}, VideoFormat::Mp4, false, false},
        {{"p.mvl", "film.MOV"}, VideoFormat::Mov, false, false},
        {{"-f", "png", "p.mvl", "film.mp4"}, std::nullopt, false, false},
        {{"-f", "avi", "p.mvl", "film.mov"}, std::nullopt, true, false},
        {{"--sound", "a.wav", "p.mvl", "film.mov"}, VideoFormat::Mov, false, false},
        {{"--sound=a.wav", "p.mvl", "film.avi"}, std::nullopt, true, false},
        {{"--sound", "a.wav", "p.mvl", "film.png"}, std::nullopt, false, true},
        {{"p.mvl", "film.mov", "--sound"}, std::nullopt, false, true},
        {{"-f", "mkv", "p.mvl", "film"}, std::nullopt, false, true},
    };
    for (const Case& c : cases) {
        const ParsedRenderOptions parsed = ParseRenderOptions(c.arguments);
        SCOPED_TRACE(c.arguments.back());
        EXPECT_EQ(!parsed.error.empty(), c.error) << parsed.error;
        if (c.error) continue;
        EXPECT_EQ(parsed.options.video, c.video);
        EXPECT_EQ(parsed.options.avi, c.avi);
    }
    EXPECT_EQ(ParseRenderOptions({"--sound", "a.wav", "p", "f.mp4"}).options.sound, "a.wav");
    EXPECT_NE(std::string(kRenderUsage).find("--sound FILE"), std::string::npos);
}

// A project of three frames saved by the program, rendered by morvel-render.
class RenderVideo : public ::testing::Test {
protected:
    TempFolder project;
    TempFolder working;
    TempFolder output;
    testing::RecordingShell shell;
    EditorTestState state{shell, working.path(), project.path()};

    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            const std::string path = project.file(std::to_string(i) + "p.png");
            ASSERT_TRUE(SavePictureFile(GradientPicture(40, 24, i), path, PictureFormat::Png));
            state.document.frames.append().layerSource[0] = path;
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
        state.document.header = {project.file("Film.mvl"), "Film", "", "", "$Nr.mask", ""};
        SaveProject(state.document, state.session, state.view, state.services, false);
        ASSERT_TRUE(shell.errors.empty());
    }
    int render(const std::string& arguments) {
        const int status = std::system(("'" MORVEL_RENDER_PATH "' -q " + arguments + " '" +
                                        project.file("Film.mvl") + "' '" + output.file("film") +
                                        "' 2>/dev/null")
                                           .c_str());
        return WEXITSTATUS(status);
    }
};

TEST_F(RenderVideo, WritesEachFormatAtTheRate) {
    if (!testing::HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
    const std::pair<const char*, const char*> cases[] = {
        {"mp4", "h264,40,24,12/1,3\n"},
        {"mov", "prores,40,24,12/1,3\n"},
    };
    for (const auto& [format, probed] : cases) {
        ASSERT_EQ(render(std::string("--fps 12 -f ") + format), 0) << format;
        EXPECT_EQ(ToolOutput("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                                         "stream=codec_name,width,height,r_frame_rate,"
                                         "nb_read_frames",
                                         "-of", "csv=p=0", output.file(std::string("film.") + format)}),
                  probed);
    }
}

// Ten seconds of sound against a quarter second of film: only the film's span goes in.
TEST_F(RenderVideo, TheSoundGoesInAsLongAsTheFilm) {
    if (!testing::HaveTool("ffprobe") || !testing::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    const std::string wav = project.file("tone.wav");
    ASSERT_TRUE(testing::RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                            "sine=frequency=440:duration=10", wav}));
    const std::pair<const char*, const char*> cases[] = {
        {"mp4", "aac"}, {"mov", "pcm_s16le"}, {"avi", "pcm_s16le"}};
    for (const auto& [format, codec] : cases) {
        SCOPED_TRACE(format);
        ASSERT_EQ(render(std::string("--fps 12 -f ") + format + " --sound '" + wav + "'"), 0);
        const std::string path = output.file(std::string("film.") + format);
        EXPECT_EQ(ToolOutput("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type",
                                         "-of", "csv=p=0", path}),
                  "video\naudio\n");
        EXPECT_EQ(ToolOutput("ffprobe", {"-v", "error", "-select_streams", "a:0",
                                         "-show_entries", "stream=codec_name", "-of", "csv=p=0",
                                         path}),
                  std::string(codec) + "\n");
        const std::string pcm =
            ToolOutput("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "s16le", "-"});
        EXPECT_NEAR(double(pcm.size()) / 4 / 48000, 3.0 / 12, 1.0 / 12);
    }
}

TEST_F(RenderVideo, ASoundFileThatCannotBeReadWritesNoVideo) {
    ASSERT_TRUE(WriteFileBytes(project.file("noise.wav"), std::vector<std::uint8_t>(100, 7)));
    for (const char* format : {"mp4", "avi"}) {
        EXPECT_EQ(render(std::string("-f ") + format + " --sound '" + project.file("noise.wav") +
                         "'"),
                  1);
        EXPECT_FALSE(IsRegularFile(output.file(std::string("film.") + format)));
    }
    EXPECT_EQ(render("--sound '" + project.file("missing.wav") + "' -f mov"), 1);
}

// The first sample frame of a video's sound louder than a whisper, from its decoded PCM.
long long FirstHeard(const std::string& video) {
    const std::string pcm =
        ToolOutput("ffmpeg", {"-v", "error", "-i", video, "-map", "0:a", "-ac", "1", "-f", "s16le", "-"});
    for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
        const auto value = static_cast<std::int16_t>(static_cast<std::uint8_t>(pcm[i]) |
                                                     static_cast<std::uint8_t>(pcm[i + 1]) << 8);
        if (std::abs(value) > 1000) return static_cast<long long>(i / 2);
    }
    return -1;
}

// Without --sound a video carries the project's own track at its offset; --sound replaces it
// and starts with the first frame.
TEST_F(RenderVideo, TheProjectsOwnTrackGoesInAtItsOffset) {
    if (!testing::HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string track = project.file("voice.wav");
    const std::string other = project.file("music.wav");
    ASSERT_TRUE(testing::RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                            "sine=frequency=440:duration=2", track}));
    ASSERT_TRUE(testing::RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                            "sine=frequency=660:duration=2", other}));
    state.document.sound = {track, 2};
    SaveProject(state.document, state.session, state.view, state.services, false);
    struct Case {
        const char* format;
        std::string sound;
        long long heardFrom;  // sample frames at 48 kHz
    };
    const Case cases[] = {
        {"mp4", "", 8000}, {"mov", "", 8000}, {"avi", "", 8000},
        {"mov", " --sound '" + other + "'", 0}, {"avi", " --sound '" + other + "'", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + c.sound);
        ASSERT_EQ(render(std::string("--fps 12 -f ") + c.format + c.sound), 0);
        // Within a tenth of a frame; AAC's first block fades in.
        EXPECT_NEAR(FirstHeard(output.file(std::string("film.") + c.format)), c.heardFrom, 400);
    }
}

// The project's track, damaged after the save: told, and the video is written without sound.
TEST_F(RenderVideo, AnUnreadableProjectTrackIsToldAndLeftOut) {
    if (!testing::HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
    const std::string track = project.file("voice.wav");
    ASSERT_TRUE(WriteFileBytes(track, std::vector<std::uint8_t>(100, 7)));
    state.document.sound = {track, 0};
    SaveProject(state.document, state.session, state.view, state.services, false);
    for (const char* format : {"mp4", "avi"}) {
        EXPECT_EQ(render(std::string("--fps 12 -f ") + format), 1);
        EXPECT_EQ(ToolOutput("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type",
                                         "-of", "csv=p=0", output.file(std::string("film.") + format)}),
                  "video\n");
    }
}

}  // namespace
}  // namespace morvel
