#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/about_text.h"
#include "codecs/jpeg_codec.h"
#include "codecs/picture_io.h"
#include "editor/canvas_film.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "export/image_sequence.h"
#include "platform/files.h"
#include "sequence/blend.h"
#include "session/project_lifecycle.h"
#include "test_support/exif_jpeg.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"
#include "tools/render_options.h"

namespace morvel {
namespace {

using testing::GreyMask;
using testing::MakePicture;
using testing::ReadText;
using testing::Rgb;
using testing::TempFolder;

ParsedRenderOptions parse(std::vector<std::string> arguments) {
    return ParseRenderOptions(arguments);
}

TEST(RenderOptions, FormatComesFromTheOptionOrTheOutputsExtension) {
    EXPECT_EQ(parse({"p.mvl", "out/frame.bmp"}).options.format, PictureFormat::Bmp);
    EXPECT_EQ(parse({"p.mvl", "out/frame.JPEG"}).options.format, PictureFormat::Jpeg);
    EXPECT_EQ(parse({"p.mvl", "out/frame.tif"}).options.format, PictureFormat::Png);
    EXPECT_EQ(parse({"p.mvl", "my.out/frame"}).options.format, PictureFormat::Png);
    EXPECT_EQ(parse({"-f", "jpg", "p.mvl", "frame.bmp"}).options.format, PictureFormat::Jpeg);
    EXPECT_EQ(parse({"--format=bmp", "p.mvl", "frame.png"}).options.format, PictureFormat::Bmp);
    EXPECT_NE(parse({"-f", "gif", "p.mvl", "o"}).error, "");
    EXPECT_NE(parse({"p.mvl", "o", "-f"}).error, "");
}

TEST(RenderOptions, FrameRangesMayLeaveOutEitherEnd) {
    auto options = parse({"--frames", "3-7", "p", "o"}).options;
    EXPECT_EQ(options.firstFrame, 3);
    EXPECT_EQ(options.lastFrame, 7);
    options = parse({"--frames=5-", "p", "o"}).options;
    EXPECT_EQ(options.firstFrame, 5);
    EXPECT_EQ(options.lastFrame, 0);
    options = parse({"--frames", "-4", "p", "o"}).options;
    EXPECT_EQ(options.firstFrame, 1);
    EXPECT_EQ(options.lastFrame, 4);
    options = parse({"--frames", "9", "p", "o"}).options;
    EXPECT_EQ(options.firstFrame, 9);
    EXPECT_EQ(options.lastFrame, 9);
    for (const char* bad : {"7-3", "0-2", "a-b", "", "1-2-3", "x"}) {
        EXPECT_NE(parse({"--frames", bad, "p", "o"}).error, "") << bad;
    }
}

TEST(RenderOptions, UsageErrorsAndInformation) {
    EXPECT_NE(parse({}).error, "");
    EXPECT_NE(parse({"only-one"}).error, "");
    EXPECT_NE(parse({"a", "b", "c"}).error, "");
    EXPECT_NE(parse({"--bogus", "a", "b"}).error, "");
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
    EXPECT_TRUE(parse({"-q", "a", "b"}).options.quiet);
    EXPECT_FALSE(parse({"a", "b"}).options.threads.has_value());
    EXPECT_EQ(parse({"-j", "0", "a", "b"}).options.threads, 0);
    EXPECT_EQ(parse({"--threads=3", "a", "b"}).options.threads, 3);
    for (const char* bad : {"-1", "x", "", "2x", "257"}) {
        EXPECT_NE(parse({"-j", bad, "a", "b"}).error, "") << bad;
    }
    EXPECT_EQ(parse({"--", "-a", "b"}).options.project, "-a");
}

struct RenderRun {
    int status = -1;
    std::string errors;
};

// Runs morvel-render with TMPDIR set to a folder of the test, so its working folder can be seen.
RenderRun render(const std::string& arguments, const std::string& temporaryFolder) {
    const std::string errorsFile = temporaryFolder + "stderr.txt";
    const std::string command = "TMPDIR='" + temporaryFolder + "' '" MORVEL_RENDER_PATH "' " +
                                arguments + " 2>'" + errorsFile + "' >/dev/null";
    RenderRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.errors = ReadText(errorsFile);
    ::unlink(errorsFile.c_str());
    return run;
}

std::string countBytes(std::int32_t n) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &n, 4);
    return bytes;
}

