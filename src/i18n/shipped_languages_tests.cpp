// The language files that ship with the program: each must translate every text of the table,
// keeping what the program reads inside a text (menu shortcut tabs, placeholders, line breaks).

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "i18n/language_file.h"
#include "platform/files.h"

namespace morvel {
namespace {

// The "$WORD" placeholders and "$$$" line breaks of a text, and whether it has a shortcut tab.
std::multiset<std::string> markersOf(const std::string& text) {
    static const std::regex marker(R"(\$\$\$|\$[A-Za-z0-9]+|\t)");
    std::multiset<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), marker);
         it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

class ShippedLanguage : public testing::TestWithParam<const char*> {
protected:
    LanguageFileValues read() const {
        const auto bytes =
            ReadFileBytes(std::string(MORVEL_LANGUAGES_FOLDER "/") + GetParam() + ".language");
        if (!bytes) ADD_FAILURE() << "cannot read " << GetParam();
        if (!bytes) return {};
        return ParseLanguageFile(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    }
};

TEST_P(ShippedLanguage, TranslatesEveryTextOfTheTable) {
    const LanguageFileValues values = read();
    std::string missing;
    for (int i = 0; i < kTextCount; ++i) {
        const TextEntry& entry = LanguageTable::entry(static_cast<Text>(i));
        if (!values[i] || values[i]->empty())
            missing += " [" + std::string(entry.group) + "] " + std::string(entry.key);
    }
    EXPECT_EQ(missing, "") << GetParam() << ".language lacks these texts:" << missing;
}

TEST_P(ShippedLanguage, KeepsPlaceholdersLineBreaksAndShortcutTabs) {
    const LanguageFileValues values = read();
    for (int i = 0; i < kTextCount; ++i) {
        if (!values[i]) continue;
        const TextEntry& entry = LanguageTable::entry(static_cast<Text>(i));
        EXPECT_EQ(markersOf(*values[i]), markersOf(std::string(entry.germanDefault)))
            << GetParam() << ": [" << entry.group << "] " << entry.key;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguage, testing::Values("English", "Français"));

TEST(ShippedLanguage, EnglishCallsANewProjectNew) {
    const auto bytes = ReadFileBytes(MORVEL_LANGUAGES_FOLDER "/English.language");
    ASSERT_TRUE(bytes);
    LanguageTable table;
    ApplyLanguageFile(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                      table);
    EXPECT_EQ(table[Text::ElseNewtitle], "*New*");
    EXPECT_EQ(table[Text::MainMenuEdit], "&Edit");
    EXPECT_EQ(table[Text::LanguageLocale], "en");
}

}  // namespace
}  // namespace morvel
