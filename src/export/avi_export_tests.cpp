#include "editor/editor_test_state.h"
#include "export/avi_export.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "editor/canvas_film.h"
#include "editor/masks.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "export/stretch_picture.h"
#include "export/testing/acting_watch.h"
#include "platform/files.h"
#include "codecs/picture_io.h"
#include "platform/shared_library.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::ActingWatch;
using testing::GradientPicture;
using testing::ReadText;
using testing::RecordingShell;
using testing::SamePicture;
using testing::TempFolder;
using testing::UniformPicture;

// ---- the frame-rate answer and the writer record -------------------------------------------

// One range for playing and exporting: a rate outside it, or no rate, keeps the one offered.
TEST(FrameRate, AnswersFromOneToSixtyAreTakenOthersKeepTheOfferedRate) {
    const std::pair<const char*, int> cases[] = {
        {"25", 25}, {"60", 60},  {"1", 1},          {"61", 12}, {"127", 12},      {"300", 12},
        {"abc", 12}, {"-5", 12}, {"$1E", 30},       {"%11", 3}, {"", 12},         {"0", 12},
        {" \t24fps", 24}, {"+12", 12}, {"$3c", 60}, {"1e3", 1}, {"4294967321", 25},
    };
    for (const auto& [answer, rate] : cases)
        EXPECT_EQ(FrameRateFromAnswer(answer, 12), rate) << answer;
    EXPECT_EQ(ReadRequesterInteger("  -$10"), -16);
    EXPECT_EQ(ReadRequesterInteger("%1012"), 5);
    EXPECT_EQ(ReadRequesterInteger("x12"), 0);
}

TEST(FrameRate, TheWriterRecordHasItsByteLayout) {
    const AviWriterRecord record = MakeAviWriterRecord(0x0102, 0x030405, 127);
    unsigned char bytes[sizeof record];
    std::memcpy(bytes, &record, sizeof record);
    const unsigned char expected[20] = {0x02, 0x01, 0, 0, 0x05, 0x04, 0x03, 0, 0, 0,
                                        0,    0,    0, 0, 0,    0,    127,  0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, expected, 20), 0);
}

// ---- stretching ------------------------------------------------------------------------------

TEST(Stretch, ShrinksByAveragingAndEnlargesSmoothly) {
    const Image halves = testing::MakePicture(
        4, 2, [](int x, int) { return x < 2 ? testing::kBlack : testing::kWhite; });
    const Image shrunk = StretchPicture(halves, 2, 1);
    EXPECT_EQ(testing::DescribePicture(shrunk), "2x1\n  0/0/0 255/255/255");
    const Image thirds = StretchPicture(halves, 3, 1);
    EXPECT_EQ(thirds.red(1, 0), 128);  // covers one black and one white source pixel half each

    const Image two = testing::MakePicture(2, 1, {testing::kBlack, testing::kWhite});
    const Image wide = StretchPicture(two, 8, 3);
    ASSERT_EQ(wide.width(), 8);
    ASSERT_EQ(wide.height(), 3);
    EXPECT_EQ(wide.red(0, 0), 0);
    EXPECT_EQ(wide.red(7, 2), 255);
    for (int x = 1; x < 8; ++x) EXPECT_GE(wide.red(x, 1), wide.red(x - 1, 1));
    EXPECT_GT(wide.red(3, 1), 0);
    EXPECT_LT(wide.red(3, 1), 255);  // a ramp, not a hard edge

    const Image grey = UniformPicture(7, 5, {90, 91, 92});
    EXPECT_TRUE(SamePicture(StretchPicture(grey, 13, 2), UniformPicture(13, 2, {90, 91, 92})));
    EXPECT_TRUE(SamePicture(StretchPicture(halves, 4, 2), halves));
}

// ---- the library, called as the program calls it --------------------------------------------

