#include "app/about_text.h"

#include <cstdio>

#ifndef MORVEL_BUILD_NUMBER
#error "the build passes MORVEL_BUILD_NUMBER, MORVEL_BUILD_DATE (yyyymmdd) and MORVEL_PLATFORM"
#endif

namespace morvel {

BuildInfo ThisBuild() {
    constexpr long date = MORVEL_BUILD_DATE;
    return {MORVEL_BUILD_NUMBER, static_cast<int>(date / 10000), static_cast<int>(date / 100 % 100),
            static_cast<int>(date % 100), MORVEL_PLATFORM};
}

std::string BuildStamp(const BuildInfo& build) {
    char date[32];
    std::snprintf(date, sizeof date, "  (%02d.%02d.%04d) ]", build.day, build.month, build.year);
    return "[Build " + std::to_string(build.number) + date;
}

std::vector<std::string> AboutLines(const BuildInfo& build) {
    return {
        "Morvel 1.12 alpha   (" + build.platform + ")",
        "Zentor Frame Manipulator",
        "",
        "Morvel wird offiziell nur auf seiner Projektseite",
        "zum Herunterladen angeboten. Andere Download-Seiten",
        "brauchen dafür die Erlaubnis des Autors.",
        "",
        "Die Benutzung geschieht auf eigene Gefahr. Für Schäden",
        "an Daten oder Geräten wird keine Haftung übernommen;",
        "es gelten die beiliegenden Nutzungsbedingungen.",
        "",
        "Vorschläge und Fehlerberichte bitte mit der Version",
        "und dem ErrorCode der Meldung an den Autor. Neue",
        "Sprachdateien (*.language) teilen wir gerne mit allen.",
        "",
        "Dank an alle, die Morvel getestet und übersetzt haben,",
        "und an die Autoren von libpng, libjpeg, libtiff, zlib,",
        "FFmpeg und Qt, auf denen Morvel aufbaut.",
        BuildStamp(build),
    };
}

std::string AboutText(const BuildInfo& build) {
    std::string text;
    for (const std::string& line : AboutLines(build)) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

}  // namespace morvel
