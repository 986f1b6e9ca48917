#include "app/about_text.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

TEST(AboutText, NineteenLinesWithThisBuildsPlatformAndStamp) {
    const std::vector<std::string> lines = AboutLines();
    ASSERT_EQ(lines.size(), 19u);
#if defined(__linux__) && defined(__x86_64__)
    EXPECT_EQ(lines[0], "Morvel " + ThisBuild().version + "   (Linux - x86_64)");
#endif
    EXPECT_EQ(lines[1], "Zentor Frame Manipulator");
    EXPECT_EQ(lines[18], BuildStamp(ThisBuild()));
    for (int line = 1; line <= 19; ++line) {
        const bool empty = line == 3 || line == 7 || line == 11 || line == 15;
        EXPECT_EQ(lines[line - 1].empty(), empty) << "line " << line;
    }
    const std::string text = AboutText();
    EXPECT_EQ(text.rfind(lines[0] + "\r\nZentor", 0), 0u);
    EXPECT_EQ(text.substr(text.rfind("\r\n")), "\r\n" + BuildStamp(ThisBuild()));
    std::size_t breaks = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++breaks;
    EXPECT_EQ(breaks, 18u);
}

TEST(AboutText, TheStampPadsDayAndMonth) {
    EXPECT_EQ(BuildStamp({"0.1.0", 2010, 2, 1, "x"}), "[Build 0.1.0  (01.02.2010) ]");
    EXPECT_EQ(AboutLines({"2.3.4", 2024, 12, 31, "Linux - aarch64"})[0],
              "Morvel 2.3.4   (Linux - aarch64)");
}

TEST(AboutText, TheNoticesAreTheLanguagesLinesBetweenNameAndStamp) {
    const BuildInfo build{"3", 2026, 12, 7, "x"};
    EXPECT_EQ(AboutLines(build, "One$$$$$$Two, three"),
              (std::vector<std::string>{"Morvel 3   (x)", "Zentor Frame Manipulator", "", "One", "",
                                        "Two, three", "[Build 3  (07.12.2026) ]"}));
    EXPECT_EQ(AboutLines(build, "").size(), 5u);
}

}  // namespace
}  // namespace morvel