// A project written byte by byte: three frames, each with two layers and a mask beside it.
class Renderer : public ::testing::Test {
protected:
    TempFolder project;
    TempFolder output;
    TempFolder temporary;
    std::string projectFile;

    static Rgb layer1Colour(int x, int y, int frame) {
        return {std::uint8_t(x * 9 + frame), std::uint8_t(y * 20), 200};
    }
    static Rgb layer2Colour(int x, int y, int frame) {
        return {std::uint8_t(255 - x), std::uint8_t(frame * 40), std::uint8_t(y)};
    }
    static std::uint8_t maskValue(int x, int y, int frame) {
        return std::uint8_t((x * 17 + y * 31 + frame * 50) & 255);
    }

    void SetUp() override {
        std::string frames;
        for (int f = 0; f < 3; ++f) {
            const std::string l1 = project.file("take1_" + std::to_string(f) + ".png");
            const std::string l2 = project.file("take2_" + std::to_string(f) + ".bmp");
            ASSERT_TRUE(SavePictureFile(
                MakePicture(12, 8, [&](int x, int y) { return layer1Colour(x, y, f); }), l1,
                PictureFormat::Png));
            ASSERT_TRUE(SavePictureFile(
                MakePicture(12, 8, [&](int x, int y) { return layer2Colour(x, y, f); }), l2,
                PictureFormat::Bmp));
            MakeFolder(project.file("masks"));
            ASSERT_TRUE(SavePictureFile(
                GreyMask(12, 8, [&](int x, int y) { return maskValue(x, y, f); }),
                project.file("masks/Film_" + std::to_string(f + 1) + ".mask"), PictureFormat::Png));
            frames += l1 + "\r\n" + l2 + "\r\n\x01";
        }
        projectFile = project.write(
            "Film.mvl", "MORVEL 1.0\r\nFilm\r\n\r\n\r\nmasks\\$Project_$Nr.mask\r\n\r\n" +
                            countBytes(3) + frames);
    }
};

TEST_F(Renderer, RendersEveryFrameByTheBlendFormula) {
    const RenderRun run =
        render("-q '" + projectFile + "' '" + output.file("out.png") + "'", temporary.path());
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    for (int f = 0; f < 3; ++f) {
        Image frame;
        ASSERT_EQ(LoadPictureFile(output.file("out." + std::to_string(f + 1) + ".png"), frame),
                  LoadResult::Ok);
        ASSERT_EQ(frame.width(), 12);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 12; ++x) {
                const Rgb a = layer1Colour(x, y, f);
                const Rgb b = layer2Colour(x, y, f);
                const std::uint8_t m = maskValue(x, y, f);
                ASSERT_EQ(frame.red(x, y), MixComponents(a.r, b.r, m));
                ASSERT_EQ(frame.green(x, y), MixComponents(a.g, b.g, m));
                ASSERT_EQ(frame.blue(x, y), MixComponents(a.b, b.b, m));
            }
        }
    }
    // The private working folder is gone again.
    EXPECT_TRUE(ListFolder(temporary.path()).empty());
}

// The window's export of the same project writes the very same bytes.
TEST_F(Renderer, WritesTheSameBytesAsTheWindowsExport) {
    const RenderRun run =
        render("-q '" + projectFile + "' '" + output.file("cli.jpg") + "'", temporary.path());
    ASSERT_EQ(run.status, 0) << run.errors;
    TempFolder working;
    testing::RecordingShell shell;
    EditorTestState state(shell, working.path(), working.path());
    OpenProject(state.document, state.session, state.view, state.services, projectFile);
    shell.saveAnswers.push_back({output.file("window.png"), 2});
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    ASSERT_TRUE(shell.errors.empty());
    for (int k = 1; k <= 3; ++k) {
        const std::string cli = ReadText(output.file("cli." + std::to_string(k) + ".jpg"));
        EXPECT_FALSE(cli.empty());
        EXPECT_EQ(cli, ReadText(output.file("window." + std::to_string(k) + ".jpg")));
    }
}

