#include "app/about_text.h"

#include <cstdio>

#ifndef MORVEL_VERSION
#error "the build passes MORVEL_VERSION, MORVEL_BUILD_DATE (yyyymmdd) and MORVEL_PLATFORM"
#endif

namespace morvel {

BuildInfo ThisBuild() {
    constexpr long date = MORVEL_BUILD_DATE;
    return {MORVEL_VERSION, static_cast<int>(date / 10000), static_cast<int>(date / 100 % 100),
            static_cast<int>(date % 100), MORVEL_PLATFORM};
}

std::string BuildStamp(const BuildInfo& build) {
    char date[32];
    std::snprintf(date, sizeof date, "  (%02d.%02d.%04d) ]", build.day, build.month, build.year);
    return "[Build " + build.version + date;
}

std::vector<std::string> AboutLines(const BuildInfo& build, std::string_view notices) {
    std::vector<std::string> lines{"Morvel " + build.version + "   (" + build.platform + ")",
                                   "Zentor Frame Manipulator", ""};
    for (std::size_t start = 0;;) {
        const std::size_t end = notices.find("$$$", start);
        lines.emplace_back(notices.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 3;
    }
    lines.push_back(BuildStamp(build));
    return lines;
}

std::string AboutText(const BuildInfo& build, std::string_view notices) {
    std::string text;
    for (const std::string& line : AboutLines(build, notices)) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

}  // namespace morvel
