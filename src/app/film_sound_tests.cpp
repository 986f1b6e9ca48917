#include "app/film_sound.h"

#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "editor/undo_history.h"
#include "platform/gadgets.h"
#include "test_support/tone_wav.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::KindEvent;
using testing::MenuEvent;
using testing::ToneSamples;
using testing::WavBytes;

class FilmSoundTest : public ::testing::Test, public AppFixture {
protected:
    FilmSoundTest() {
        BuildMainWindow(state);
        for (int i = 0; i < 4; ++i) addFrame(32, 24);
        MarkProjectSaved(state.session);
    }
    // Half a second of silence, then half a second of a half-scale tone (48 kHz stereo).
    std::string toneFile(const std::string& name) {
        std::vector<std::int16_t> samples(48000, 0);
        const auto tone = ToneSamples(1000, 0.5, 48000, 2, 24000);
        samples.insert(samples.end(), tone.begin(), tone.end());
        return work.write(name, WavBytes(samples, 48000, 2));
    }
    void menu(MenuItem item) {
        Dispatch(state, MenuEvent(+item));
        SyncFilmSound(state, true);
    }
    int stripY() const { return shell.placements.at(+Gadget::FrameStrip).y; }
};

TEST_F(FilmSoundTest, LoadedFromTheMenuTheWaveformShowsTheToneByFrame) {
    const int stripBefore = stripY();
    const std::string file = toneFile("voice.wav");
    shell.openAnswers.push_back({file, 0});
    state.sound.rate = 2;  // frame 0: silence, frame 1: the tone, 2 and 3: past the sound
    menu(MenuItem::LoadSound);
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(state.document.sound, (SoundTrack{file, 0}));
    EXPECT_TRUE(ProjectChanged(state.session));
    ASSERT_EQ(shell.waveform.size(), 4u);
    EXPECT_EQ(shell.waveform[0].peak, 0.0f);
    EXPECT_NEAR(shell.waveform[1].peak, 0.5f, 0.01f);
    EXPECT_EQ(shell.waveform[2].peak, 0.0f);
    EXPECT_EQ(shell.waveformHeight, kWaveformRowHeight);
    // The row takes its height from the canvas.
    EXPECT_EQ(stripY(), stripBefore - kWaveformRowHeight);

    shell.textAnswers.push_back("-1");
    menu(MenuItem::SoundOffset);
    EXPECT_EQ(state.document.sound.offset, -1);
    ASSERT_EQ(shell.waveform.size(), 4u);
    EXPECT_NEAR(shell.waveform[0].peak, 0.5f, 0.01f);
    EXPECT_EQ(shell.waveform[1].peak, 0.0f);

    for (const char* refused : {"", "zwei", "1-2"}) {
        shell.textAnswers.push_back(refused);
        menu(MenuItem::SoundOffset);
        EXPECT_EQ(state.document.sound.offset, -1) << refused;
    }

    menu(MenuItem::RemoveSound);
    EXPECT_TRUE(state.document.sound.empty());
    EXPECT_TRUE(shell.waveform.empty());
    EXPECT_EQ(shell.waveformHeight, 0);
    EXPECT_EQ(stripY(), stripBefore);
}

// Loading, moving and removing the track are steps of the history: undone in reverse order,
// each brings back the track before it (and its waveform), and redone in order.
TEST_F(FilmSoundTest, EachChangeOfTheTrackIsAnUndoStep) {
    const std::string first = toneFile("voice.wav");
    const std::string second = toneFile("music.wav");
    shell.openAnswers.push_back({first, 0});
    menu(MenuItem::LoadSound);
    shell.textAnswers.push_back("2");
    menu(MenuItem::SoundOffset);
    shell.openAnswers.push_back({second, 0});
    menu(MenuItem::LoadSound);
    menu(MenuItem::RemoveSound);
    const SoundTrack tracks[] = {{}, {first, 0}, {first, 2}, {second, 0}, {}};
    for (int i = 3; i >= 0; --i) {
        menu(MenuItem::Undo);
        EXPECT_EQ(state.document.sound, tracks[i]) << "undo to " << i;
        EXPECT_EQ(shell.waveform.size(), tracks[i].empty() ? 0u : 4u);
    }
    EXPECT_FALSE(ProjectChanged(state.session));
    for (int i = 1; i <= 4; ++i) {
        menu(MenuItem::Redo);
        EXPECT_EQ(state.document.sound, tracks[i]) << "redo to " << i;
    }
    EXPECT_TRUE(shell.errors.empty());
    // Undone to the first file, its samples are what plays and what a video carries.
    menu(MenuItem::Undo);
    menu(MenuItem::Undo);
    EXPECT_EQ(state.sound.decodedFor, (SoundTrack{first, 2}));
    EXPECT_EQ(FilmSoundPlacement(state).offsetFrames, 2);
}

