#include "i18n/load_language.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "i18n/language_file.h"
#include "i18n/settings_file.h"
#include "platform/files.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;

using Names = std::vector<std::string>;

Names sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::string defaultOf(Text text) {
    return std::string(LanguageTable::entry(text).germanDefault);
}

// A program folder with language files, a scripted shell and the language being loaded.
class LoadLanguageTest : public ::testing::Test {
protected:
    void writeLanguage(const std::string& fileName, const std::string& projectText) {
        m_program.write(fileName, "[MainMenu]\r\nproject = " + projectText + "\r\n");
    }
    void writeSettings(const std::string& content) { m_program.write(kSettingsFileName, content); }
    void load(const std::string& name = {}) {
        LoadLanguage(m_language, m_shell, m_program.path(), name);
    }
    const std::string& project() const { return m_language.texts[Text::MainMenuProject]; }

    TempFolder m_program;
    RecordingShell m_shell;
    Language m_language;
};

TEST_F(LoadLanguageTest, NameFromTheSettingsFileWithoutAsking) {
    writeLanguage("english.language", "&Project");
    writeLanguage("french.language", "&Projet");
    writeSettings("french\r\n");
    load();
    EXPECT_EQ(m_language.current, "french");
    EXPECT_EQ(project(), "&Projet");
    EXPECT_TRUE(m_shell.languageChoices.empty());
    EXPECT_EQ(sorted(m_language.available), sorted(Names{"english", "french"}));
}

TEST_F(LoadLanguageTest, GivenNameWinsOverTheSettingsFile) {
    writeLanguage("english.language", "&Project");
    writeLanguage("french.language", "&Projet");
    writeSettings("french\r\n");
    load("english");
    EXPECT_EQ(m_language.current, "english");
    EXPECT_EQ(project(), "&Project");
    EXPECT_TRUE(m_shell.languageChoices.empty());
}

TEST_F(LoadLanguageTest, ChooserIsAskedWhenNoNameIsSetAndLanguagesExist) {
    writeLanguage("english.language", "&Project");
    m_shell.languageAnswers.push_back("english");
    load();
    EXPECT_EQ(m_shell.languageChoices, std::vector<Names>{Names{"english"}});
    EXPECT_EQ(m_language.current, "english");
    EXPECT_EQ(project(), "&Project");
}

TEST_F(LoadLanguageTest, EmptySettingsLineAsksAgain) {
    writeLanguage("english.language", "&Project");
    writeSettings("\r\n");
    m_shell.languageAnswers.push_back("english");
    load();
    EXPECT_EQ(m_shell.languageChoices.size(), 1u);
    EXPECT_EQ(m_language.current, "english");
}

TEST_F(LoadLanguageTest, NoLanguageFilesMeansNoChooserAndTheDefaults) {
    load();
    EXPECT_TRUE(m_shell.languageChoices.empty());
    EXPECT_EQ(m_language.current, "");
    EXPECT_TRUE(m_language.available.empty());
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
}

TEST_F(LoadLanguageTest, ClosedChooserLeavesTheDefaultsAndNoName) {
    writeLanguage("english.language", "&Project");
    load();  // the scripted chooser answers "" as if closed
    EXPECT_EQ(m_shell.languageChoices.size(), 1u);
    EXPECT_EQ(m_language.current, "");
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
}

TEST_F(LoadLanguageTest, WithoutANameTheFileNamedOnlyDotLanguageIsRead) {
    writeLanguage(".language", "Hidden");
    load();
    EXPECT_EQ(m_language.current, "");
    EXPECT_EQ(project(), "Hidden");
}

TEST_F(LoadLanguageTest, SuffixIsFoundInAnyCaseAndListedInFolderOrder) {
    writeLanguage("english.language", "&Project");
    writeLanguage("Deutsch.LANGUAGE", "&Projekt!");
    load("english");
    EXPECT_EQ(sorted(m_language.available), sorted(Names{"english", "Deutsch"}));
    std::vector<std::string> listingOrder;
    for (const FolderEntry& entry : ListFolder(m_program.path())) {
        if (entry.name == "english.language") listingOrder.push_back("english");
        if (entry.name == "Deutsch.LANGUAGE") listingOrder.push_back("Deutsch");
    }
    EXPECT_EQ(m_language.available, listingOrder);
}

TEST_F(LoadLanguageTest, EveryDotLanguageIsRemovedFromTheListedName) {
    writeLanguage("x.language.language", "From x.language.language");
    writeLanguage("x.language", "From x.language");
    writeLanguage("a.LANGUAGEb.language", "From a.LANGUAGEb.language");
    load("x");
    EXPECT_EQ(sorted(m_language.available), sorted(Names{"x", "x", "ab"}));
    EXPECT_EQ(project(), "From x.language");
}

TEST_F(LoadLanguageTest, OnlyRegularFilesEndingInDotLanguageAreListed) {
    writeLanguage("english.language", "&Project");
    ASSERT_TRUE(MakeFolder(m_program.file("folder.language")));
    m_program.write("notes.txt", "");
    m_program.write("language", "");
    m_program.write("old.language.bak", "");
    m_program.write("xlanguage", "");
    ASSERT_EQ(::symlink("english.language", m_program.file("linked.language").c_str()), 0);
    ASSERT_EQ(::symlink("missing", m_program.file("dangling.language").c_str()), 0);
    load("english");
    EXPECT_EQ(sorted(m_language.available), sorted(Names{"english", "linked"}));
}

