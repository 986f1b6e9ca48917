#include "editor/editor_test_state.h"
#include "session/save_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "import/thumbnail.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;

TEST(SaveWindowRules, FileNames) {
    const struct {
        std::string name;
        bool valid;
    } cases[] = {
        {"Film", true},
        {"Film.txt", true},
        {"Ä Film 2.mvl", true},
        {"", false},
        {"a\\b", false},
        {"C:Film", false},
        {"a/b", false},
        {"a\"b", false},
        {"*", false},
        {"a<b", false},
        {"a>b", false},
        {"wer?", false},
        {"a|b", false},
        {"a\tb", false},
        {"a\x1f", false},
        {"a\x7f", true},
        {std::string(1, '\x01'), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidFileName(c.name), c.valid) << c.name;
}

TEST(SaveWindowRules, ParentFolders) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/film/szene/", "/home/film/"},
        {"/home/", "/"},
        {"/", ""},
        {"", ""},
        {"film/", ""},
        {"a/b/", "a/"},
    };
    for (const auto& [folder, parent] : cases) EXPECT_EQ(ParentFolder(folder), parent) << folder;
}

TEST(SaveWindowRules, ViewModesCycleThroughAllFour) {
    EXPECT_EQ(NextExplorerView(0), 1);
    EXPECT_EQ(NextExplorerView(1), 2);
    EXPECT_EQ(NextExplorerView(2), 3);
    EXPECT_EQ(NextExplorerView(3), 0);
    EXPECT_EQ(NextExplorerView(17), 0);
}

TEST(SaveWindowRules, TheNoCopiesItemSpeaksTheLanguageInUse) {
    LanguageTable texts;
    texts.set(Text::FrameCopiesNone, "Don't save");
    EXPECT_EQ(OfferedFrameTemplates(texts).front(), "Don't save");
    SaveWindowFields fields;
    SettleSaveWindow({"/f/", "F", "$Nr.png", "Don't save", "", "", ""}, fields, "Don't save");
    EXPECT_EQ(fields.frameTemplate, "");
}

