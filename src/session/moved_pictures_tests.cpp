#include "editor/editor_test_state.h"
#include "session/moved_pictures.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/files.h"
#include "codecs/picture_io.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;
using namespace std::string_literals;

class MovedPictures : public ::testing::Test {
protected:
    TempFolder working;
    TempFolder copied;  // the project folder, copied whole to another disk
    TempFolder elsewhere;
    RecordingShell shell;
    EditorTestState state{shell, working.path(), working.path()};

    void picture(const std::string& path) {
        MakeFolder(FolderPart(path));
        ASSERT_TRUE(SavePictureFile(testing::UniformPicture(4, 3, {9, 9, 9}), path,
                                    PictureFormat::Png));
    }
    // A project made on another machine: its pictures under /old/film/, one of them as a
    // video frame, one of them with Windows separators.
    std::string project(int announced = 4) {
        std::string count(4, '\0');
        std::memcpy(count.data(), &announced, 4);
        return copied.write("Film.mvl", "MORVEL 1.0\r\nFilm\r\n\r\n\r\n$nr.mask\r\n\r\n" + count +
                                            "/old/film/takes/a.png\r\n\r\n\x00"
                                            "C:\\old\\film\\b.png\r\n/gone/c.png\r\n\x00"
                                            "/gone/d.png\r\n\r\n\x00"s +
                                            std::string(announced > 3 ? "/gone/e.png\r\n" : ""));
    }
};

TEST_F(MovedPictures, TrailingComponentsLongestFirst) {
    picture(copied.file("takes/a.png"));
    picture(copied.file("a.png"));
    EXPECT_EQ(FindByTrailingComponents("/old/film/takes/a.png", copied.path()),
              copied.file("takes/a.png"));
    EXPECT_EQ(FindByTrailingComponents("D:\\x\\a.png", copied.path()), copied.file("a.png"));
    EXPECT_EQ(FindByTrailingComponents("/old/film/z.png", copied.path()), "");
    EXPECT_EQ(WithSourceFile("$AVI$1F$/a/v.avi", "/b/v.avi"), "$AVI$1F$/b/v.avi");
    EXPECT_EQ(SourceFile("$AVI$1F$/a/v.avi"), "/a/v.avi");
}

// Beside the project by trailing components, then one question and a folder searched by name
// (and one level below); what is still missing is not reported again picture by picture.
TEST_F(MovedPictures, TheWindowAsksOnceForAFolderAndTheRestStayMissing) {
    picture(copied.file("takes/a.png"));
    picture(copied.file("b.png"));
    picture(elsewhere.file("c.png"));
    picture(elsewhere.file("deeper/d.png"));
    shell.answers = {Answer::Yes};
    shell.folderAnswers = {elsewhere.path()};
    OpenProject(state.document, state.session, state.view, state.services, project());
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_NE(shell.questions[0].find("3 Bilder fehlen. Ordner suchen?"), std::string::npos);
    ASSERT_EQ(state.document.frames.size(), 4);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], copied.file("takes/a.png"));
    EXPECT_EQ(state.document.frames.at(1).layerSource[0], copied.file("b.png"));
    EXPECT_EQ(state.document.frames.at(1).layerSource[1], elsewhere.file("c.png"));
    EXPECT_EQ(state.document.frames.at(2).layerSource[0], elsewhere.file("deeper/d.png"));
    EXPECT_EQ(state.document.frames.at(3).layerSource[0], "");  // e.png is nowhere
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_TRUE(shell.messages.empty());  // frame 4's entry began: not cut short
}

TEST_F(MovedPictures, AFileCutShortSaysHowManyFramesWereRead) {
    picture(copied.file("takes/a.png"));
    picture(copied.file("b.png"));
    shell.answers = {Answer::No};
    OpenProject(state.document, state.session, state.view, state.services, project(6));
    EXPECT_EQ(state.document.frames.size(), 6);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find("nur 4 Bilder"), std::string::npos);
    EXPECT_EQ(shell.questions.size(), 1u);  // still one question for c, d and e
    EXPECT_TRUE(shell.folderRequests.empty());
}

}  // namespace
}  // namespace morvel
