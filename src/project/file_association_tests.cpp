#include "project/file_association.h"
#include "project/project_test_state.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "platform/files.h"
#include "codecs/picture_io.h"
#include "project/program_icon.h"
#include "test_support/external_tools.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::ToolOutput;

// HOME and the XDG folders inside a temporary folder, the desktop left generic.
class Association : public ::testing::Test {
protected:
    TempFolder home;
    std::map<std::string, std::string> saved;
    const char* variables[6] = {"HOME",          "XDG_DATA_HOME",       "XDG_CONFIG_HOME",
                                "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"};

    void SetUp() override {
        for (const char* name : variables) {
            if (const char* value = std::getenv(name)) saved[name] = value;
        }
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", home.file("data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
        ::unsetenv("XDG_CURRENT_DESKTOP");
        ::unsetenv("DESKTOP_SESSION");
    }
    void TearDown() override {
        for (const char* name : variables) {
            const auto found = saved.find(name);
            if (found == saved.end()) {
                ::unsetenv(name);
            } else {
                ::setenv(name, found->second.c_str(), 1);
            }
        }
    }
    std::string entry() { return ReadText(home.file("data/applications/morvel.desktop")); }
    std::string execLine() {
        const std::string text = entry();
        const auto at = text.find("\nExec=");
        return at == std::string::npos ? "" : text.substr(at + 6, text.find('\n', at + 1) - at - 6);
    }
    // What we write, by path below home.
    std::map<std::string, std::string> writtenFiles() {
        std::map<std::string, std::string> files;
        for (const std::string name :
             {"data/mime/packages/x-mvl.xml", "data/applications/morvel.desktop",
              "data/icons/hicolor/128x128/apps/morvel.png", "config/mimeapps.list"})
            files[name] = ReadText(home.file(name));
        return files;
    }
};

TEST_F(Association, AProjectFileMapsToOurEntryWhichStartsTheProgramWithIt) {
    if (!testing::HaveTool("xdg-mime") || !testing::HaveTool("update-mime-database"))
        GTEST_SKIP() << "xdg-utils or shared-mime-info is not installed";
    // A stand-in program in a folder whose name needs quoting; it notes its first argument.
    const std::string folder = home.file("Mor vel $HOME/");
    ASSERT_TRUE(MakeFolder(folder));
    const std::string program = folder + "morvel";
    home.write("Mor vel $HOME/morvel",
               "#!/bin/sh\nprintf '%s' \"$1\" > '" + home.file("started-with") + "'\n");
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);

    AssociateProjectFiles("mvl", "Ein Morvel-Projekt", program);
    const std::string project = home.write("Film.mvl", "MORVEL 1.0\r\n");
    EXPECT_EQ(ToolOutput("xdg-mime", {"query", "filetype", project}), "application/x-mvl\n");
    EXPECT_EQ(ToolOutput("xdg-mime", {"query", "default", "application/x-mvl"}),
              "morvel.desktop\n");
    EXPECT_NE(ReadText(home.file("data/mime/packages/x-mvl.xml"))
                  .find("<comment>Ein Morvel-Projekt</comment>"),
              std::string::npos);
    EXPECT_EQ(execLine(), "\"" + home.path() + "Mor vel \\\\$HOME/morvel\" %f");
    EXPECT_NE(entry().find("Icon=" + home.file("data/icons/hicolor/128x128/apps/morvel.png")),
              std::string::npos);
    Image icon;
    ASSERT_EQ(LoadPictureFile(home.file("data/icons/hicolor/128x128/apps/morvel.png"), icon),
              LoadResult::Ok);
    EXPECT_TRUE(icon.samePixels(ProgramIcon(128)));
    if (testing::HaveTool("desktop-file-validate")) {
        EXPECT_TRUE(testing::RunTool("desktop-file-validate",
                                     {home.file("data/applications/morvel.desktop")}));
    }
    // Started the way a file manager starts it, the program gets the project as argument 1.
    if (testing::HaveTool("gio")) {
        testing::RunTool("gio", {"launch", home.file("data/applications/morvel.desktop"), project});
        for (int i = 0; i < 100 && ReadText(home.file("started-with")).empty(); ++i)
            ::usleep(20000);
        EXPECT_EQ(ReadText(home.file("started-with")), project);
    }
}

