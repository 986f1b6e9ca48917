#include "i18n/language_file.h"

#include <gtest/gtest.h>

#include <string>

namespace morvel {
namespace {

const std::string kMarker = "\xEF\xBB\xBF";

// The table after reading a file's bytes over the defaults.
LanguageTable read(const std::string& bytes) {
    LanguageTable table;
    ApplyLanguageFile(bytes, table);
    return table;
}

std::string defaultOf(Text text) {
    return std::string(LanguageTable::entry(text).germanDefault);
}

TEST(LanguageFileEncoding, MarkedUtf8AndWindows1252GiveTheSameText) {
    const std::string utf8 = kMarker +
                             "[Settings]\r\nsize = Pinselgr\xC3\xB6\xC3\x9F"
                             "e\r\n";
    const std::string singleByte =
        "[Settings]\r\nsize = Pinselgr\xF6\xDF"
        "e\r\n";
    EXPECT_EQ(read(utf8)[Text::SettingsSize],
              "Pinselgr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(read(singleByte)[Text::SettingsSize],
              "Pinselgr\xC3\xB6\xC3\x9F"
              "e");
}

TEST(LanguageFileEncoding, UnmarkedFileIsWindows1252EvenWhereItLooksLikeUtf8) {
    // Without the marker the two bytes of a UTF-8 "ö" are two characters of their own.
    EXPECT_EQ(read("[Tools]\nzoom=\xC3\xB6\n")[Text::ToolsZoom], "\xC3\x83\xC2\xB6");
    EXPECT_EQ(read("[Tools]\nzoom=5 \x80\n")[Text::ToolsZoom], "5 \xE2\x82\xAC");
}

TEST(LanguageFileEncoding, MarkedValueBeyondSingleByteOrMalformedReadsEmpty) {
    const std::string file = kMarker +
                             "[Tools]\n"
                             "zoom = 5 \xE2\x82\xAC\n"    // euro sign, above U+00FF
                             "eraser = \xC4\x80\n"        // U+0100
                             "deraser = \xC0\xAF\n"       // overlong
                             "selecter = \xED\xA0\x80\n"  // surrogate
                             "mover = Maske \xC3\n"       // truncated sequence
                             "[Settings]\n"
                             "size = \xC3\xBF and \xC2\xA0\n";  // U+00FF and U+00A0 fit
    const LanguageTable table = read(file);
    EXPECT_EQ(table[Text::ToolsZoom], "");
    EXPECT_EQ(table[Text::ToolsEraser], "");
    EXPECT_EQ(table[Text::ToolsDeraser], "");
    EXPECT_EQ(table[Text::ToolsSelecter], "");
    EXPECT_EQ(table[Text::ToolsMover], "");
    EXPECT_EQ(table[Text::SettingsSize], "\xC3\xBF and \xC2\xA0");
}

TEST(LanguageFileEncoding, MarkerCountsOnlyAtTheVeryStart) {
    // A marker after the start is part of the first line, which is then no group header.
    const LanguageTable table = read("\n" + kMarker + "[Tools]\nzoom=Zoom\n");
    EXPECT_EQ(table[Text::ToolsZoom], defaultOf(Text::ToolsZoom));
}

TEST(LanguageFileLines, CrLfAndCrLfEndLinesAlike) {
    for (const std::string end : {"\r", "\n", "\r\n"}) {
        const LanguageTable table =
            read("[Tools]" + end + "zoom=Z" + end + "eraser=E" + end + end + "mover=M" + end);
        EXPECT_EQ(table[Text::ToolsZoom], "Z");
        EXPECT_EQ(table[Text::ToolsEraser], "E");
        EXPECT_EQ(table[Text::ToolsMover], "M");
    }
    const LanguageTable mixed = read("[Tools]\r\nzoom=Z\reraser=E\n\r\r\nmover=M");
    EXPECT_EQ(mixed[Text::ToolsZoom], "Z");
    EXPECT_EQ(mixed[Text::ToolsEraser], "E");
    EXPECT_EQ(mixed[Text::ToolsMover], "M");
}

TEST(LanguageFileLines, LastLineNeedsNoLineEnd) {
    EXPECT_EQ(read("[Tools]\nzoom = Zoom")[Text::ToolsZoom], "Zoom");
    EXPECT_EQ(read("[Tools]\nzoom =")[Text::ToolsZoom], "");
}

TEST(LanguageFileLines, GroupHeaderAtTheEndIsHarmless) {
    const LanguageTable table = read("[Tools]\nzoom=Z\n[MainMenu]");
    EXPECT_EQ(table[Text::ToolsZoom], "Z");
    EXPECT_EQ(read("[Tools]\nzoom=Z\n[")[Text::ToolsZoom], "Z");
    EXPECT_EQ(read("[")[Text::ToolsZoom], defaultOf(Text::ToolsZoom));
}

TEST(LanguageFileLines, CommentsAndBlankLinesAreSkipped) {
    const LanguageTable table = read(
        "; a comment before the groups\n"
        "[MainMenu]\n"
        "; project = Commented\n"
        " \t ; project = Indented comment\n"
        "   \n"
        "\t\n"
        "project = &Project ; not a comment\n");
    EXPECT_EQ(table[Text::MainMenuProject], "&Project ; not a comment");
}

TEST(LanguageFileEntries, BlanksAroundKeyAndValueAreIgnoredButTabsInsideStay) {
    const LanguageTable table = read(
        "  \t[MainMenu]\n"
        " \t new \t =  \t New\tCtrl+N \t \n"
        "open=Open ...\tCtrl+O\n"
        "save = a = b\n");
    EXPECT_EQ(table[Text::MainMenuNew], "New\tCtrl+N");
    EXPECT_EQ(table[Text::MainMenuOpen], "Open ...\tCtrl+O");
    EXPECT_EQ(table[Text::MainMenuSave], "a = b");  // the first "=" ends the key
}

TEST(LanguageFileEntries, KeysAreMatchedWholeAndLinesWithoutEqualsAreIgnored) {
    const LanguageTable table = read(
        "[MainMenu]\n"
        "project\n"
        "pro ject = Split\n"
        "projects = Longer\n"
        "= No key\n"
        "project = Project\n");
    EXPECT_EQ(table[Text::MainMenuProject], "Project");
}

TEST(LanguageFileEntries, FirstEntryOfAKeyCounts) {
    const LanguageTable table = read("[Tools]\nzoom = First\nZOOM = Second\nzoom = Third\n");
    EXPECT_EQ(table[Text::ToolsZoom], "First");
    // An empty value is an entry too.
    EXPECT_EQ(read("[Tools]\nzoom =\nzoom = Second\n")[Text::ToolsZoom], "");
}

TEST(LanguageFileEntries, GroupsAndKeysIgnoreTheCaseOfLetters) {
    EXPECT_EQ(read("[MAINMENU]\nPROJECT=a\n")[Text::MainMenuProject], "a");
    EXPECT_EQ(read("[mainmenu]\nProject=b\n")[Text::MainMenuProject], "b");
    EXPECT_EQ(read("[mAiNmEnU]\npRoJeCt=c\n")[Text::MainMenuProject], "c");
    // Values keep their case.
    EXPECT_EQ(read("[Tools]\nzoom=ZoOm\n")[Text::ToolsZoom], "ZoOm");
}

TEST(LanguageFileEntries, EmptyValueGivesEmptyTextMissingEntryTheDefault) {
    const LanguageTable table = read("[Tools]\nzoom =\neraser = \t \n");
    EXPECT_EQ(table[Text::ToolsZoom], "");
    EXPECT_EQ(table[Text::ToolsEraser], "");
    EXPECT_EQ(table[Text::ToolsMover], defaultOf(Text::ToolsMover));
    EXPECT_EQ(table[Text::SettingsSize], defaultOf(Text::SettingsSize));
}

TEST(LanguageFileEntries, EntriesBeforeTheFirstGroupAreNotRead) {
    const LanguageTable table = read("zoom = Early\ntitle = Early\n[Tools]\neraser = E\n");
    EXPECT_EQ(table[Text::ToolsZoom], defaultOf(Text::ToolsZoom));
    EXPECT_EQ(table[Text::ErrorsTitle], defaultOf(Text::ErrorsTitle));
    EXPECT_EQ(table[Text::ToolsEraser], "E");
}

TEST(LanguageFileGroups, AKeyBelongsToItsOwnGroupOnly) {
    const LanguageTable table = read(
        "[Errors]\ntitle = Error!\n"
        "[SaveWindow]\ntitle = Save project\nsave = Save\n"
        "[MainMenu]\nsave = Save\tCtrl+S\nzoom = Not here\n");
    EXPECT_EQ(table[Text::ErrorsTitle], "Error!");
    EXPECT_EQ(table[Text::SaveWindowTitle], "Save project");
    EXPECT_EQ(table[Text::SaveWindowSave], "Save");
    EXPECT_EQ(table[Text::MainMenuSave], "Save\tCtrl+S");
    EXPECT_EQ(table[Text::ToolsZoom], defaultOf(Text::ToolsZoom));
}

TEST(LanguageFileGroups, TextsAppendedToAGroupAtTheTablesEndAreRead) {
    const LanguageTable table = read(
        "[MainMenu]\nsave = Save\nview = &View\n"
        "[Settings]\nhardness = Hardness\n");
    EXPECT_EQ(table[Text::MainMenuSave], "Save");
    EXPECT_EQ(table[Text::MainMenuView], "&View");
    EXPECT_EQ(table[Text::SettingsHardness], "Hardness");
}

TEST(LanguageFileGroups, HeaderNameEndsAtTheBracketOrTheLineEnd) {
    EXPECT_EQ(read("[Tools] anything after ]\nzoom=Z\n")[Text::ToolsZoom], "Z");
    EXPECT_EQ(read("[Tools\nzoom=Z\n")[Text::ToolsZoom], "Z");
    // The name is taken as written: blanks inside the brackets are part of it.
    EXPECT_EQ(read("[ Tools ]\nzoom=Z\n")[Text::ToolsZoom], defaultOf(Text::ToolsZoom));
}

TEST(LanguageFileGroups, UnknownGroupHidesItsEntries) {
    const LanguageTable table = read("[Tools]\nzoom=Z\n[Unknown]\neraser=E\n");
    EXPECT_EQ(table[Text::ToolsZoom], "Z");
    EXPECT_EQ(table[Text::ToolsEraser], defaultOf(Text::ToolsEraser));
}

TEST(LanguageFileGroups, RepeatedGroupContinuesAndItsFirstKeyStillCounts) {
    const LanguageTable table = read(
        "[Tools]\nzoom = First\n"
        "[Settings]\nsize = Size\n"
        "[tools]\nzoom = Second\neraser = Eraser\n");
    EXPECT_EQ(table[Text::ToolsZoom], "First");
    EXPECT_EQ(table[Text::ToolsEraser], "Eraser");
    EXPECT_EQ(table[Text::SettingsSize], "Size");
}

TEST(LanguageFileLimits, OverlongLineIsSkippedAndTheRestIsRead) {
    const std::string huge(std::size_t{1} << 20, 'x');
    const LanguageTable table =
        read("[Tools]\nzoom = " + huge + "\neraser = E\n" + huge + "\nmover = M");
    EXPECT_EQ(table[Text::ToolsZoom], defaultOf(Text::ToolsZoom));
    EXPECT_EQ(table[Text::ToolsEraser], "E");
    EXPECT_EQ(table[Text::ToolsMover], "M");
}

TEST(LanguageFileLimits, LineOfExactlyTheLimitIsRead) {
    const std::string prefix = "zoom=";
    const std::string value(kMaxLanguageLineBytes - prefix.size(), 'z');
    EXPECT_EQ(read("[Tools]\n" + prefix + value + "\n")[Text::ToolsZoom], value);
    EXPECT_EQ(read("[Tools]\n" + prefix + value + "z\n")[Text::ToolsZoom],
              defaultOf(Text::ToolsZoom));
}

TEST(LanguageFileLimits, ManyMegabyteLinesWithoutLineEndsAtAll) {
    // Four megabytes in one line, and four megabytes of line ends: both just end up unread.
    EXPECT_EQ(read("[Tools]\nzoom=" + std::string(std::size_t{4} << 20, 'z'))[Text::ToolsZoom],
              defaultOf(Text::ToolsZoom));
    EXPECT_EQ(read("[Tools]" + std::string(std::size_t{4} << 20, '\r') + "zoom=Z")[Text::ToolsZoom],
              "Z");
}

TEST(LanguageFileTable, EveryTextIsReachedByItsGroupAndKey) {
    std::string file;
    for (const TextEntry& entry : LanguageTable::entries()) {
        // Appended piece by piece: GCC 12 warns of an overlapping copy (-Wrestrict) in an
        // inlined "[" + ... when optimising.
        file += '[';
        file += entry.group;
        file += "]\r\n";
        file += std::string(entry.key) + " = " + std::string(entry.group) + "/" +
                std::string(entry.key) + "\r\n";
    }
    const LanguageTable table = read(file);
    for (int i = 0; i < kTextCount; ++i) {
        const TextEntry& entry = LanguageTable::entry(static_cast<Text>(i));
        EXPECT_EQ(table[static_cast<Text>(i)],
                  std::string(entry.group) + "/" + std::string(entry.key));
    }
}

TEST(LanguageFileTable, ApplyingAFileStartsFromTheDefaults) {
    LanguageTable table;
    ApplyLanguageFile("[Tools]\nzoom=Zoom\neraser=Eraser\n", table);
    ApplyLanguageFile("[Tools]\nzoom=Zoomen!\n", table);
    EXPECT_EQ(table[Text::ToolsZoom], "Zoomen!");
    EXPECT_EQ(table[Text::ToolsEraser], defaultOf(Text::ToolsEraser));
}

TEST(LanguageFileTable, AddedTextsAreReadLikeTheTablesOwn) {
    LanguageTable table;
    const TextEntry pick{"Tools", "pickgrey", "Grauwert aufnehmen"};
    const TextEntry other{"Extra", "thing", "Ding"};
    table.add(pick);
    table.add(other);
    table.add(pick);                                   // once only
    table.add(LanguageTable::entry(Text::ToolsZoom));  // one of its own
    EXPECT_EQ(table.added().size(), 2u);
    const struct {
        const char* file;
        std::string pick, other, zoom;
    } cases[] = {
        {"[tools]\nPICKGREY = Pick grey\nzoom=Z\n[Extra]\nthing=T\n", "Pick grey", "T", "Z"},
        {"pickgrey=x\n[Tools]\npickgrey=A\npickgrey=B\n", "A", "Ding", "Zoomen"},
        {"[Other]\npickgrey=x\nthing=y\n", "Grauwert aufnehmen", "Ding", "Zoomen"},
    };
    for (const auto& c : cases) {
        ApplyLanguageFile(c.file, table);
        EXPECT_EQ(table[pick], c.pick) << c.file;
        EXPECT_EQ(table[other], c.other) << c.file;
        EXPECT_EQ(table[LanguageTable::entry(Text::ToolsZoom)], c.zoom) << c.file;
    }
    EXPECT_EQ(LanguageTable()[pick], "Grauwert aufnehmen");  // never added: its default
}

TEST(LanguageFileTable, ParseReportsOnlyWhatTheFileHolds) {
    const LanguageFileValues values = ParseLanguageFile("[Tools]\nzoom=\n");
    int present = 0;
    for (const auto& value : values) present += value.has_value() ? 1 : 0;
    EXPECT_EQ(present, 1);
    ASSERT_TRUE(values[static_cast<std::size_t>(Text::ToolsZoom)].has_value());
    EXPECT_EQ(*values[static_cast<std::size_t>(Text::ToolsZoom)], "");
    for (const auto& value : ParseLanguageFile("")) EXPECT_FALSE(value.has_value());
    for (const auto& value : ParseLanguageFile(kMarker)) EXPECT_FALSE(value.has_value());
}

}  // namespace
}  // namespace morvel
