#include "i18n/locale_language.h"

#include <array>
#include <cstdlib>
#include <initializer_list>

#include "platform/text.h"

namespace morvel {

namespace {

struct KnownLanguage {
    std::string_view code;
    std::initializer_list<std::string_view> names;
};

// The names under which a language's file may lie, in any letter case of A to Z.
const std::array<KnownLanguage, 3> kKnownLanguages{{
    {"de", {"Deutsch", "German"}},
    {"en", {"English", "Englisch"}},
    {"fr", {"Français", "Francais", "French"}},
}};

// "fr" of "fr_FR.UTF-8@euro".
std::string_view codeOf(std::string_view locale) {
    return locale.substr(0, locale.find_first_of("_.@"));
}

bool speaks(std::string_view name, std::string_view code) {
    if (EqualsIgnoreCase(name, code)) return true;
    for (const KnownLanguage& known : kKnownLanguages) {
        if (!EqualsIgnoreCase(known.code, code)) continue;
        for (const std::string_view knownName : known.names)
            if (EqualsIgnoreCase(name, knownName)) return true;
    }
    return false;
}

}  // namespace

std::string MessagesLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

std::size_t LanguageOfLocale(const std::vector<std::string>& languages, std::string_view locale) {
    const std::string_view code = codeOf(locale);
    if (code.empty()) return 0;
    for (std::size_t i = 0; i < languages.size(); ++i)
        if (speaks(languages[i], code)) return i;
    return 0;
}

}  // namespace morvel
