#include "i18n/language_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "platform/text_encoding.h"

namespace morvel {
namespace {

std::string defaultOf(Text text) {
    return std::string(LanguageTable::entry(text).germanDefault);
}

TEST(LanguageTable, HoldsEveryTextInFileOrder) {
    // The 73 texts of the first version come first; later blocks follow them.
    EXPECT_EQ(static_cast<int>(Text::RequesterAviframeratetext), 72);
    const auto expect = [](Text text, std::string_view group, std::string_view key) {
        EXPECT_EQ(LanguageTable::entry(text).group, group);
        EXPECT_EQ(LanguageTable::entry(text).key, key);
    };
    expect(Text::MainMenuProject, "MainMenu", "project");
    expect(Text::MainMenuView, "MainMenu", "view");
    expect(Text::SettingsHardness, "Settings", "hardness");
    expect(Text::MainMenuAbout, "MainMenu", "about");
    expect(Text::MainMenuEdit, "MainMenu", "edit");
    expect(Text::MainMenuUndo, "MainMenu", "undo");
    expect(Text::MainMenuRedo, "MainMenu", "redo");
    expect(Text::PopUpMenuDelete, "PopUpMenu", "delete");
    expect(Text::ToolsMover, "Tools", "mover");
    expect(Text::SettingsZoom1to1, "Settings", "zoom1to1");
    expect(Text::ElseTutoriallink, "Else", "tutoriallink");
    expect(Text::ErrorsCreateimage, "Errors", "createimage");
    expect(Text::ErrorsTitle, "Errors", "title");
    expect(Text::SaveWindowTitle, "SaveWindow", "title");
    expect(Text::SaveWindowOk, "SaveWindow", "ok");
    expect(Text::RequesterSavetitle, "Requester", "savetitle");
    expect(Text::RequesterAviframeratetext, "Requester", "aviframeratetext");
    expect(Text::MainMenuView, "MainMenu", "view");
    expect(Text::MainMenuPlay, "MainMenu", "play");
    expect(Text::RequesterPlaybackratetext, "Requester", "playbackratetext");
    expect(Text::ProgressFile, "Progress", "file");
    expect(Text::AboutNotices, "About", "notices");
    expect(Text::LanguageLocale, "Language", "locale");
    expect(Text::RequesterRecoversession, "Requester", "recoversession");
    expect(Text::RequesterCutshort, "Requester", "cutshort");
    expect(Text::MainMenuOnionskin, "MainMenu", "onionskin");
}

TEST(LanguageTable, KeysAreLowerCaseAndUniqueWithinTheirGroup) {
    std::set<std::pair<std::string_view, std::string_view>> seen;
    std::set<std::string_view> groups;
    for (const TextEntry& entry : LanguageTable::entries()) {
        EXPECT_TRUE(seen.insert({entry.group, entry.key}).second)
            << entry.group << "/" << entry.key;
        groups.insert(entry.group);
        for (const char c : entry.key) EXPECT_FALSE(c >= 'A' && c <= 'Z') << entry.key;
    }
    EXPECT_EQ(groups, (std::set<std::string_view>{"MainMenu", "PopUpMenu", "Tools", "Settings",
                                                  "Else", "Errors", "SaveWindow", "Requester",
                                                  "Progress", "About", "FrameCopies",
                                                  "Language"}));
}

TEST(LanguageTable, DefaultsAreUtf8WithExactBytes) {
    EXPECT_EQ(defaultOf(Text::MainMenuOpen),
              "\xC3\x96"
              "ffnen ...\x09Strg+O");
    EXPECT_EQ(defaultOf(Text::MainMenuNew), "Neu\tStrg+N");
    EXPECT_EQ(defaultOf(Text::MainMenuEdit), "&Bearbeiten");
    EXPECT_EQ(defaultOf(Text::MainMenuUndo),
              "R\xC3\xBC"
              "ckg\xC3\xA4ngig\tStrg+Z");
    EXPECT_EQ(defaultOf(Text::MainMenuRedo), "Wiederherstellen\tStrg+Y");
    EXPECT_EQ(defaultOf(Text::MainMenuAbout),
              "\xC3\x9C"
              "ber ...");
    EXPECT_EQ(defaultOf(Text::PopUpMenuDelete), "L\xC3\xB6schen\tStrg+Entf");
    EXPECT_EQ(defaultOf(Text::SettingsSize),
              "Pinselgr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(defaultOf(Text::SettingsZoomin),
              "Vergr\xC3\xB6\xC3\x9F"
              "ern");
    EXPECT_EQ(defaultOf(Text::ErrorsTitle), "Fehler !");
    EXPECT_EQ(defaultOf(Text::SaveWindowMaskdescription),
              "Folgende Texte werden ersetzt:  '$Project' = Projektname  ;  '$Nr' = Nummer des "
              "Bildes im Projekt");
    EXPECT_EQ(defaultOf(Text::RequesterImageexporttext),
              "Bitmaps (*.bmp)|*.bmp|PNG-Bilder (*.png)|*.png|JPEG-Bilder (*.jpg)|*.jpg;*.jpeg");
    EXPECT_EQ(defaultOf(Text::ErrorsCopyimage).substr(0, 60),
              "Das Bild '$FILE1' konnte nicht nach '$FILE2' kopiert werden.");
}

TEST(LanguageTable, EveryDefaultFitsASingleByteText) {
    // A default must survive a language file that repeats it, in either encoding.
    for (const TextEntry& entry : LanguageTable::entries()) {
        EXPECT_TRUE(IsSingleByteUtf8(entry.germanDefault)) << entry.key;
        EXPECT_FALSE(entry.germanDefault.empty()) << entry.key;
        EXPECT_NE(entry.germanDefault.front(), ' ') << entry.key;
        EXPECT_NE(entry.germanDefault.back(), ' ') << entry.key;
    }
}

TEST(LanguageTable, TutorialTextNamesTheAddressHost) {
    const std::string link = defaultOf(Text::ElseTutoriallink);
    const std::string label = defaultOf(Text::MainMenuTutorial);
    ASSERT_TRUE(link.starts_with("https://"));
    const std::string host = link.substr(8, link.find('/', 8) - 8);
    EXPECT_EQ(label, "Tutorial (" + host + ")");
}

TEST(LanguageTable, SetAndResetToDefaults) {
    LanguageTable table;
    EXPECT_EQ(table[Text::ToolsZoom], "Zoomen");
    table.set(Text::ToolsZoom, "Zoom");
    table.set(Text::ErrorsTitle, "");
    EXPECT_EQ(table[Text::ToolsZoom], "Zoom");
    EXPECT_EQ(table[Text::ErrorsTitle], "");
    table.resetToDefaults();
    EXPECT_EQ(table[Text::ToolsZoom], "Zoomen");
    EXPECT_EQ(table[Text::ErrorsTitle], "Fehler !");
}

}  // namespace
}  // namespace morvel
