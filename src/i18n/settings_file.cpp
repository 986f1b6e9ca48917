#include "i18n/settings_file.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/files.h"

namespace morvel {

std::string SettingsFilePath(const std::string& programFolder) {
    return programFolder + kSettingsFileName;
}

std::string ReadSettingsFile(const std::string& programFolder) {
    if (programFolder.empty()) return {};  // no folder for it (no home folder)
    const auto bytes = ReadFileBytes(SettingsFilePath(programFolder), kMaxSettingsFileBytes);
    if (!bytes) return {};
    const auto end = std::find_if(bytes->begin(), bytes->end(), [](std::uint8_t b) {
        return b == '\r' || b == '\n' || b == '\0';
    });
    return std::string(bytes->begin(), end);
}

bool WriteSettingsFile(const std::string& programFolder, const std::string& language) {
    if (programFolder.empty()) return false;
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(programFolder, ignored);
    std::vector<std::uint8_t> bytes(language.begin(), language.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    return WriteFileBytes(SettingsFilePath(programFolder), bytes);
}

}  // namespace morvel
