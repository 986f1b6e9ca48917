#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

// The locale that names the language of the user's messages: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty ("fr_FR.UTF-8"); "" when none is.
std::string MessagesLocale();

// The position in languages of the language that the locale speaks ("en_*" English, "fr_*"
// French, "de_*" German, matched by the names of the files that ship with the program or by the
// language code itself), or 0 when none matches.
std::size_t LanguageOfLocale(const std::vector<std::string>& languages, std::string_view locale);

}  // namespace morvel
