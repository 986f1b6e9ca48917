// The programs installed into a prefix as the package installs them: every file in its place, and
// the installed programs find their files there and keep their settings in the user's folder.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#include "codecs/picture_io.h"
#include "platform/files.h"
#include "platform/session_folder.h"
#include "platform/single_instance.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::ReadText;
using testing::TempFolder;

int run(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_prefix = new TempFolder;
        s_status = run("cmake --install '" MORVEL_BINARY_DIR "' --prefix '" + s_prefix->path() +
                       "' >'" + s_prefix->path() + "install.log' 2>&1");
    }
    static void TearDownTestSuite() { delete s_prefix; }
    static std::string prefix() { return s_prefix->path(); }

    // A project of two frames; the second one's first picture is missing.
    std::string writeProject() {
        std::string frames;
        for (int f = 0; f < 2; ++f) {
            const std::string picture = project.file("take" + std::to_string(f) + ".png");
            const auto colour = [f](int x, int y) {
                return testing::Rgb{std::uint8_t(x * 20), std::uint8_t(y * 30), std::uint8_t(f)};
            };
            if (f == 0) {
                EXPECT_TRUE(SavePictureFile(testing::MakePicture(8, 6, colour), picture,
                                            PictureFormat::Png));
            }
            frames += picture + "\r\n" + picture + "\r\n" + std::string(1, '\0');  // no mask
        }
        std::string count(4, '\0');
        count[0] = 2;
        return project.write("Film.mvl", "MORVEL 1.0\r\nFilm\r\n\r\n\r\n\r\n\r\n" + count + frames);
    }
    // The user's settings: the language name.
    void chooseLanguage(const std::string& name) {
        MakeFolder(config.file("morvel"));
        config.write("morvel/morvel_settings.dat", name + "\r\nleft by an old version\r\n");
    }
    std::string environment() const {
        return "HOME='" + home.path() + "' XDG_CONFIG_HOME='" + config.path() +
               "' XDG_DATA_HOME='" + home.path() + "data' XDG_RUNTIME_DIR='" + home.path() +
               "' TMPDIR='" + home.path() + "' LC_ALL=C.UTF-8 ";
    }

    static inline TempFolder* s_prefix = nullptr;
    static inline int s_status = -1;
    TempFolder project;
    TempFolder home;
    TempFolder config;
};

TEST_F(Installed, PutsEveryFileInItsPlace) {
    ASSERT_EQ(s_status, 0) << ReadText(prefix() + "install.log");
    for (const char* path :
         {"bin/morvel", "bin/morvel-render", "lib/morvel/AVIServ.so",
          "share/morvel/languages/English.language", "share/morvel/languages/Français.language",
          "share/morvel/languages/Deutsch.language", "share/morvel/tutorial/index.html",
          "share/applications/org.example.Morvel.desktop",
          "share/icons/hicolor/48x48/apps/org.example.Morvel.png",
          "share/icons/hicolor/256x256/apps/org.example.Morvel.png",
          "share/icons/hicolor/scalable/apps/org.example.Morvel.svg",
          "share/mime/packages/org.example.Morvel.xml",
          "share/metainfo/org.example.Morvel.metainfo.xml", "share/man/man1/morvel.1.gz",
          "share/man/man1/morvel-render.1.gz"})
        EXPECT_TRUE(IsRegularFile(prefix() + path)) << path;
    Image icon;
    ASSERT_EQ(
        LoadPictureFile(prefix() + "share/icons/hicolor/256x256/apps/org.example.Morvel.png", icon),
        LoadResult::Ok);
    EXPECT_EQ(icon.width(), 256);
    EXPECT_FALSE(IsRegularFile(prefix() + "bin/AVIServ.so"));  // the build folder's layout only
}

TEST_F(Installed, TheRendererUsesTheLibraryAndLanguagesOfItsPrefix) {
    ASSERT_EQ(s_status, 0);
    chooseLanguage("English");
    const std::string projectFile = writeProject();
    const std::string renderer = prefix() + "bin/morvel-render";
    const std::string render = environment() + "'" + renderer + "' -q ";
    // The AVI video goes through lib/morvel/AVIServ.so; the missing picture is reported in the
    // user's language.
    const std::string errors = home.file("errors.txt");
    EXPECT_EQ(run(render + "-f avi --fps 12 '" + projectFile + "' '" + project.file("film.avi") +
                  "' 2>'" + errors + "'"),
              1);
    const auto video = ReadFileBytes(project.file("film.avi"));
    ASSERT_TRUE(video);
    EXPECT_EQ(std::string(video->begin() + 8, video->begin() + 12), "AVI ");
    EXPECT_NE(ReadText(errors).find("could not be loaded"), std::string::npos) << ReadText(errors);
}