TEST_F(Renderer, EveryFormatIsTheSameWithAnyNumberOfThreads) {
    for (const char* format : {"bmp", "png", "jpg"}) {
        for (const char* threads : {"0", "1", "3"}) {
            const std::string name = std::string("t") + threads;
            const RenderRun run = render("-q -j " + std::string(threads) + " '" + projectFile +
                                             "' '" + output.file(name + "." + format) + "'",
                                         temporary.path());
            ASSERT_EQ(run.status, 0) << run.errors;
        }
        for (int k = 1; k <= 3; ++k) {
            std::string suffix = ".";  // appended: GCC 12's -Wrestrict misreads "." + ...
            suffix += std::to_string(k) + "." + format;
            const std::string one = ReadText(output.file("t0" + suffix));
            EXPECT_FALSE(one.empty());
            EXPECT_EQ(ReadText(output.file("t1" + suffix)), one) << suffix;
            EXPECT_EQ(ReadText(output.file("t3" + suffix)), one) << suffix;
        }
    }
}

// A film whose first mask was painted on a sideways picture before pictures were turned upright
// (the mask has its stored size) renders that frame as it did, unturned, and the window shows
// it the same; the second frame's mask fits the upright picture.
TEST(OldFilm, RendersAsBeforeInTheRendererAndTheWindow) {
    TempFolder project;
    TempFolder output;
    TempFolder temporary;
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(testing::PatternPicture(32, 24), jpeg));
    const std::string sideways = project.write("side.jpg", testing::WithExifOrientation(jpeg, 6));
    MakeFolder(project.file("masks"));
    const int sizes[2][2] = {{32, 24}, {24, 32}};
    std::string frames;
    for (int f = 0; f < 2; ++f) {
        ASSERT_TRUE(SavePictureFile(GreyMask(sizes[f][0], sizes[f][1],
                                             [](int x, int y) { return std::uint8_t(x * 9 + y); }),
                                    project.file("masks/Film_" + std::to_string(f + 1) + ".mask"),
                                    PictureFormat::Png));
        frames += sideways + "\r\n\r\n\x01";
    }
    const std::string projectFile =
        project.write("Film.mvl", "MORVEL 1.0\r\nFilm\r\n\r\n\r\nmasks\\$Project_$Nr.mask\r\n\r\n" +
                                      countBytes(2) + frames);
    const RenderRun run =
        render("-q '" + projectFile + "' '" + output.file("out.png") + "'", temporary.path());
    ASSERT_EQ(run.status, 0) << run.errors;

    TempFolder working;
    testing::RecordingShell shell;
    EditorTestState state(shell, working.path(), working.path());
    OpenProject(state.document, state.session, state.view, state.services, projectFile);
    for (int f = 0; f < 2; ++f) {
        Image rendered;
        ASSERT_EQ(LoadPictureFile(output.file("out." + std::to_string(f + 1) + ".png"), rendered),
                  LoadResult::Ok);
        EXPECT_EQ(rendered.width(), sizes[f][0]) << f;
        EXPECT_EQ(rendered.height(), sizes[f][1]) << f;
        SelectFrame(state.document, state.session, state.view, state.services, f);
        EXPECT_TRUE(testing::SamePicture(state.session.images.composite, rendered)) << f;
    }
    const std::string& notice = state.services.language.texts[Text::ElseStoredorientation];
    EXPECT_EQ(std::count(shell.notices.begin(), shell.notices.end(), notice), 1);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Renderer, ARangeWritesOnlyItsFramesUnderTheirProjectNumbers) {
    const RenderRun run = render(
        "--frames 2- -f bmp '" + projectFile + "' '" + output.file("take") + "'", temporary.path());
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(IsRegularFile(output.file("take.1.bmp")));
    EXPECT_TRUE(IsRegularFile(output.file("take.2.bmp")));
    EXPECT_TRUE(IsRegularFile(output.file("take.3.bmp")));
    EXPECT_EQ(ReadText(output.file("take.2.bmp")).substr(0, 2), "BM");
}