// The library copied into a program folder of the test, as it lies beside the program.
class WithLibrary : public ::testing::Test {
protected:
    TempFolder programFolder;
    TempFolder output;
    void install(const std::string& library) {
        const auto bytes = ReadFileBytes(library);
        ASSERT_TRUE(bytes) << library;
        ASSERT_TRUE(WriteFileBytes(programFolder.file(AVISERV_FILE_NAME), *bytes));
    }
};

struct Entries {
    AVI_InitFunction init;
    OpenAVIforWriteFunction open;
    AddFrameToAVIFunction add;
    CloseAVIStreamsFunction close;
    AVI_QuitFunction quit;
};

TEST_F(WithLibrary, CallsInTheWrongOrderFailWithoutHarm) {
    install(AVISERV_LIBRARY_PATH);
    SharedLibrary library;
    ASSERT_TRUE(library.load(programFolder.file(AVISERV_FILE_NAME)));
    EXPECT_NE(ReadText("/proc/self/maps").find(programFolder.path()), std::string::npos);
    const Entries e{library.function<AVI_InitFunction>("AVI_Init"),
                    library.function<OpenAVIforWriteFunction>("OpenAVIforWrite"),
                    library.function<AddFrameToAVIFunction>("AddFrameToAVI"),
                    library.function<CloseAVIStreamsFunction>("CloseAVIStreams"),
                    library.function<AVI_QuitFunction>("AVI_Quit")};
    ASSERT_TRUE(e.init && e.open && e.add && e.close && e.quit);
    const Image picture = GradientPicture(32, 16);
    const AviBitmap bitmap{32, 16, static_cast<std::int32_t>(picture.stride()), picture.data()};
    const AviWriterRecord record = MakeAviWriterRecord(32, 16, 10);
    const std::string path = output.file("order.avi");

    EXPECT_EQ(e.quit(), 0);                       // before the start
    EXPECT_EQ(e.open(path.c_str(), &record), 0);  // before AVI_Init
    EXPECT_EQ(e.add(&bitmap, -1), 0);             // before the open
    EXPECT_EQ(e.close(), 0);                      // without an open
    ASSERT_NE(e.init(), 0);
    EXPECT_EQ(e.add(&bitmap, -1), 0);
    EXPECT_EQ(e.close(), 0);
    EXPECT_EQ(e.open(nullptr, &record), 0);
    EXPECT_EQ(e.open(path.c_str(), nullptr), 0);
    const AviWriterRecord noRate = MakeAviWriterRecord(32, 16, -3);
    EXPECT_EQ(e.open(path.c_str(), &noRate), 0);
    EXPECT_EQ(e.open(output.file("no/such/folder.avi").c_str(), &record), 0);
    ASSERT_NE(e.open(path.c_str(), &record), 0);
    EXPECT_EQ(e.open(output.file("second.avi").c_str(), &record), 0);  // one video at a time
    EXPECT_EQ(e.add(nullptr, -1), 0);
    const AviBitmap smaller{31, 16, bitmap.stride, bitmap.pixels};
    EXPECT_EQ(e.add(&smaller, -1), 0);
    EXPECT_EQ(e.add(&bitmap, -1), 1);
    EXPECT_EQ(e.close(), 1);
    EXPECT_EQ(e.close(), 0);  // closed twice
    EXPECT_EQ(e.add(&bitmap, -1), 0);
    EXPECT_EQ(e.quit(), 1);
    EXPECT_EQ(e.quit(), 0);  // quit twice
    EXPECT_FALSE(IsRegularFile(output.file("second.avi")));

    // Quitting with a video still open completes the video.
    ASSERT_NE(e.init(), 0);
    ASSERT_NE(e.open(output.file("left-open.avi").c_str(), &record), 0);
    EXPECT_EQ(e.add(&bitmap, -1), 1);
    EXPECT_EQ(e.quit(), 1);
    if (testing::HaveTool("ffprobe")) {
        EXPECT_EQ(testing::ToolOutput("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                                                  "stream=nb_read_frames", "-of", "csv=p=0",
                                                  output.file("left-open.avi")}),
                  "1\n");
    }
}

