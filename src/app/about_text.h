#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "i18n/language_table.h"

namespace morvel {

// What the build fixed into the program: its version (as --version and the package give it), its
// date, and the platform it was built for ("Linux - x86_64").
struct BuildInfo {
    std::string version;
    int year = 0;
    int month = 0;
    int day = 0;
    std::string platform;
};

// This program's build, from the values the build system passes in.
BuildInfo ThisBuild();

// "[Build " + version + "  (dd.mm.yyyy) ]".
std::string BuildStamp(const BuildInfo& build);

// The lines of the about box: name, version and platform, the program's full name, an empty
// line, the notices of the language in use (lines separated by "$$$"; in German four paragraphs
// with empty lines between them, the last naming the libraries and their licences), and the
// build stamp.
std::vector<std::string> AboutLines(
    const BuildInfo& build = ThisBuild(),
    std::string_view notices = LanguageTable::entry(Text::AboutNotices).germanDefault);

// The lines joined by CR LF, as the about box shows them.
std::string AboutText(
    const BuildInfo& build = ThisBuild(),
    std::string_view notices = LanguageTable::entry(Text::AboutNotices).germanDefault);

}  // namespace morvel
