#include "editor/editor_test_state.h"
#include "export/video_export.h"
#include "export/video_export_dialog.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <cstring>

#include "codecs/picture_io.h"
#include "editor/canvas_film.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "export/stretch_picture.h"
#include "export/testing/acting_watch.h"
#include "platform/files.h"
#include "project/name_template.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::RecordingShell;
using testing::TempFolder;

// ---- the sound's span of the film -------------------------------------------------------------

TEST(SoundSpan, TakesTheFilmsSpanAndFillsTheRestWithSilence) {
    SoundSamples sound;
    for (int i = 0; i < 10; ++i) sound.samples.insert(sound.samples.end(), {float(i), -float(i)});
    struct Case {
        int offsetFrames, firstFrame;
        std::int64_t begin, end;
        std::vector<float> left;  // the left channel expected; the right is its negative
    };
    // At 48000 frames per second one film frame is one sample frame.
    const Case cases[] = {
        {0, 0, 0, 4, {0, 1, 2, 3}},
        {2, 0, 0, 4, {0, 0, 0, 1}},       // the sound starts two frames late
        {-3, 0, 0, 2, {3, 4}},            // it started before the film
        {0, 5, 0, 3, {5, 6, 7}},          // a range starting at frame 5
        {0, 0, 8, 12, {8, 9, 0, 0}},      // it ends before the film
        {0, 0, 20, 22, {0, 0}},           // long after its end
        {30, 0, 0, 2, {0, 0}},            // long before its start
    };
    std::vector<float> out;
    for (const Case& c : cases) {
        SoundSpan({&sound, c.offsetFrames}, SoundSamples::kRate, c.firstFrame, c.begin, c.end, out);
        ASSERT_EQ(out.size(), c.left.size() * 2);
        for (std::size_t i = 0; i < c.left.size(); ++i) {
            EXPECT_EQ(out[2 * i], c.left[i]) << c.offsetFrames << " " << c.firstFrame << " " << i;
            EXPECT_EQ(out[2 * i + 1], -c.left[i] + 0.0f);
        }
    }
    SoundSpan({nullptr, 0}, 24, 0, 0, 3, out);
    EXPECT_EQ(out, std::vector<float>(6, 0.0f));
    EXPECT_EQ(SoundFramesBefore(24, 24), 48000);
    EXPECT_EQ(SoundFramesBefore(1, 30), 1600);
}

// ---- videos written and read back by FFmpeg's own tools ---------------------------------------

std::string field(const std::string& text, const std::string& name) {
    const auto at = text.find(name + "=");
    if (at == std::string::npos) return {};
    const auto start = at + name.size() + 1;
    return text.substr(start, text.find('\n', start) - start);
}

std::string probeStream(const std::string& path, const char* stream, const char* entries) {
    return testing::ToolOutput("ffprobe", {"-v", "error", "-select_streams", stream,
                                           "-show_entries", entries, "-of", "default=nw=1", path});
}

std::vector<Image> decodePictures(const std::string& path, int width, int height) {
    // Chroma brought back to full resolution with care, as an editor's player does.
    const std::string raw = testing::ToolOutput(
        "ffmpeg", {"-v", "error", "-i", path, "-sws_flags", "bicubic+accurate_rnd+full_chroma_int",
                   "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    std::vector<Image> frames;
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3;
    for (std::size_t at = 0; at + frameBytes <= raw.size(); at += frameBytes) {
        Image image = *Image::create(width, height);
        for (int y = 0; y < height; ++y)
            std::memcpy(image.row(y), raw.data() + at + static_cast<std::size_t>(y) * width * 3,
                        static_cast<std::size_t>(width) * 3);
        frames.push_back(std::move(image));
    }
    return frames;
}

std::vector<float> decodeLeftChannel(const std::string& path) {
    const std::string raw =
        testing::ToolOutput("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "f32le",
                                       "-ac", "2", "-ar", "48000", "-"});
    std::vector<float> left(raw.size() / 8);
    for (std::size_t i = 0; i < left.size(); ++i) std::memcpy(&left[i], raw.data() + 8 * i, 4);
    return left;
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

class VideoExport : public ::testing::Test {
protected:
    TempFolder workingFolder;
    TempFolder output;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), workingFolder.path()};

    void addFrame(const Image& picture) {
        const std::string path =
            workingFolder.file(std::to_string(state.document.frames.size()) + "p.png");
        ASSERT_TRUE(SavePictureFile(picture, path, PictureFormat::Png));
        state.document.frames.append().layerSource[0] = path;
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    }
    VideoResult write(VideoJob job) {
        return WriteVideo(FilmOf(state.document, state.session), state.services.reporter(), job);
    }
    std::vector<std::string> codes() {
        std::vector<std::string> found;
        for (const auto& text : shell.errorTexts())
            found.push_back(text.substr(text.rfind("= ") + 2));
        return found;
    }
    // Nothing beside the target: no staging file left behind.
    bool onlyFiles(const std::vector<std::string>& names) {
        auto entries = ListFolder(output.path());
        std::vector<std::string> found;
        for (const auto& entry : entries) found.push_back(entry.name);
        std::sort(found.begin(), found.end());
        return found == names;
    }
};

