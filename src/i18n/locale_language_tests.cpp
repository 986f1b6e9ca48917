#include "i18n/locale_language.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace morvel {
namespace {

TEST(LanguageOfLocale, PicksTheLanguageTheLocaleSpeaks) {
    const std::vector<std::string> shipped{"Deutsch", "English", "Français"};
    const struct {
        const char* locale;
        std::vector<std::string> languages;
        std::size_t expected;
    } cases[] = {
        {"en_GB.UTF-8", shipped, 1},
        {"fr_CA", shipped, 2},
        {"de_AT.UTF-8@euro", shipped, 0},
        {"fr.UTF-8", {"english", "francais"}, 1},
        {"fr_FR", {"Deutsch", "FRENCH"}, 1},
        {"nl_NL.UTF-8", {"Deutsch", "nl"}, 1},  // a file named by the language code
        {"it_IT.UTF-8", shipped, 0},            // no Italian: the first
        {"C", shipped, 0},
        {"", shipped, 0},
        {"en_US", {}, 0},
        {"en", {"Englishman", "Deutsch", "English"}, 2},  // whole names only
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageOfLocale(c.languages, c.locale), c.expected) << c.locale;
}

TEST(MessagesLocale, LcAllThenLcMessagesThenLang) {
    const struct {
        const char* all;
        const char* messages;
        const char* lang;
        const char* expected;
    } cases[] = {
        {"fr_FR", "de_DE", "en_GB", "fr_FR"},
        {"", "de_DE", "en_GB", "de_DE"},
        {nullptr, nullptr, "en_GB", "en_GB"},
        {nullptr, nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        const auto set = [](const char* name, const char* value) {
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        };
        set("LC_ALL", c.all);
        set("LC_MESSAGES", c.messages);
        set("LANG", c.lang);
        EXPECT_EQ(MessagesLocale(), c.expected);
    }
}

}  // namespace
}  // namespace morvel