TEST_F(FilmSoundTest, AFileThatIsNoSoundIsToldAndChangesNothing) {
    shell.openAnswers.push_back({work.write("notes.wav", "kein Ton"), 0});
    menu(MenuItem::LoadSound);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errorTexts()[0].find("notes.wav"), std::string::npos);
    EXPECT_NE(shell.errorTexts()[0].find("keine Tondatei"), std::string::npos);
    EXPECT_TRUE(state.document.sound.empty());
    EXPECT_FALSE(ProjectChanged(state.session));
}

TEST_F(FilmSoundTest, ADroppedSoundFileBecomesTheTrackAndPicturesBesideItAreImported) {
    const std::string file = toneFile("Take.WAV");
    Event drop = KindEvent(EventKind::Drop);
    drop.drop.fileList = file + "\n" + state.document.frames.at(0).layerSource[0];
    Dispatch(state, drop);
    SyncFilmSound(state, true);
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(state.document.sound.file, file);
    EXPECT_EQ(state.document.frames.size(), 5);  // the picture, not the sound
}

TEST_F(FilmSoundTest, TheProjectsOwnTrackThatCannotBeReadIsLeftOut) {
    state.document.sound = {work.write("broken.wav", WavBytes({}, 48000, 2)), 3};
    SyncFilmSound(state, true);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errorTexts()[0].find("leer"), std::string::npos);
    EXPECT_TRUE(state.document.sound.empty());
    EXPECT_TRUE(ProjectChanged(state.session));
}

TEST_F(FilmSoundTest, MuteIsAViewMenuItemThatToggles) {
    menu(MenuItem::MuteSound);
    EXPECT_TRUE(state.sound.muted);
    menu(MenuItem::MuteSound);
    EXPECT_FALSE(state.sound.muted);
    EXPECT_TRUE(IsSoundFileName("/a/b.Flac"));
    EXPECT_FALSE(IsSoundFileName("/a/b.png"));
    EXPECT_FALSE(IsSoundFileName("/a/wav"));
}

// A device that records what it was asked to play.
class RecordingOutput : public SoundOutput {
public:
    bool device = true;
    struct Start {
        long long first, count;
        bool holdClock;
    };
    std::vector<Start> starts;
    int stops = 0;
    bool start(std::shared_ptr<const SoundSamples>, long long first, long long count,
               bool holdClock) override {
        if (device) starts.push_back({first, count, holdClock});
        return device;
    }
    double playedSeconds() const override { return 0; }
    bool lost() const override { return false; }
    void stop() override { ++stops; }
};

TEST_F(FilmSoundTest, TheFilmAndAStepPlayFromTheirFramesTime) {
    RecordingOutput output;
    state.sound.output = &output;
    state.sound.rate = 4;  // 12000 sample frames a frame
    state.document.sound = {toneFile("voice.wav"), 1};
    SyncFilmSound(state, true);
    ASSERT_TRUE(StartFilmSound(state, 3));
    ASSERT_EQ(output.starts.size(), 1u);
    EXPECT_EQ(output.starts[0].first, 24000);
    EXPECT_EQ(output.starts[0].count, 48000 - 24000);
    EXPECT_TRUE(output.starts[0].holdClock);
    ASSERT_TRUE(StartFilmSound(state, 0));  // before the sound starts: silence first
    EXPECT_EQ(output.starts[1].first, -12000);
    menu(MenuItem::NextFrame);
    ASSERT_EQ(output.starts.size(), 3u);
    EXPECT_EQ(output.starts[2].first, (state.session.cache.displayedIndex - 1) * 12000);
    EXPECT_EQ(output.starts[2].count, 12000);
    EXPECT_FALSE(output.starts[2].holdClock);

    menu(MenuItem::MuteSound);
    EXPECT_FALSE(StartFilmSound(state, 1));
    EXPECT_EQ(output.starts.size(), 3u);
    menu(MenuItem::MuteSound);

    output.device = false;  // no device: told once, however often the film starts
    EXPECT_FALSE(StartFilmSound(state, 1));
    EXPECT_FALSE(StartFilmSound(state, 1));
    ASSERT_EQ(shell.notices.size(), 1u);  // in the status line, no box
    EXPECT_NE(shell.notices[0].find("ohne Ton"), std::string::npos);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.errors.empty());
}

}  // namespace
}  // namespace morvel
