#pragma once

#include <string>
#include <vector>

namespace morvel {

// What the build fixed into the program: its build number and date, and the platform it was
// built for ("Linux - x86_64").
struct BuildInfo {
    int number = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    std::string platform;
};

// This program's build, from the values the build system passes in.
BuildInfo ThisBuild();

// "[Build " + number + "  (dd.mm.yyyy) ]".
std::string BuildStamp(const BuildInfo& build);

// The 19 lines of the about box: name, version and platform, the program's full name, an empty
// line, four paragraphs of notices separated by empty lines (lines 7, 11 and 15), and the build
// stamp. The same in every language.
std::vector<std::string> AboutLines(const BuildInfo& build = ThisBuild());

// The lines joined by CR LF, as the about box shows them.
std::string AboutText(const BuildInfo& build = ThisBuild());

}  // namespace morvel
