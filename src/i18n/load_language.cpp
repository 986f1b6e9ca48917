#include "i18n/load_language.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "i18n/language_file.h"
#include "i18n/locale_language.h"
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

std::vector<std::string> ListLanguages(const std::vector<std::string>& folders) {
    std::vector<std::string> languages;
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        // Within one folder the listing stays as it is; a later folder adds only new names.
        const auto earlier = static_cast<std::ptrdiff_t>(languages.size());
        for (std::string& name : ListLanguages(folder)) {
            if (std::find(languages.begin(), languages.begin() + earlier, name) ==
                languages.begin() + earlier)
                languages.push_back(std::move(name));
        }
    }
    return languages;
}

void LoadLanguage(Language& language, Dialogs& dialogs, const ProgramFiles& files,
                  std::string name) {
    if (name.empty()) name = ReadSettingsFile(files.settingsFolder);
    language.available = ListLanguages(files.languageFolders);
    if (name.empty() && !language.available.empty())
        name = dialogs.chooseLanguage(language.available,
                                      LanguageOfLocale(language.available, MessagesLocale()));
    language.current = name;

    // The last folder holding the file wins; a file there that cannot be read gives the defaults.
    std::string path;
    for (const std::string& folder : files.languageFolders) {
        if (!folder.empty() && IsRegularFile(folder + name + kLanguageFileSuffix))
            path = folder + name + kLanguageFileSuffix;
    }
    const auto bytes = path.empty() ? std::nullopt : ReadFileBytes(path, kMaxLanguageFileBytes);
    if (bytes) {
        const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        ApplyLanguageFile(text, language.texts);
    } else {
        language.texts.resetToDefaults();
    }
}

void LoadLanguage(Language& language, Dialogs& dialogs, const std::string& programFolder,
                  std::string name) {
    LoadLanguage(language, dialogs, FilesBesideProgram(programFolder), std::move(name));
}

}  // namespace morvel
