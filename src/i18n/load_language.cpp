#include "i18n/load_language.h"

#include <string_view>

#include "i18n/language_file.h"
#include "i18n/settings_file.h"
#include "platform/files.h"
#include "platform/text.h"

namespace morvel {

namespace {

bool endsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

std::vector<std::string> ListLanguages(const std::string& programFolder) {
    std::vector<std::string> languages;
    for (const FolderEntry& entry : ListFolder(programFolder)) {
        if (!entry.isFile || !endsWithIgnoreCase(entry.name, kLanguageFileSuffix)) continue;
        languages.push_back(ReplaceAllIgnoreCase(entry.name, kLanguageFileSuffix, ""));
    }
    return languages;
}

void LoadLanguage(Language& language, Shell& shell, const std::string& programFolder,
                  std::string name) {
    if (name.empty()) name = ReadSettingsFile(programFolder);
    language.available = ListLanguages(programFolder);
    if (name.empty() && !language.available.empty())
        name = shell.chooseLanguage(language.available);
    language.current = name;

    const auto bytes =
        ReadFileBytes(programFolder + name + kLanguageFileSuffix, kMaxLanguageFileBytes);
    if (bytes) {
        const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        ApplyLanguageFile(text, language.texts);
    } else {
        language.texts.resetToDefaults();
    }
}

}  // namespace morvel
