#include "i18n/settings_file.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/files.h"

namespace morvel {

std::string SettingsFilePath(const std::string& programFolder) {
    return programFolder + kSettingsFileName;
}

std::string ReadSettingsFile(const std::string& programFolder) {
    const auto bytes = ReadFileBytes(SettingsFilePath(programFolder), kMaxSettingsFileBytes);
    if (!bytes) return {};
    const auto end = std::find_if(bytes->begin(), bytes->end(), [](std::uint8_t b) {
        return b == '\r' || b == '\n' || b == '\0';
    });
    return std::string(bytes->begin(), end);
}

bool WriteSettingsFile(const std::string& programFolder, const std::string& language) {
    std::vector<std::uint8_t> bytes(language.begin(), language.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    return WriteFileBytes(SettingsFilePath(programFolder), bytes);
}

}  // namespace morvel
