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

    static std::vector<std::string> components(const std::string& path) {
        std::vector<std::string> parts;
        for (std::size_t start = 0, slash; start < path.size(); start = slash + 1) {
            slash = path.find('/', start);
            if (slash == std::string::npos) slash = path.size();
            if (slash > start) parts.push_back(path.substr(start, slash - start));
        }
        return parts;
    }
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

TEST_F(MovedPictures, TrailingComponentsBeyondTheBareName) {
    picture(copied.file("takes/a.png"));
    picture(copied.file("a.png"));
    const std::string copiedName = components(copied.path()).back();
    const struct {
        std::string path;
        std::string found;
    } cases[] = {
        {"/old/film/takes/a.png", copied.file("takes/a.png")},
        {"D:\\x\\a.png", ""},  // a bare name is no evidence
        {"/old/" + copiedName + "/a.png", copied.file("a.png")},  // the project folder's name
        {"/old/film/z.png", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindByTrailingComponents(c.path, copied.path()), c.found) << c.path;
    EXPECT_EQ(TrailingMatch("/a/film/x.png", "/b/film/x.png"), 2);
    EXPECT_EQ(TrailingMatch("C:\\a\\x.png", "/b/x.png"), 1);
    EXPECT_EQ(WithSourceFile("$AVI$1F$/a/v.avi", "/b/v.avi"), "$AVI$1F$/b/v.avi");
    EXPECT_EQ(SourceFile("$AVI$1F$/a/v.avi"), "/a/v.avi");
}

// Beside the project by trailing components; a picture of the same name beside it is offered,
// not taken; then one question and a folder searched by name (and one level below); what is
// still missing is not reported again picture by picture; where pictures were found is said.
TEST_F(MovedPictures, TheWindowAsksOnceForAFolderAndTheRestStayMissing) {
    picture(copied.file("takes/a.png"));
    picture(copied.file("b.png"));
    picture(elsewhere.file("deeper/c.png"));
    picture(elsewhere.file("deeper/d.png"));
    picture(elsewhere.file("d.png"));  // fewer of the shoot's pictures than deeper/
    shell.folderChoiceAnswers = {0};
    shell.answers = {Answer::Yes};
    shell.folderAnswers = {elsewhere.path()};
    OpenProject(state.document, state.session, state.view, state.services, project());
    ASSERT_EQ(shell.folderChoices.size(), 1u);
    ASSERT_EQ(shell.folderChoices[0].size(), 1u);
    EXPECT_EQ(shell.folderChoices[0][0].folder, copied.path());
    ASSERT_EQ(shell.questions.size(), 2u);
    EXPECT_NE(shell.questions[0].find("1 fehlenden Bildern aus 'C:\\old\\film\\'"), std::string::npos);
    EXPECT_NE(shell.questions[1].find("3 Bilder fehlen. Ordner suchen?"), std::string::npos);
    ASSERT_EQ(state.document.frames.size(), 4);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], copied.file("takes/a.png"));
    EXPECT_EQ(state.document.frames.at(1).layerSource[0], copied.file("b.png"));
    EXPECT_EQ(state.document.frames.at(1).layerSource[1], elsewhere.file("deeper/c.png"));
    EXPECT_EQ(state.document.frames.at(2).layerSource[0], elsewhere.file("deeper/d.png"));
    EXPECT_EQ(state.document.frames.at(3).layerSource[0], "");  // e.png is nowhere
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_TRUE(shell.messages.empty());  // frame 4's entry began: not cut short
    ASSERT_EQ(state.session.notices.size(), 1u);  // told once the journal is written
    EXPECT_NE(state.session.notices[0].find(elsewhere.file("deeper/") + " (2)"), std::string::npos);
    EXPECT_NE(state.session.notices[0].find(copied.file("takes/") + " (1)"), std::string::npos);
}

// Cameras name every card's pictures alike: another shoot beside the project, or two shoots
// in the folder searched, are offered to the user, never taken silently.
TEST_F(MovedPictures, AnotherShootOfTheSameNamesIsOfferedNotTaken) {
    const auto listing = [&](const std::string& folder) {
        return copied.write("Shoot.mvl", "MORVEL 1.0\r\nFilm\r\n\r\n\r\n$nr.mask\r\n\r\n"s +
                                             std::string("\x02\0\0\0", 4) + folder +
                                             "IMG_0001.png\r\n\r\n\x00"s + folder +
                                             "IMG_0002.png\r\n\r\n\x00"s);
    };
    for (const char* name : {"IMG_0001.png", "IMG_0002.png"}) {
        picture(copied.file(name));  // another shoot beside the project
        picture(elsewhere.file(std::string("Atakes/") + name));
        picture(elsewhere.file(std::string("DCIM/") + name));
    }
    const struct {
        int choice;                 // the user's answer to the offer beside the project
        std::string searchFolder;   // then the folder named in the question
        int searchChoice;           // and the answer among the folders found there
        std::string expected;       // where frame 1 ends
    } cases[] = {
        {-1, "", -1, ""},
        {0, "", -1, copied.file("IMG_0001.png")},
        {-1, elsewhere.path(), 0, elsewhere.file("Atakes/IMG_0001.png")},
        {-1, elsewhere.path(), 1, elsewhere.file("DCIM/IMG_0001.png")},
        {-1, elsewhere.path(), -1, ""},
        {-1, elsewhere.file("DCIM"), -1, elsewhere.file("DCIM/IMG_0001.png")},  // one folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.searchFolder + " " + std::to_string(c.choice) + std::to_string(c.searchChoice));
        shell = RecordingShell();
        shell.folderChoiceAnswers = {c.choice, c.searchChoice};
        shell.answers = {c.searchFolder.empty() ? Answer::No : Answer::Yes};
        shell.folderAnswers = {c.searchFolder};
        OpenProject(state.document, state.session, state.view, state.services,
                    listing("/card/DCIM/100CANON/"));
        EXPECT_EQ(state.document.frames.at(0).layerSource[0], c.expected);
        ASSERT_GE(shell.folderChoices.size(), 1u);
        EXPECT_EQ(shell.folderChoices[0].size(), 1u);
        EXPECT_EQ(shell.folderChoices[0][0].count, 2);
        if (c.searchChoice >= 0) {
            ASSERT_EQ(shell.folderChoices.size(), 2u);
            ASSERT_EQ(shell.folderChoices[1].size(), 2u);  // both shoots, in name order
            EXPECT_EQ(shell.folderChoices[1][0].folder, elsewhere.file("Atakes/"));
        }
        EXPECT_EQ(state.session.notices.size(), c.expected.empty() ? 0u : 1u);
        state.session.notices.clear();
        CloseProject(state.document, state.session, state.view, state.services);
    }
}

TEST_F(MovedPictures, AFileCutShortSaysHowManyFramesWereRead) {
    picture(copied.file("takes/a.png"));
    picture(copied.file("b.png"));
    shell.answers = {Answer::No};
    OpenProject(state.document, state.session, state.view, state.services, project(6));
    EXPECT_EQ(state.document.frames.size(), 6);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find("nur 4 Bilder"), std::string::npos);
    EXPECT_EQ(shell.questions.size(), 2u);  // b.png offered, then one question for c, d and e
    EXPECT_TRUE(shell.folderRequests.empty());
}

}  // namespace
}  // namespace morvel