TEST(SaveWindowRules, ConfirmedEntriesSettleTheHeader) {
    const struct {
        SaveWindowEntries entries;
        SaveWindowFields expected;
    } cases[] = {
        {{"/film/", "Film.txt", "masks/$Nr.png", "Nicht speichern", "T", "A", "one\ntwo"},
         {"/film/Film.mvl", "masks/$Nr.png", "", "T", "A", "one\r\ntwo"}},
        {{"/film/", "Film", "", "img/$Layer_$NR", "", "", "x\r\ny\rz"},
         {"/film/Film.mvl", "$nr.mask", "img/$Layer_$NR", "", "", "x\r\ny\r\nz"}},
        // The top level above "/": a name without folder.
        {{"", "Top", "$Nr.png", "Nicht speichern", "", "", ""},
         {"Top.mvl", "$Nr.png", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        SaveWindowFields fields;
        fields.viewMode = 2;
        SettleSaveWindow(c.entries, fields, "Nicht speichern");
        EXPECT_EQ(fields.projectFilePath, c.expected.projectFilePath);
        EXPECT_EQ(fields.maskTemplate, c.expected.maskTemplate);
        EXPECT_EQ(fields.frameTemplate, c.expected.frameTemplate);
        EXPECT_EQ(fields.title, c.expected.title);
        EXPECT_EQ(fields.author, c.expected.author);
        EXPECT_EQ(fields.comment, c.expected.comment);
        EXPECT_EQ(fields.viewMode, 2);
    }
    EXPECT_EQ(WithLf("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

TEST(SaveWindowPlanTest, EveryGadgetOnceInsideTheWindowWithItsTexts) {
    LanguageTable texts;
    texts.set(Text::SaveWindowFolderup, "Up");
    texts.set(Text::SaveWindowSave, "Save");
    const SaveWindowPlan plan = MakeSaveWindowPlan(texts);
    EXPECT_EQ(plan.title, "Projekt speichern");
    EXPECT_EQ(plan.clientWidth, 500);
    EXPECT_EQ(plan.clientHeight, 425);
    std::set<int> numbers;
    for (const SaveGadgetPlan& g : plan.gadgets) {
        numbers.insert(g.number);
        const bool dropDown =
            g.kind == SaveGadgetKind::EditableList || g.kind == SaveGadgetKind::FolderPathBox;
        EXPECT_LE(g.x + g.width, plan.clientWidth) << g.number;
        if (!dropDown) {
            EXPECT_LE(g.y + g.height, plan.clientHeight) << g.number;
        }
    }
    EXPECT_EQ(numbers, (std::set<int>{22, 23, 24, 25, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37,
                                      38, 39, 40, 41}));
    auto find = [&](SaveGadget n) {
        for (const SaveGadgetPlan& g : plan.gadgets)
            if (g.number == +n) return g;
        return SaveGadgetPlan{};
    };
    EXPECT_EQ(find(SaveGadget::Save).text, "Save");
    EXPECT_EQ(find(SaveGadget::FolderUp).tooltip, "Up");
    EXPECT_EQ(find(SaveGadget::FolderUp).image, kFolderUpImage);
    EXPECT_EQ(find(SaveGadget::ChangeView).tooltip, "Ansicht ändern");
    EXPECT_EQ(find(SaveGadget::AuthorLabel).text, "Autor:");
    EXPECT_EQ(find(SaveGadget::MaskTemplates).items.size(), 8u);
    EXPECT_EQ(find(SaveGadget::MaskTemplates).items.front(), "masks/$Project_$Nr.png");
    EXPECT_EQ(find(SaveGadget::FrameTemplates).items,
              (std::vector<std::string>{"Nicht speichern", "$Layer/$Project_$Nr", "$Layer/$NR",
                                        "img/$Project_$Layer_$Nr", "img/$Layer_$NR",
                                        "$Layer_$Project_$Nr"}));
    const SaveGadgetPlan list = find(SaveGadget::FolderList);
    EXPECT_EQ(std::vector<int>({list.x, list.y, list.width, list.height}),
              std::vector<int>({10, 40, 480, 190}));
}

// SaveProject around the window: where it opens, and the view mode it keeps.
class SaveProjectWindow : public ::testing::Test {
protected:
    TempFolder home;
    TempFolder work;
    RecordingShell shell;
    EditorTestState state{shell, work.path(), work.path()};
    std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";

    void SetUp() override {
        ::setenv("HOME", home.path().c_str(), 1);
        state.services.redrawPause = 0;
        FrameRecord& frame = state.document.frames.append();
        frame.layerSource[0] = home.file("a.png");
        AttachLayerThumbnail(state.view.thumbnails, state.services, frame, 0,
                             testing::UniformPicture(8, 6, testing::kRed));
    }
    void TearDown() override { ::setenv("HOME", oldHome.c_str(), 1); }
};

TEST_F(SaveProjectWindow, OpensInTheHomeFolderWithTheStandardNameAndKeepsTheViewMode) {
    state.document.header.title = "Film";
    state.document.header.comment = "a\r\nb";
    shell.saveWindowAnswers.push_back(std::nullopt);
    SaveProject(state.document, state.session, state.view, state.services, false);
    ASSERT_EQ(shell.saveWindowsShown.size(), 1u);
    EXPECT_EQ(shell.saveWindowsShown[0].projectFilePath, home.path() + "Projekt.mvl");
    EXPECT_EQ(shell.saveWindowsShown[0].title, "Film");
    EXPECT_EQ(shell.saveWindowsShown[0].comment, "a\r\nb");
    EXPECT_EQ(shell.saveWindowPlans[0].title, "Projekt speichern");
    EXPECT_EQ(state.document.header.projectFilePath, "");

    // The window changed the view mode and was confirmed: the next one opens in it.
    SaveWindowFields confirmed{home.file("Neu.mvl"), "$Nr.png", "", "T", "", "", 3};
    shell.saveWindowAnswers.push_back(confirmed);
    SaveProject(state.document, state.session, state.view, state.services, true);
    EXPECT_EQ(state.services.explorerViewMode, 3);
    EXPECT_EQ(state.document.header.projectFilePath, home.file("Neu.mvl"));
    EXPECT_EQ(shell.windowTitles.back(), "T - Morvel");
    // "Speichern" with a path: no window.
    SaveProject(state.document, state.session, state.view, state.services, false);
    EXPECT_EQ(shell.saveWindowsShown.size(), 2u);
    // "Speichern als ..." proposes the project's file.
    shell.saveWindowAnswers.push_back(std::nullopt);
    SaveProject(state.document, state.session, state.view, state.services, true);
    ASSERT_EQ(shell.saveWindowsShown.size(), 3u);
    EXPECT_EQ(shell.saveWindowsShown[2].projectFilePath, home.file("Neu.mvl"));
    EXPECT_EQ(shell.saveWindowsShown[2].viewMode, 3);
}

}  // namespace
}  // namespace morvel
