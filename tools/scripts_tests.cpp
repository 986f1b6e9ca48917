// The scripts set up what they need on a fresh machine and in a fresh build folder. Running them
// is the real check (fresh-machine for the package, a display for the stress scripts); these
// keep the steps that once were missing from going missing again.

#include <gtest/gtest.h>

#include <string>

#include "test_support/temp_folder.h"

namespace morvel {
namespace {

TEST(Scripts, SetUpWhatTheyNeed) {
    struct Need {
        const char* script;
        const char* text;
        const char* why;
    };
    const Need needs[] = {
        {"package", "\nscripts/install-deps >&2\n", "ninja and dpkg-dev on a fresh machine"},
        {"install-deps", " qt6-translations-l10n", "Qt's own texts in the language in use"},
        {"stress-recovery", "printf 'Deutsch\\r\\n' >\"$settings\"",
         "a language, or the program waits in the language chooser"},
        {"stress-window", "display=${STRESS_DISPLAY:-}", "the display it is given"},
    };
    for (const Need& need : needs) {
        const std::string text =
            testing::ReadText(std::string(MORVEL_SOURCE_DIR "/scripts/") + need.script);
        EXPECT_NE(text.find(need.text), std::string::npos) << need.script << ": " << need.why;
    }
}

}  // namespace
}  // namespace morvel