// Over 1 GB a video needs the OpenDML index (a second RIFF "AVIX" and index chunks) to stay
// playable and seekable. Writes 1.2 GB, so it runs only when asked for.
TEST_F(WithLibrary, AVideoOverOneGigabyteStaysPlayable) {
    if (!std::getenv("MORVEL_LARGE_TESTS")) GTEST_SKIP() << "set MORVEL_LARGE_TESTS=1 to run";
    if (!testing::HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
    ::setenv(AVISERV_CODEC_VARIABLE, "rgb", 1);
    install(AVISERV_LIBRARY_PATH);
    SharedLibrary library;
    ASSERT_TRUE(library.load(programFolder.file(AVISERV_FILE_NAME)));
    ASSERT_NE(library.function<AVI_InitFunction>("AVI_Init")(), 0);
    const AviWriterRecord record = MakeAviWriterRecord(1920, 1080, 25);
    const std::string path = output.file("large.avi");
    ASSERT_NE(library.function<OpenAVIforWriteFunction>("OpenAVIforWrite")(path.c_str(), &record),
              0);
    Image picture = *Image::create(1920, 1080);
    for (int i = 0; i < 200; ++i) {
        picture.fill(static_cast<std::uint8_t>(i), 0, 0);
        const AviBitmap bitmap{1920, 1080, static_cast<std::int32_t>(picture.stride()),
                               picture.data()};
        ASSERT_EQ(library.function<AddFrameToAVIFunction>("AddFrameToAVI")(&bitmap, -1), 1);
    }
    EXPECT_EQ(library.function<CloseAVIStreamsFunction>("CloseAVIStreams")(), 1);
    library.function<AVI_QuitFunction>("AVI_Quit")();
    ::unsetenv(AVISERV_CODEC_VARIABLE);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_GT(info.st_size, std::int64_t{1} << 30);
    EXPECT_EQ(testing::ToolOutput("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                                              "stream=nb_read_frames", "-of", "csv=p=0", path}),
              "200\n");
    // Seeking into the second RIFF part finds the right frame.
    const std::string frame =
        testing::ToolOutput("ffmpeg", {"-v", "error", "-ss", "7.9", "-i", path, "-frames:v", "1",
                                       "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_GE(frame.size(), 3u);
    EXPECT_EQ(static_cast<std::uint8_t>(frame[0]), 198);
    ::unlink(path.c_str());
}

// ---- the export -------------------------------------------------------------------------------

class AviExport : public WithLibrary {
protected:
    TempFolder workingFolder;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), programFolder.path()};
    std::string logFile = output.file("calls.log");

    void SetUp() override {
        ::setenv("AVISERV_FAKE_LOG", logFile.c_str(), 1);
        ::unsetenv(AVISERV_CODEC_VARIABLE);
    }
    void TearDown() override {
        ::unsetenv("AVISERV_FAKE_LOG");
        ::unsetenv(AVISERV_CODEC_VARIABLE);
    }
    void installFake(const std::string& name) { install(FAKE_AVISERV_FOLDER + name + ".so"); }

    // Frames with layer 1 = a picture of the given size.
    void addFrame(const Image& picture) {
        const std::string path = workingFolder.file(std::to_string(state.document.frames.size()) + "p.png");
        ASSERT_TRUE(SavePictureFile(picture, path, PictureFormat::Png));
        state.document.frames.append().layerSource[0] = path;
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    }
    // The playback rate that the rate requester offers.
    static constexpr int kPlaybackRate = 24;
    void exportAs(const std::string& name, const std::string& rate, SoundPlacement sound = {},
                  BackgroundWatch* watch = nullptr) {
        shell.saveAnswers.push_back({output.file(name), 0});
        shell.textAnswers.push_back(rate);
        ExportAviVideo(FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
                       state.services.files.libraryFolder, kPlaybackRate,
                       [&] { StoreDisplayedMask(state.document, state.session, state.services); },
                       sound, watch);
    }
    std::vector<std::string> calls() {
        std::vector<std::string> lines;
        std::string text = ReadText(logFile);
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    std::vector<std::string> codes() {
        std::vector<std::string> found;
        for (const auto& text : shell.errorTexts())
            found.push_back(text.substr(text.rfind("= ") + 2));
        return found;
    }
};

TEST_F(AviExport, CallsTheLibraryInOrderWithTheRecordAndEveryFrameAtTheFirstSize) {
    installFake("fake_aviserv_ok");
    addFrame(UniformPicture(6, 4, {10, 10, 10}));
    addFrame(UniformPicture(12, 8, {20, 20, 20}));
    addFrame(UniformPicture(3, 3, {30, 30, 30}));
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    exportAs("clip.mpg", "300");  // past the rates a film plays at: the offered one
    ASSERT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_EQ(shell.saveRequests[0].title, "AVI-Video speichern");
    EXPECT_EQ(shell.saveRequests[0].initialName, "film");
    EXPECT_EQ(shell.saveRequests[0].filter, "AVI-Videos (*.avi)|*.avi");
    ASSERT_EQ(shell.textRequests.size(), 1u);
    EXPECT_EQ(shell.textRequests[0].title, "Bildrate ?");
    EXPECT_EQ(shell.textRequests[0].message,
              "Geben sie an wie viele Bilder pro Sekunde (FPS) das Video abspielen soll (1 bis 60).");
    EXPECT_EQ(shell.textRequests[0].defaultText, "24");
    // The video is written beside its name and put in place once complete.
    std::vector<std::string> log = calls();
    ASSERT_GE(log.size(), 2u);
    const std::string staged = log[1].substr(16, log[1].find(' ', 16) - 16);
    EXPECT_EQ(FolderPart(staged), output.path());
    EXPECT_TRUE(IsStagingName(FilePart(staged))) << staged;
    EXPECT_NE(FilePart(staged).find("clip.avi"), std::string::npos);
    EXPECT_FALSE(IsRegularFile(staged));
    EXPECT_TRUE(IsRegularFile(output.file("clip.avi")));
    log[1].replace(16, staged.size(), output.file("clip.avi"));
    const std::vector<std::string> expected = {"AVI_Init",
                                               "OpenAVIforWrite " + output.file("clip.avi") +
                                                   " 06000000040000000000000000000000" + "18000000",
                                               "AddFrameToAVI 6x4 10 -1",
                                               "AddFrameToAVI 6x4 20 -1",
                                               "AddFrameToAVI 6x4 30 -1",
                                               "CloseAVIStreams",
                                               "AVI_Quit"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(shell.notices.back(), "Export fertig: clip.avi in " + output.path());
    // Unloaded at the end: nothing of the program folder's library is mapped any more.
    EXPECT_EQ(ReadText("/proc/self/maps").find(programFolder.path()), std::string::npos);
    EXPECT_EQ(state.session.cache.displayedIndex, 1);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 20);
}

TEST_F(AviExport, AProjectWithoutFramesOpensNoVideoButClosesAndQuits) {
    installFake("fake_aviserv_ok");
    exportAs("empty", "25");
    EXPECT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_TRUE(shell.textRequests.empty());
    EXPECT_EQ(calls(), (std::vector<std::string>{"AVI_Init", "CloseAVIStreams", "AVI_Quit"}));
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AviExport, CancellingTheRequesterQuitsTheLibrary) {
    installFake("fake_aviserv_ok");
    addFrame(UniformPicture(6, 4, {10, 10, 10}));
    ExportAviVideo(FilmOf(state.document, state.session), state.services.shell, state.services.language.texts,
                   state.services.files.libraryFolder, kPlaybackRate,
                   [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    EXPECT_TRUE(shell.textRequests.empty());
    EXPECT_EQ(calls(), (std::vector<std::string>{"AVI_Init", "AVI_Quit"}));
}

TEST_F(AviExport, LibraryFailuresGiveTheirErrors) {
    struct Case {
        const char* library;  // "" none, "text" a file that is no library
        std::vector<std::string> codes;
        std::vector<std::string> calls;
        bool requested;
    };
    const Case cases[] = {
        {"", {"510-15-0"}, {}, false},
        {"text", {"510-15-0"}, {}, false},
        {"fake_aviserv_init_fails", {"510-15-1"}, {"AVI_Init"}, false},
        {"fake_aviserv_without_init", {"510-15-1"}, {}, false},
        {"fake_aviserv_without_open", {"530-15-0"}, {"AVI_Init", "AVI_Quit"}, true},
        {"fake_aviserv_add_fails",
         {"530-15-1", "530-15-1"},
         {"AVI_Init", "OpenAVIforWrite", "AddFrameToAVI", "AddFrameToAVI", "CloseAVIStreams",
          "AVI_Quit"},
         true},
    };
    addFrame(UniformPicture(6, 4, {10, 10, 10}));
    addFrame(UniformPicture(6, 4, {20, 20, 20}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        ::unlink(programFolder.file(AVISERV_FILE_NAME).c_str());
        ::unlink(logFile.c_str());
        if (std::string(c.library) == "text") {
            programFolder.write(AVISERV_FILE_NAME, "not a library");
        } else if (*c.library) {
            installFake(c.library);
        }
        shell.errors.clear();
        shell.saveRequests.clear();
        SelectFrame(state.document, state.session, state.view, state.services, 1);
        exportAs("v", "25");
        EXPECT_EQ(codes(), c.codes);
        std::vector<std::string> names;
        for (const std::string& call : calls()) names.push_back(call.substr(0, call.find(' ')));
        EXPECT_EQ(names, c.calls);
        EXPECT_EQ(shell.saveRequests.size(), c.requested ? 1u : 0u);
        EXPECT_EQ(state.session.cache.displayedIndex, 1);
        shell.textAnswers.clear();
    }
}

TEST_F(AviExport, AVideoThatCannotBeOpenedIsNotClosed) {
    installFake("fake_aviserv_open_fails");
    addFrame(UniformPicture(6, 4, {10, 10, 10}));
    addFrame(UniformPicture(6, 4, {20, 20, 20}));
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    exportAs("v", "30");
    EXPECT_EQ(codes(), std::vector<std::string>{"530-15-0"});
    const auto log = calls();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "AVI_Init");
    EXPECT_EQ(log[1].substr(0, 16), "OpenAVIforWrite ");
    EXPECT_EQ(log[1].substr(log[1].size() - 8), "1e000000");
    EXPECT_EQ(log[2], "AVI_Quit");
    EXPECT_EQ(state.session.cache.displayedIndex, 1);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 20);
}

// The video goes in place only when complete: Cancel or a refused frame leave nothing under its
// name nor beside it, and the library is closed and quit all the same.
TEST_F(AviExport, CancelOrARefusedFrameLeaveNoVideo) {
    const struct {
        const char* library;
        bool cancel;
        std::size_t errors;
        const char* notice;
    } cases[] = {
        {"fake_aviserv_ok", true, 0, "Export abgebrochen: keine Datei geschrieben."},
        {"fake_aviserv_add_fails", false, 12, "Export beendet: keine Datei geschrieben."},
    };
    for (int i = 0; i < 12; ++i) addFrame(UniformPicture(6, 4, {10, 10, 10}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library);
        ::unlink(logFile.c_str());
        installFake(c.library);
        shell.errors.clear();
        ActingWatch watch;
        if (c.cancel) watch.act = [](BackgroundJob& job) { job.cancel(); };
        exportAs("v", "25", {}, &watch);
        EXPECT_EQ(shell.errors.size(), c.errors);
        EXPECT_EQ(shell.notices.back(), c.notice);
        const auto log = calls();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 2], "CloseAVIStreams");
        EXPECT_EQ(log.back(), "AVI_Quit");
        EXPECT_TRUE(!c.cancel || log.size() < 12u + 4u);
        ASSERT_EQ(ListFolder(output.path()).size(), 1u);  // the log alone
    }
}

// A tmpfs of a few pages as the target, filled up (skipped where mounting is refused): the
// library's failures are reported and nothing is left, under the video's name or beside it.
TEST_F(AviExport, AFullDiskLeavesNoVideo) {
    install(AVISERV_LIBRARY_PATH);
    for (int i = 0; i < 8; ++i) addFrame(GradientPicture(320, 240, i + 1, 64));
    const std::string target = output.file("full/");
    ASSERT_TRUE(MakeFolder(target));
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    exportAs("full/v", "25");
    const auto left = ListFolder(target);
    ::umount2(target.c_str(), MNT_DETACH);
    EXPECT_TRUE(left.empty()) << left.front().name;
    ASSERT_FALSE(codes().empty());
    for (const std::string& code : codes()) EXPECT_EQ(code.substr(0, 7), "530-15-") << code;
    EXPECT_EQ(shell.notices.back(), "Export beendet: keine Datei geschrieben.");
}

// Written on the worker, the video has the bytes the same frames give written on this thread.
TEST_F(AviExport, TheWorkerWritesTheBytesOfAVideoWrittenHere) {
    install(AVISERV_LIBRARY_PATH);
    for (int i = 0; i < 4; ++i) addFrame(GradientPicture(64, 48, i + 1));
    ActingWatch watch;
    exportAs("worker", "25", {}, &watch);
    AviVideoJob job;
    job.path = output.file("here.avi");
    job.frameRate = [] { return 25; };
    job.readers = 0;
    ASSERT_TRUE(RenderAviVideo(FilmOf(state.document, state.session), state.services.reporter(),
                               state.services.files.libraryFolder, job));
    const std::string written = ReadText(output.file("worker.avi"));
    EXPECT_GT(written.size(), 4000u);
    EXPECT_EQ(written, ReadText(output.file("here.avi")));
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(watch.labels.front().substr(0, 12), "Bild 1 von 4");
}

// A library with the sound entry writes the sound as PCM beside the frames; one without it (as
// every library before it) is called as before and writes the frames alone.
TEST_F(AviExport, TheSoundGoesInWhereTheLibraryTakesIt) {
    if (!testing::HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
    SoundSamples sound;
    sound.samples.assign(SoundSamples::kRate * 2 * 2, 0.25f);  // 2 s, longer than the film
    for (int i = 0; i < 5; ++i) addFrame(GradientPicture(32, 16, i + 1));
    struct Case {
        const char* library;
        const char* streams;
        bool logged;
    };
    const Case cases[] = {
        {"fake_aviserv_ok", "", true},
        {AVISERV_LIBRARY_PATH, "video\naudio\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        if (c.logged) {
            installFake(c.library);
        } else {
            install(c.library);
        }
        exportAs("talk", "10", {&sound, 0});
        EXPECT_TRUE(shell.errors.empty());
        if (c.logged) {
            EXPECT_EQ(calls().size(), 9u);  // init, open, five frames, close, quit
            continue;
        }
        const std::string path = output.file("talk.avi");
        EXPECT_EQ(testing::ToolOutput("ffprobe", {"-v", "error", "-show_entries",
                                                  "stream=codec_type", "-of", "csv=p=0", path}),
                  c.streams);
        EXPECT_EQ(testing::ToolOutput("ffprobe", {"-v", "error", "-select_streams", "a:0",
                                                  "-show_entries",
                                                  "stream=codec_name,sample_rate,channels", "-of",
                                                  "csv=p=0", path}),
                  "pcm_s16le,48000,2\n");
        // As long as the five frames at 10 per second, the level kept.
        const std::string pcm = testing::ToolOutput(
            "ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "s16le", "-"});
        EXPECT_NEAR(double(pcm.size()) / 4 / SoundSamples::kRate, 0.5, 0.1);
        ASSERT_GE(pcm.size(), 2u);
        EXPECT_EQ(std::int16_t(std::uint8_t(pcm[0]) | std::uint8_t(pcm[1]) << 8), 8192);
    }
}

// ---- the videos the library writes, read back by FFmpeg's own tools ---------------------------

struct VideoInfo {
    std::string codec;
    int width = 0;
    int height = 0;
    std::string rate;
    int frames = 0;
};

VideoInfo probe(const std::string& path) {
    const std::string text = testing::ToolOutput(
        "ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                    "stream=codec_name,width,height,r_frame_rate,nb_read_frames", "-of",
                    "default=nw=1", path});
    VideoInfo info;
    const auto field = [&](const std::string& name) {
        const auto at = text.find(name + "=");
        if (at == std::string::npos) return std::string();
        const auto start = at + name.size() + 1;
        return text.substr(start, text.find('\n', start) - start);
    };
    info.codec = field("codec_name");
    info.width = std::atoi(field("width").c_str());
    info.height = std::atoi(field("height").c_str());
    info.rate = field("r_frame_rate");
    info.frames = std::atoi(field("nb_read_frames").c_str());
    return info;
}

// Every frame of the video decoded by ffmpeg as RGB.
std::vector<Image> decode(const std::string& path, int width, int height) {
    const std::string raw = testing::ToolOutput(
        "ffmpeg", {"-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    std::vector<Image> frames;
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3;
    for (std::size_t at = 0; frameBytes > 0 && at + frameBytes <= raw.size(); at += frameBytes) {
        Image image = *Image::create(width, height);
        for (int y = 0; y < height; ++y)
            std::memcpy(image.row(y), raw.data() + at + static_cast<std::size_t>(y) * width * 3,
                        static_cast<std::size_t>(width) * 3);
        frames.push_back(std::move(image));
    }
    return frames;
}

double psnr(const Image& a, const Image& b) {
    double squares = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width() * 3; ++x) {
            const double d = double(a.row(y)[x]) - double(b.row(y)[x]);
            squares += d * d;
        }
    const double mean = squares / (double(a.width()) * a.height() * 3);
    return mean == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mean);
}

class WrittenVideo : public AviExport, public ::testing::WithParamInterface<const char*> {};

TEST_P(WrittenVideo, FfprobeReadsItAndFfmpegDecodesTheComposites) {
    if (!testing::HaveTool("ffprobe") || !testing::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    const std::string codec = GetParam();
    if (!codec.empty()) ::setenv(AVISERV_CODEC_VARIABLE, codec.c_str(), 1);
    install(AVISERV_LIBRARY_PATH);
    addFrame(GradientPicture(96, 64, 1));
    addFrame(GradientPicture(96, 64, 2));
    addFrame(GradientPicture(150, 90, 3));  // stretched to the first frame's size
    addFrame(GradientPicture(96, 64, 4));
    exportAs("film", "25");
    ASSERT_TRUE(shell.errors.empty()) << shell.errorTexts()[0];

    const VideoInfo info = probe(output.file("film.avi"));
    EXPECT_EQ(info.codec, codec == "ffv1" ? "ffv1" : codec == "rgb" ? "rawvideo" : "mjpeg");
    EXPECT_EQ(info.width, 96);
    EXPECT_EQ(info.height, 64);
    EXPECT_EQ(info.rate, "25/1");
    EXPECT_EQ(info.frames, 4);

    const std::vector<Image> frames = decode(output.file("film.avi"), 96, 64);
    ASSERT_EQ(frames.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        state.session.cache.displayedId = state.document.frames.at(i).id;
        ComposeFrame(state.document, state.session, state.view, state.services, 0);
        Image composite = state.session.images.composite;
        if (composite.width() != 96) composite = StretchPicture(composite, 96, 64);
        if (codec.empty()) {
            EXPECT_GT(psnr(frames[i], composite), 40.0);
        } else {
            EXPECT_TRUE(SamePicture(frames[i], composite));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, WrittenVideo, ::testing::Values("", "ffv1", "rgb"),
                         [](const auto& info) {
                             return std::string(*info.param ? info.param : "mjpeg");
                         });

}  // namespace
}  // namespace morvel