TEST_F(Renderer, ErrorsArePrintedAsTheReporterWritesThemAndGiveStatusOne) {
    ::unlink(project.file("take1_1.png").c_str());
    // A file where the output's folder should be: the folder cannot be made, no frame written.
    output.write("plain", "");
    const RenderRun run =
        render("-q '" + projectFile + "' '" + output.file("plain/out.png") + "'", temporary.path());
    EXPECT_EQ(run.status, 1);
    const std::string missing =
        "Das Bild '" + project.file("take1_1.png") +
        "' konnte nicht geladen werden.\nÜberprüfen Sie ob sie es eventuell verschoben "
        "oder gelöscht haben.\nErrorCode = 120-2-1\n";
    // One message per frame that cannot be written, all in frame order: frame 2's picture is
    // missing, so its message comes between those of frames 1 and 2.
    const auto first = run.errors.find("out.1.png");
    const auto picture = run.errors.find(missing);
    const auto second = run.errors.find("out.2.png");
    const auto third = run.errors.find("out.3.png");
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(first, picture);
    EXPECT_LT(picture, second);
    EXPECT_LT(second, third);
    EXPECT_NE(run.errors.find("ErrorCode = 130-10-400"), std::string::npos);
}

// A picture that moved is found by --search without a question; a project file cut short is
// told on standard error.
TEST_F(Renderer, SearchesForMovedPicturesAndWarnsOfAProjectCutShort) {
    TempFolder moved;
    MakeFolder(moved.file("sub"));
    ASSERT_EQ(std::rename(project.file("take1_1.png").c_str(), moved.file("sub/take1_1.png").c_str()),
              0);
    RenderRun run = render("-q --search '" + moved.path() + "' '" + projectFile + "' '" +
                               output.file("out.png") + "'",
                           temporary.path());
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(IsRegularFile(output.file("out.2.png")));
    const std::string bytes = ReadText(projectFile);
    const std::string cut =
        project.write("Cut.mvl", bytes.substr(0, bytes.find(project.file("take1_2.png"))));
    run = render("-q --info '" + cut + "'", temporary.path());
    EXPECT_NE(run.errors.find("warning: Die Projektdatei ist unvollständig: nur 2 Bilder"),
              std::string::npos)
        << run.errors;
}