TEST_F(VideoExport, DecodesBackToTheComposedFramesWithTheSoundAlignedToAFrame) {
    if (!testing::HaveTool("ffprobe") || !testing::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    struct Case {
        VideoFormat format;
        const char* video;
        const char* pixels;
        const char* audio;
        double minimumPsnr;
    };
    const Case cases[] = {
        {VideoFormat::Mp4, "h264", "yuv420p", "aac", 34.0},
        {VideoFormat::Mov, "prores", "yuv422p10le", "pcm_s16le", 40.0},
    };
    const int fps = 12;
    const int frames = 6;
    for (int i = 0; i < frames; ++i) addFrame(GradientPicture(i == 3 ? 150 : 96, i == 3 ? 90 : 64, i + 1, 4));
    // A click at the sound's frame 2; the sound starts one frame into the film and goes on far
    // longer than the film.
    SoundSamples sound;
    sound.samples.assign(static_cast<std::size_t>(SoundSamples::kRate) * 10 * 2, 0.0f);
    const std::size_t click = static_cast<std::size_t>(2 * SoundSamples::kRate / fps);
    for (std::size_t i = click; i < click + 200; ++i) sound.samples[2 * i] = 0.8f;
    for (const Case& c : cases) {
        SCOPED_TRACE(VideoExtension(c.format));
        const std::string path = output.file(std::string("film") + VideoExtension(c.format));
        VideoJob job;
        job.path = path;
        job.format = c.format;
        job.fps = fps;
        job.sound = {&sound, 1};
        ASSERT_EQ(write(job), VideoResult::Written);
        ASSERT_TRUE(shell.errors.empty()) << shell.errorTexts()[0];

        const std::string video = probeStream(
            path, "v:0", "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_frames");
        EXPECT_EQ(field(video, "codec_name"), c.video);
        EXPECT_EQ(field(video, "pix_fmt"), c.pixels);
        EXPECT_EQ(field(video, "width"), "96");
        EXPECT_EQ(field(video, "height"), "64");
        EXPECT_EQ(field(video, "r_frame_rate"), "12/1");
        EXPECT_EQ(field(video, "nb_frames"), "6");
        const std::string audio = probeStream(path, "a:0", "stream=codec_name,duration");
        EXPECT_EQ(field(audio, "codec_name"), c.audio);
        EXPECT_NEAR(std::atof(field(audio, "duration").c_str()), double(frames) / fps, 1.0 / fps);

        const std::vector<Image> decoded = decodePictures(path, 96, 64);
        ASSERT_EQ(decoded.size(), std::size_t(frames));
        for (int i = 0; i < frames; ++i) {
            state.session.cache.displayedId = state.document.frames.at(i).id;
            ComposeFrame(state.document, state.session, state.view, state.services, 0);
            Image composite = state.session.images.composite;
            if (composite.width() != 96) composite = StretchPicture(composite, 96, 64);
            EXPECT_GE(psnr(decoded[i], composite), c.minimumPsnr) << "frame " << i;
        }
        // The click lands at film frame 3 (its frame 2, one frame late), to a few samples.
        const std::vector<float> left = decodeLeftChannel(path);
        const auto loud = std::find_if(left.begin(), left.end(), [](float v) { return v > 0.3f; });
        ASSERT_NE(loud, left.end());
        EXPECT_NEAR(double(loud - left.begin()), 3.0 * SoundSamples::kRate / fps, 64.0);
    }
    EXPECT_TRUE(onlyFiles({"film.mov", "film.mp4"}));
}

TEST_F(VideoExport, FailuresLeaveNothingUnderTheTargetsName) {
    addFrame(GradientPicture(64, 48, 1));
    addFrame(GradientPicture(64, 48, 2));
    ASSERT_TRUE(MakeFolder(output.file("a folder.mp4")));
    struct Case {
        const char* name;
        long fileSizeLimit;  // 0: none; a small one stands for a full disk
        bool stop;
        VideoResult result;
        std::vector<std::string> codes;
    };
    const Case cases[] = {
        {"no/such/folder/film.mp4", 0, false, VideoResult::Failed, {"130-15-20"}},
        {"a folder.mp4", 0, false, VideoResult::Failed, {"130-15-20"}},
        {"full.mov", 1024, false, VideoResult::Failed, {"130-15-21"}},
        {"stopped.mp4", 0, true, VideoResult::Stopped, {}},
    };
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ::getrlimit(RLIMIT_FSIZE, &original);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shell.errors.clear();
        VideoJob job;
        job.path = output.file(c.name);
        job.format = FileExtension(c.name) == "mov" ? VideoFormat::Mov : VideoFormat::Mp4;
        int asked = 0;
        job.stopRequested = [&] { return c.stop && ++asked > 1; };
        if (c.fileSizeLimit > 0) {
            rlimit limit = original;
            limit.rlim_cur = static_cast<rlim_t>(c.fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const VideoResult result = write(job);
        ::setrlimit(RLIMIT_FSIZE, &original);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(codes(), c.codes);
        EXPECT_TRUE(onlyFiles({"a folder.mp4"}));
    }
    ASSERT_EQ(shell.errors.size(), 0u);
    // The text names the video and the existing advice about free space.
    VideoJob job;
    job.path = output.file("x/y.mp4");
    write(job);
    ASSERT_EQ(shell.errorTexts().size(), 1u);
    EXPECT_NE(shell.errorTexts()[0].find(output.file("x/y.mp4")), std::string::npos);
}

// The menu entry: the filter chooses the format, the rate offered is the playback rate, the
// video is written on a worker whose Cancel abandons it, and the status line tells the end.
TEST_F(VideoExport, TheMenuEntryAsksWritesAndAnnounces) {
    for (int i = 0; i < 6; ++i) addFrame(GradientPicture(32, 16, i + 1));
    struct Case {
        int filter;
        const char* answer;
        bool cancel;  // Cancel in the progress window once the first frame is in
        const char* written;
        const char* notice;
    };
    const Case cases[] = {
        {0, "15", false, "clip.mp4", "Export fertig: clip.mp4 in "},
        {1, "15", false, "clip.mov", "Export fertig: clip.mov in "},
        {1, "", false, nullptr, nullptr},  // the rate requester cancelled
        {0, "15", true, nullptr, "Export abgebrochen: keine Datei geschrieben."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        ::unlink(output.file("clip.mp4").c_str());
        ::unlink(output.file("clip.mov").c_str());
        shell.notices.clear();
        shell.saveAnswers.push_back({output.file("clip.x"), c.filter});
        shell.textAnswers.push_back(c.answer);
        testing::ActingWatch watch;
        if (c.cancel) watch.act = [](BackgroundJob& job) { job.cancel(); };
        ExportVideo(FilmOf(state.document, state.session), shell, state.services.language.texts, 8, {}, nullptr,
                    &watch);
        EXPECT_EQ(shell.textRequests.back().defaultText, "8");
        EXPECT_EQ(onlyFiles(c.written ? std::vector<std::string>{c.written}
                                      : std::vector<std::string>{}),
                  true);
        if (!c.notice) {
            EXPECT_TRUE(shell.notices.empty());
            continue;
        }
        ASSERT_EQ(shell.notices.size(), 1u);
        EXPECT_EQ(shell.notices[0], c.notice + (c.written ? output.path() : std::string()));
        EXPECT_EQ(watch.labels.front().substr(0, 12), "Bild 1 von 6");
        if (!c.written) continue;
        if (testing::HaveTool("ffprobe")) {
            EXPECT_EQ(testing::ToolOutput("ffprobe", {"-v", "error", "-show_entries",
                                                      "stream=r_frame_rate", "-of", "csv=p=0",
                                                      output.file(c.written)}),
                      "15/1\n");
        }
    }
    EXPECT_EQ(shell.saveRequests.back().title, "Video speichern");
    EXPECT_TRUE(shell.errors.empty());
}

}  // namespace
}  // namespace morvel
