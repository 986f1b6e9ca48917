#pragma once

#include <string>
#include <vector>

#include "i18n/language.h"
#include "platform/dialogs.h"
#include "platform/program_files.h"

namespace morvel {

// Language files lie in the program's folder as "<name>.language".
constexpr const char* kLanguageFileSuffix = ".language";

// The languages whose files lie in programFolder, in the order the folder listing gives them:
// every regular file whose name ends in ".language" (any letter case; folders are skipped),
// named by its file name with every ".language" in it removed (any letter case), so
// "x.language.language" is listed as "x".
std::vector<std::string> ListLanguages(const std::string& programFolder);

// The languages of several folders in their order; a name that an earlier folder listed is not
// listed again.
std::vector<std::string> ListLanguages(const std::vector<std::string>& folders);

// Sets the language in use. An empty name means the one in the settings file; if that is empty
// too and language files exist, the user chooses one in the language chooser, offered the one that
// the user's locale speaks. The name (even one without a file) becomes the current language; its
// file
// "<folder><name>.language" from the last language folder that holds it, if it can be read, fills
// the texts, every other text keeps its built-in default. Reports nothing.
void LoadLanguage(Language& language, Dialogs& dialogs, const ProgramFiles& files,
                  std::string name);

// The same with every file in the program's folder.
void LoadLanguage(Language& language, Dialogs& dialogs, const std::string& programFolder,
                  std::string name);

}  // namespace morvel