// Cameras name every card's pictures alike: a shoot of the same names beside the project, or two
// shoots in the folder searched, make the render refuse and name the folders; --search naming
// one of them takes it and says where the pictures were found.
TEST_F(Renderer, TakesAShootOnlyOnEvidence) {
    TempFolder cards;
    for (const char* folder : {"A", "B"}) MakeFolder(cards.file(folder));
    MakeFolder(project.file("B"));
    for (const FolderEntry& entry : ListFolder(project.path())) {
        if (!entry.isFile || entry.name.rfind("take", 0) != 0) continue;
        const std::string bytes = ReadText(project.file(entry.name));
        cards.write("B/" + entry.name, bytes);
        project.write("B/" + entry.name, bytes);
        ASSERT_EQ(std::rename(project.file(entry.name).c_str(), cards.file("A/" + entry.name).c_str()), 0);
    }
    const struct {
        std::string search;
        int status;
        std::vector<std::string> named;  // folders on standard error
    } cases[] = {
        {"", 1, {project.file("B/")}},
        {cards.path(), 1, {cards.file("A/"), cards.file("B/")}},
        {cards.file("A"), 0, {cards.file("A/") + " (6)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.search);
        const RenderRun run = render(
            "-q " + (c.search.empty() ? "" : "--search '" + c.search + "' ") + "'" + projectFile +
                "' '" + output.file("out.png") + "'",
            temporary.path());
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_EQ(IsRegularFile(output.file("out.1.png")), c.status == 0);
        for (const std::string& folder : c.named)
            EXPECT_NE(run.errors.find(folder), std::string::npos) << run.errors;
    }
}

TEST_F(Renderer, InfoPrintsWhatAScriptNeedsToSplitTheRender) {
    const std::string printed = temporary.file("info.txt");
    const std::string command =
        "'" MORVEL_RENDER_PATH "' --info '" + projectFile + "' >'" + printed + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadText(printed), "frames: 3\ndigits: 1\n");
    const RenderRun run = render("--info '" + project.file("none.mvl") + "'", temporary.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("ErrorCode = 320-8-2"), std::string::npos);
    EXPECT_EQ(render("--info a b", temporary.path()).status, 2);
}

TEST_F(Renderer, MakesTheOutputFolderWithItsParents) {
    struct Case {
        const char* format;
        std::vector<std::string> files;
    };
    const Case cases[] = {{"bmp", {"take.1.bmp", "take.2.bmp", "take.3.bmp"}},
                          {"avi", {"take.avi"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string folder = std::string("new-") + c.format + "/deeper/";
        const RenderRun run = render(std::string("-q -f ") + c.format + " '" + projectFile + "' '" +
                                         output.file(folder + "take") + "'",
                                     temporary.path());
        EXPECT_EQ(run.status, 0) << run.errors;
        for (const std::string& file : c.files)
            EXPECT_TRUE(IsRegularFile(output.file(folder + file))) << file;
    }
}

// The farm recipe of the guide: GNU parallel running two renders of one frame each at a time
// writes the files of one whole render.
TEST_F(Renderer, TheGnuParallelRecipeWritesTheFilesOfOneWholeRender) {
    if (std::system("parallel --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no GNU parallel";
    ASSERT_EQ(
        render("-q '" + projectFile + "' '" + output.file("whole/f.png") + "'", temporary.path())
            .status,
        0);
    const std::string command =
        "MORVEL_RENDER='" MORVEL_RENDER_PATH "' TMPDIR='" + temporary.path() +
        "' '" MORVEL_SOURCE_DIR "/scripts/farm/parallel-render' -j 2 -c 1 '" + projectFile + "' '" +
        output.file("farm/f.png") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(ListFolder(output.file("farm")).size(), 3u);
    for (int k = 1; k <= 3; ++k) {
        const std::string name = "/f." + std::to_string(k) + ".png";
        EXPECT_FALSE(ReadText(output.file("farm") + name).empty());
        EXPECT_EQ(ReadText(output.file("farm") + name), ReadText(output.file("whole") + name));
    }
    EXPECT_TRUE(ListFolder(temporary.path()).empty());
}

// Ctrl+C: the frames under way are finished (no file is left half-written), the working folder
// is removed and the status is 130.
TEST_F(Renderer, AnInterruptFinishesTheFramesUnderWayAndCleansUp) {
    const std::string picture = project.file("big.png");
    ASSERT_TRUE(SavePictureFile(testing::PatternPicture(640, 480), picture, PictureFormat::Png));
    std::string frames;
    for (int f = 0; f < 300; ++f)
        frames += picture + "\r\n" + (f % 2 ? picture : "") + "\r\n" + '\0';
    const std::string longProject = project.write(
        "Long.mvl", "MORVEL 1.0\r\nLong\r\n\r\n\r\nm\\$Nr.mask\r\n\r\n" + countBytes(300) + frames);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("TMPDIR", temporary.path().c_str(), 1);
        if (!std::freopen("/dev/null", "w", stderr)) ::_exit(126);
        ::execl(MORVEL_RENDER_PATH, "morvel-render", "-q", longProject.c_str(),
                output.file("long.png").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (ListFolder(output.path()).size() < 3) {
        ASSERT_EQ(::waitpid(child, &status, WNOHANG), 0) << "ended before the interrupt";
        ::usleep(2000);
    }
    ::kill(child, SIGINT);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const auto written = ListFolder(output.path());
    EXPECT_LT(written.size(), 300u);
    for (const auto& entry : written) {
        EXPECT_NE(entry.name[0], '.') << entry.name;  // no temporary file left behind
        Image frame;
        EXPECT_EQ(LoadPictureFile(output.file(entry.name), frame), LoadResult::Ok) << entry.name;
    }
    EXPECT_TRUE(ListFolder(temporary.path()).empty());
}

TEST_F(Renderer, UsageErrorsGiveStatusTwoAndAMissingProjectOne) {
    EXPECT_EQ(render("--frames 5-2 a b", temporary.path()).status, 2);
    EXPECT_EQ(render("", temporary.path()).status, 2);
    EXPECT_EQ(render("--help", temporary.path()).status, 0);
    // --version names the version the window's about box shows.
    const std::string version = temporary.file("version.txt");
    ASSERT_EQ(std::system(("'" MORVEL_RENDER_PATH "' --version >'" + version + "'").c_str()), 0);
    EXPECT_EQ(ReadText(version), "morvel-render " + ThisBuild().version + "\n");
    std::string arguments = "'";  // appended: GCC 12's -Wrestrict misreads "'" + ...
    arguments += project.file("none.mvl") + "' '" + output.file("o") + "'";
    const RenderRun run = render(arguments, temporary.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("ErrorCode = 320-8-2"), std::string::npos);
}

}  // namespace
}  // namespace morvel