TEST_F(Association, TwiceGivesTheSameFilesAndAMovedProgramIsFoundAtItsNewPlace) {
    AssociateProjectFiles("mvl", "Ein Morvel-Projekt", "/opt/morvel/morvel");
    const auto once = writtenFiles();
    AssociateProjectFiles("mvl", "Ein Morvel-Projekt", "/opt/morvel/morvel");
    EXPECT_EQ(writtenFiles(), once);
    EXPECT_EQ(execLine(), "\"/opt/morvel/morvel\" %f");

    AssociateProjectFiles("mvl", "Ein Morvel-Projekt", "/home/me/100%/morvel");
    EXPECT_EQ(execLine(), "\"/home/me/100%%/morvel\" %f");
    EXPECT_EQ(entry().find("/opt/morvel"), std::string::npos);
    EXPECT_EQ(ReadText(home.file("config/mimeapps.list")),
              "[Default Applications]\napplication/x-mvl=morvel.desktop\n"
              "[Added Associations]\napplication/x-mvl=morvel.desktop;\n");
}

TEST_F(Association, OtherDefaultsAreKeptAndOursComesFirst) {
    home.write("config/mimeapps.list",
               "[Added Associations]\napplication/x-mvl=viewer.desktop;morvel.desktop;\n"
               "\n[Default Applications]\ntext/plain=editor.desktop\n"
               "application/x-mvl=viewer.desktop\n[Removed Associations]\nimage/png=x.desktop;");
    AssociateProjectFiles("mvl", "", "/opt/morvel/morvel");
    EXPECT_EQ(ReadText(home.file("config/mimeapps.list")),
              "[Added Associations]\napplication/x-mvl=morvel.desktop;viewer.desktop;\n"
              "\n[Default Applications]\ntext/plain=editor.desktop\n"
              "application/x-mvl=morvel.desktop\n[Removed Associations]\nimage/png=x.desktop;\n");
    // Without a description no type is defined, the entry has no comment.
    EXPECT_FALSE(IsRegularFile(home.file("data/mime/packages/x-mvl.xml")));
    EXPECT_EQ(entry().find("Comment="), std::string::npos);
}

TEST_F(Association, FailuresAreSilent) {
    // The data folder is a file, the configuration folder cannot be created.
    home.write("data", "not a folder");
    home.write("config", "not a folder");
    AssociateProjectFiles("mvl", "Ein Morvel-Projekt", "/opt/morvel/morvel");
    EXPECT_EQ(ReadText(home.file("data")), "not a folder");
    // Without HOME and XDG folders nothing is written anywhere.
    ::unsetenv("HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserDataFolder(), "");
    AssociateProjectFiles("mvl", "Ein Morvel-Projekt", "/opt/morvel/morvel");
    ::setenv("XDG_DATA_HOME", "relative/data", 1);  // relative values count as unset
    ::setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(UserDataFolder(), home.path() + ".local/share/");
}

TEST_F(Association, TheMenuItemRegistersTheRunningProgramWithTheLanguagesDescription) {
    testing::RecordingShell shell;
    ProjectTestState state{shell, home.path(), home.path()};
    AssociateProjectFilesWithThisProgram(state.services);
    const std::string text =
        ReadText(home.file("data/applications/file_association_tests.desktop"));
    EXPECT_NE(text.find("Exec=\"" + ExecutablePath() + "\" %f\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nComment=Ein Morvel-Projekt\n"), std::string::npos);
    EXPECT_TRUE(shell.errors.empty());
    EXPECT_EQ(shell.notices, (std::vector<std::string>{"MVL-Dateien öffnen jetzt mit Morvel."}));

    // A configuration folder that cannot be written is said, naming the file.
    ::setenv("XDG_CONFIG_HOME", home.file("config/blocked").c_str(), 1);
    ASSERT_TRUE(WriteFileBytes(home.file("config/blocked"), {}));  // a file where a folder must be
    AssociateProjectFilesWithThisProgram(state.services);
    ASSERT_EQ(shell.notices.size(), 2u);
    EXPECT_EQ(shell.notices[1], "MVL-Dateien konnten nicht mit Morvel verbunden werden: " +
                                    home.file("config/blocked/") + "mimeapps.list" +
                                    " ist nicht beschreibbar.");
}

TEST(DesktopEntryName, KeepsOnlyTheCharactersAnIdMayHave) {
    EXPECT_EQ(DesktopEntryName("/usr/bin/morvel"), "morvel.desktop");
    EXPECT_EQ(DesktopEntryName("/x/Mor vel+2"), "Mor_vel_2.desktop");
    EXPECT_EQ(ProjectMimeType("mvl"), "application/x-mvl");
}

}  // namespace
}  // namespace morvel
