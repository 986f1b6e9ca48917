#pragma once

#include <cstddef>
#include <string>

namespace morvel {

// The one setting kept between runs, the language name, lives in this file in the program's
// folder: the name's bytes followed by CR LF.
constexpr const char* kSettingsFileName = "morvel_settings.dat";

// A settings file larger than this is not ours and counts as missing.
constexpr std::size_t kMaxSettingsFileBytes = std::size_t{1} << 20;

// The settings file lies in programFolder, the program's own folder or, for an installed program,
// the user's configuration folder of the program (ProgramFiles::settingsFolder), which is made
// when the file is written. An empty folder means there is none: nothing is read or written.

// The path of the settings file; programFolder ends with "/".
std::string SettingsFilePath(const std::string& programFolder);

// The language name: the bytes up to the first CR, LF or NUL or the end of the file, kept as
// they are (blanks included). "" when the file is missing or cannot be read.
std::string ReadSettingsFile(const std::string& programFolder);

// Replaces the file by the language name and CR LF. A failure is not reported to the user (the
// old file, or none, is read at the next start); the result is for tests.
bool WriteSettingsFile(const std::string& programFolder, const std::string& language);

}  // namespace morvel