TEST_F(LoadLanguageTest, UnknownNameKeepsTheNameAndUsesTheDefaults) {
    writeLanguage("english.language", "&Project");
    load("english");
    ASSERT_EQ(project(), "&Project");
    load("klingon");
    EXPECT_EQ(m_language.current, "klingon");
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
    EXPECT_TRUE(m_shell.languageChoices.empty());
}

TEST_F(LoadLanguageTest, TrailingBlanksOfTheSettingsNameNameAnotherFile) {
    writeLanguage("english.language", "&Project");
    writeSettings("english \r\n");
    load();
    EXPECT_EQ(m_language.current, "english ");
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
}

TEST_F(LoadLanguageTest, FolderInPlaceOfTheLanguageFileGivesTheDefaults) {
    ASSERT_TRUE(MakeFolder(m_program.file("english.language")));
    load("english");
    EXPECT_EQ(m_language.current, "english");
    EXPECT_TRUE(m_language.available.empty());
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
}

TEST_F(LoadLanguageTest, OversizedLanguageFileIsNotRead) {
    m_program.write("huge.language",
                    "[MainMenu]\nproject = Huge\n" + std::string(kMaxLanguageFileBytes, ';'));
    load("huge");
    EXPECT_EQ(m_language.current, "huge");
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
}

TEST_F(LoadLanguageTest, SwitchingLanguageReplacesEveryText) {
    m_program.write("english.language", "[Tools]\nzoom = Zoom\neraser = Eraser\n");
    m_program.write("french.language", "[Tools]\nzoom = Loupe\n");
    load("english");
    EXPECT_EQ(m_language.texts[Text::ToolsEraser], "Eraser");
    load("french");
    EXPECT_EQ(m_language.texts[Text::ToolsZoom], "Loupe");
    EXPECT_EQ(m_language.texts[Text::ToolsEraser], defaultOf(Text::ToolsEraser));
}

TEST_F(LoadLanguageTest, ListIsRebuiltOnEveryLoad) {
    writeLanguage("english.language", "&Project");
    load("english");
    writeLanguage("french.language", "&Projet");
    load("french");
    EXPECT_EQ(sorted(m_language.available), sorted(Names{"english", "french"}));
    ASSERT_EQ(::unlink(m_program.file("english.language").c_str()), 0);
    load("french");
    EXPECT_EQ(m_language.available, Names{"french"});
}

}  // namespace
}  // namespace morvel

namespace morvel {
namespace {

// An installed program: the shipped language files and the user's own.
class InstalledLanguagesTest : public LoadLanguageTest {
protected:
    ProgramFiles files() const {
        ProgramFiles files;
        files.languageFolders = {m_shipped.path(), m_user.path()};
        files.settingsFolder = m_config.path() + "morvel/";
        return files;
    }

    TempFolder m_shipped;
    TempFolder m_user;
    TempFolder m_config;
};

TEST_F(InstalledLanguagesTest, TheUsersFileWinsOnEqualNamesAndBothAreListedOnce) {
    m_shipped.write("English.language", "[MainMenu]\nproject = &Project\n");
    m_shipped.write("Deutsch.language", "");
    m_user.write("English.language", "[MainMenu]\nproject = &Mine\n");
    m_user.write("Klingon.language", "[MainMenu]\nproject = &Qaw\n");
    LoadLanguage(m_language, m_shell, files(), "English");
    EXPECT_EQ(project(), "&Mine");
    EXPECT_EQ(sorted(m_language.available), sorted(Names{"Deutsch", "English", "Klingon"}));
    LoadLanguage(m_language, m_shell, files(), "Deutsch");
    EXPECT_EQ(project(), defaultOf(Text::MainMenuProject));
}

TEST_F(InstalledLanguagesTest, ADamagedEmptyOrHugeUserFileGivesTheDefaults) {
    m_shipped.write("English.language", "[MainMenu]\nproject = &Project\n");
    const std::string huge(kMaxLanguageFileBytes + 1, '[');
    for (const std::string& content :
         {std::string(), std::string("\xEF\xBB\xBF[MainMenu]\nproject = \xFF\n"), huge}) {
        m_user.write("English.language", content);
        LoadLanguage(m_language, m_shell, files(), "English");
        EXPECT_EQ(m_language.current, "English");
        EXPECT_NE(project(), "&Project") << content.size();
    }
}

TEST_F(InstalledLanguagesTest,
       TheChooserOffersTheLocalesLanguageAndTheSettingsGoToTheConfigFolder) {
    m_shipped.write("Deutsch.language", "");
    m_shipped.write("English.language", "");
    m_shipped.write("Français.language", "");
    ::setenv("LC_ALL", "fr_BE.UTF-8", 1);
    m_shell.languageAnswers = {"Français"};
    LoadLanguage(m_language, m_shell, files(), "");
    ::unsetenv("LC_ALL");
    ASSERT_EQ(m_shell.languagePreselections.size(), 1u);
    EXPECT_EQ(m_language.available[m_shell.languagePreselections[0]], "Français");
    ASSERT_TRUE(WriteSettingsFile(files().settingsFolder, m_language.current));
    EXPECT_EQ(ReadSettingsFile(files().settingsFolder), "Français");
    EXPECT_FALSE(WriteSettingsFile("", "Français"));  // no folder for it: skipped
}

}  // namespace
}  // namespace morvel