TEST_F(Installed, TheWindowProgramStartsOffscreenAndKeepsItsSettingsInTheUsersFolder) {
    ASSERT_EQ(s_status, 0);
    chooseLanguage("Français");
    const pid_t program = ::fork();
    if (program == 0) {
        const std::string command = environment() + "QT_QPA_PLATFORM=offscreen exec '" + prefix() +
                                    "bin/morvel' >/dev/null 2>&1";
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The instance lock is taken once the language is loaded; then the program is told to end.
    const std::string lock = home.file(std::string(kInstanceName) + ".lock");
    for (int i = 0; i < 600 && !IsRegularFile(lock); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(IsRegularFile(lock));
    ::kill(program, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadText(config.file("morvel/morvel_settings.dat")), "Français\r\n");
    EXPECT_FALSE(IsRegularFile(prefix() + "bin/morvel_settings.dat"));
}

// Told to end by the system, the window program ends at once without a question,
// whatever the signal; its session folder stays exactly when the project holds unsaved changes
// (here: pictures found again beside a moved project, which a save would write).
TEST_F(Installed, ASignalEndsTheWindowAtOnceKeepingOnlyUnsavedWork) {
    ASSERT_EQ(s_status, 0);
    chooseLanguage("English");
    const auto picture = testing::MakePicture(8, 6, [](int x, int y) {
        return testing::Rgb{std::uint8_t(x * 20), std::uint8_t(y * 30), 7};
    });
    ASSERT_TRUE(SavePictureFile(picture, project.file("take.png"), PictureFormat::Png));
    const auto projectListing = [&](const std::string& picturePath) {
        std::string count(4, '\0');
        count[0] = 1;
        return "MORVEL 1.0\r\nFilm\r\n\r\n\r\n\r\n\r\n" + count + picturePath + "\r\n" +
               picturePath + "\r\n" + std::string(1, '\0');
    };
    const std::string inPlace =
        project.write("InPlace.mvl", projectListing(project.file("take.png")));
    // The pictures' folder moved with the project: its name is the evidence.
    std::string folderName = project.path().substr(0, project.path().size() - 1);
    folderName = folderName.substr(folderName.rfind('/') + 1);
    const std::string moved =
        project.write("Moved.mvl", projectListing("/gone/" + folderName + "/take.png"));
    const std::string sessions = home.file("state/morvel/");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        for (const bool changed : {false, true}) {
            SCOPED_TRACE(std::to_string(signal) + (changed ? " changed" : " unchanged"));
            const pid_t program = ::fork();
            if (program == 0) {
                const std::string command =
                    environment() + "XDG_STATE_HOME='" + home.file("state") +
                    "' QT_QPA_PLATFORM=offscreen exec '" + prefix() + "bin/morvel' '" +
                    (changed ? moved : inPlace) + "' >/dev/null 2>&1";
                ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
                ::_exit(127);
            }
            // The journal is written once the project is open.
            const auto journals = [&] {
                int count = 0;
                for (const FolderEntry& entry : ListFolder(sessions))
                    count += IsRegularFile(sessions + entry.name + "/" + kSessionJournalName);
                return count;
            };
            for (int i = 0; i < 600 && journals() == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ASSERT_EQ(journals(), 1);
            const auto told = std::chrono::steady_clock::now();
            ::kill(program, signal);
            int status = 0;
            ASSERT_EQ(::waitpid(program, &status, 0), program);
            // Well under a second on a quiet machine; the margin is for a loaded test run.
            EXPECT_LT(std::chrono::steady_clock::now() - told, std::chrono::seconds(2));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            EXPECT_EQ(journals(), changed ? 1 : 0);
            for (const FolderEntry& entry : ListFolder(sessions))
                RemoveFolderWithFiles(sessions + entry.name + "/");
        }
    }
}

}  // namespace
}  // namespace morvel
