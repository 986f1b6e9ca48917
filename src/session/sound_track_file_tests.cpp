#include "editor/editor_test_state.h"

#include <gtest/gtest.h>

#include "codecs/picture_io.h"
#include "editor/frame_selection.h"
#include "editor/undo_history.h"
#include "import/thumbnail.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "project/session_journal.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;

class SoundTrackFile : public ::testing::Test {
protected:
    TempFolder projectFolder;
    TempFolder workingFolder;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), projectFolder.path()};

    // A saved project of three frames with the sound track given.
    std::string savedProject(const SoundTrack& sound) {
        const std::string picture = projectFolder.file("a.png");
        EXPECT_TRUE(SavePictureFile(testing::UniformPicture(8, 6, {9, 9, 9}), picture,
                                    PictureFormat::Png));
        for (int i = 0; i < 3; ++i) state.document.frames.append().layerSource[0] = picture;
        state.document.header.projectFilePath = projectFolder.file("Film.mvl");
        state.document.header.title = "Film";
        state.document.sound = sound;
        EXPECT_TRUE(WriteProjectFile(state.document, state.services.reporter()));
        return state.document.header.projectFilePath;
    }
    void reopen(const std::string& path) {
        MarkProjectSaved(state.session);
        OpenProject(state.document, state.session, state.view, state.services, path);
    }
};

TEST_F(SoundTrackFile, SavedAndOpenedAgainWithItsOffset) {
    const std::string sound = projectFolder.write("voice.wav", "RIFF");
    for (const std::int32_t offset : {0, 17, -40}) {
        SCOPED_TRACE(offset);
        const std::string path = savedProject({sound, offset});
        reopen(path);
        EXPECT_TRUE(shell.errors.empty());
        EXPECT_EQ(state.document.frames.size(), 3);
        EXPECT_EQ(state.document.sound, (SoundTrack{sound, offset}));
        EXPECT_FALSE(ProjectChanged(state.session));
        CloseProject(state.document, state.session, state.view, state.services);
        EXPECT_TRUE(state.document.sound.empty());
    }
}

// The reader of projects made before sound tracks reads the frame entries the count announces
// and nothing after them: what it reads of a file with a track is the file without it.
TEST_F(SoundTrackFile, AFileWithATrackReadsAsBeforeForAReaderThatKnowsNoneOfIt) {
    std::vector<ProjectFileFrame> frames(2);
    frames[0].layerSource[0] = "/film/a.png";
    frames[1].layerSource[1] = "/film/b.png";
    frames[1].hasMask = true;
    ProjectHeader header;
    header.title = "Film";
    const auto without = SerializeProjectFile(header, frames);
    const auto with = SerializeProjectFile(header, frames, {"/film/voice.wav", -3});
    ASSERT_GT(with.size(), without.size());
    EXPECT_TRUE(std::equal(without.begin(), without.end(), with.begin()));
    EXPECT_EQ(SerializeProjectFile(header, frames, {}), without);
    const ProjectFileContents a = ParseProjectFile(without);
    const ProjectFileContents b = ParseProjectFile(with);
    EXPECT_TRUE(a.sound.empty());
    EXPECT_EQ(b.sound, (SoundTrack{"/film/voice.wav", -3}));
    EXPECT_EQ(a.frames.size(), b.frames.size());
    EXPECT_EQ(a.framesRead, b.framesRead);
    EXPECT_FALSE(b.cutShort());
    EXPECT_EQ(b.frames[1].layerSource[1], "/film/b.png");
    EXPECT_TRUE(b.frames[1].hasMask);
}

TEST_F(SoundTrackFile, ADamagedSectionGivesNoTrackOrNoOffset) {
    std::vector<ProjectFileFrame> frames(1);
    const auto bytes = SerializeProjectFile({}, frames);
    struct Case {
        std::string tail;
        SoundTrack expected;
    };
    const Case cases[] = {
        {"MORVEL-SOUND 1\r\n/v.wav\r\nzwölf\r\n", {"/v.wav", 0}},
        {"MORVEL-SOUND 1\r\n/v.wav\r\n99999999\r\n", {"/v.wav", kMaxSoundOffset}},
        {"MORVEL-SOUND 1\r\n/v.wav", {"/v.wav", 0}},
        {"MORVEL-SOUND 9\r\n/v.wav\r\n5\r\n", {}},
        {"garbage", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        std::vector<std::uint8_t> file = bytes;
        file.insert(file.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(ParseProjectFile(file).sound, c.expected);
    }
}

TEST_F(SoundTrackFile, ATrackThatMovedWithTheProjectIsFoundAgain) {
    TempFolder moved;
    MakeFolder(moved.file("audio"));
    const std::string sound = moved.write("audio/voice.wav", "RIFF");
    const std::string path = savedProject({"/old/film/audio/voice.wav", 5});
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes && WriteFileBytes(moved.file("Film.mvl"), *bytes));
    reopen(moved.file("Film.mvl"));
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(state.document.sound, (SoundTrack{sound, 5}));
    EXPECT_TRUE(ProjectChanged(state.session));  // a save writes where it is now
}

TEST_F(SoundTrackFile, AMissingTrackIsToldOnceAndTheProjectOpensWithoutIt) {
    const std::string path = savedProject({"/nowhere/voice.wav", 2});
    shell.answers = {Answer::No};  // no folder to search
    reopen(path);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errorTexts()[0].find("/nowhere/voice.wav"), std::string::npos);
    EXPECT_NE(shell.errorTexts()[0].find("ohne Ton"), std::string::npos);
    EXPECT_EQ(state.document.frames.size(), 3);
    EXPECT_TRUE(state.document.sound.empty());
    EXPECT_TRUE(ProjectChanged(state.session));
}

TEST_F(SoundTrackFile, TheJournalKeepsTheTrackAlsoPastDamage) {
    Document document(workingFolder.path());
    document.frames.append().layerSource[0] = "/film/a.png";
    document.sound = {"/film/voice.wav", -7};
    const auto journal = SerializeJournal(document, 0);
    const auto read = ParseJournal(journal);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sound, document.sound);
    EXPECT_EQ(read->frames.size(), 1u);

    document.sound = {};
    const auto plain = SerializeJournal(document, 0);
    ASSERT_TRUE(ParseJournal(plain));
    EXPECT_TRUE(ParseJournal(plain)->sound.empty());

    // A count that the file cannot hold: the frames and the track after it are still read.
    document.sound = {"/film/voice.wav", 3};
    const auto whole = SerializeJournal(document, 0);
    std::string text(whole.begin(), whole.end());
    // The next mask number, the displayed frame and the frame count, one line each.
    const auto count = text.find("\n1\n0\n1\n");
    ASSERT_NE(count, std::string::npos);
    text.replace(count, 7, "\n1\n0\n9999999\n");
    const std::vector<std::uint8_t> damaged(text.begin(), text.end());
    const JournalReading reading = ReadJournal(damaged);
    ASSERT_TRUE(reading.contents);
    EXPECT_TRUE(reading.damaged);
    EXPECT_EQ(reading.contents->frames.size(), 1u);
    EXPECT_EQ(reading.contents->sound, document.sound);
}

}  // namespace
}  // namespace morvel
