#pragma once

#include <string>
#include <vector>

#include "i18n/language_table.h"

namespace morvel {

// The language in use: its texts, its name ("" when none is set) and the languages whose files
// lie beside the program, in the order the folder listing gave them.
struct Language {
    LanguageTable texts;
    std::string current;
    std::vector<std::string> available;
};

}  // namespace morvel
