#include "platform/program_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;

TEST(FindProgramFiles, TheBuildFolderKeepsEverythingBesideTheProgram) {
    TempFolder build;
    build.write("AVIServ.so", "");
    const ProgramFiles files = FindProgramFiles(build.path());
    EXPECT_EQ(files.libraryFolder, build.path());
    EXPECT_EQ(files.dataFolder, build.path());
    EXPECT_EQ(files.languageFolders, std::vector<std::string>{build.path()});
    EXPECT_EQ(files.settingsFolder, build.path());
}

TEST(FindProgramFiles, AnInstalledProgramLooksBesideItsPrefixAndInTheUsersFolders) {
    TempFolder prefix;
    prefix.write("bin/morvel", "");
    ::setenv("XDG_CONFIG_HOME", "/home/u/config", 1);
    ::setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    ::setenv("HOME", "/home/u", 1);
    const ProgramFiles files = FindProgramFiles(prefix.path() + "bin/");
    EXPECT_EQ(files.libraryFolder, prefix.path() + "bin/../lib/morvel/");
    EXPECT_EQ(files.dataFolder, prefix.path() + "bin/../share/morvel/");
    EXPECT_EQ(files.languageFolders,
              (std::vector<std::string>{prefix.path() + "bin/../share/morvel/languages/",
                                        "/home/u/.local/share/morvel/languages/"}));
    EXPECT_EQ(files.settingsFolder, "/home/u/config/morvel/");

    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    const ProgramFiles homeless = FindProgramFiles(prefix.path() + "bin/");
    EXPECT_EQ(homeless.settingsFolder, "");  // nowhere to keep them: skipped
    EXPECT_EQ(homeless.languageFolders.back(), "");
}

}  // namespace
}  // namespace morvel
