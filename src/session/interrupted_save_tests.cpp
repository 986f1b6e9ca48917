// Saves that fail on the way must leave the project that was saved before as it was.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "codecs/picture_io.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GreyMask;
using testing::ReadText;
using testing::RecordingShell;
using testing::TempFolder;
using testing::UniformPicture;

std::vector<std::string> codesOf(const RecordingShell& shell) {
    std::vector<std::string> codes;
    for (const auto& message : shell.errors)
        codes.push_back(message.text.substr(message.text.rfind("= ") + 2));
    return codes;
}

// Root writes into read-only folders; without these capabilities it obeys the permissions.
bool dropFileCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) return false;
    const unsigned dropped =
        (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
    data[0].effective &= ~dropped;
    data[0].permitted &= ~dropped;
    return ::syscall(SYS_capset, &header, data) == 0;
}

class InterruptedSave : public ::testing::Test {
protected:
    TempFolder projectFolder;
    TempFolder workingFolder;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), projectFolder.path()};
    std::string projectFile = projectFolder.file("P.mvl");
    std::string before;  // the project file as first saved

    // A project of two frames saved with the mask of frame 1 (grey 200); frame 2 has no mask.
    void SetUp() override {
        for (int i = 0; i < 2; ++i) {
            const std::string path = projectFolder.file("p" + std::to_string(i) + ".png");
            const auto grey = static_cast<std::uint8_t>(60 + 40 * i);
            ASSERT_TRUE(SavePictureFile(UniformPicture(8, 6, {grey, grey, grey}), path,
                                        PictureFormat::Png));
            state.document.frames.append().layerSource[0] = path;
        }
        paintMask(0, 200);
        state.document.header = {projectFile, "Film", "", "", "masks/$Nr.mask", ""};
        SaveProject(state.document, state.session, state.view, state.services, false);
        ASSERT_TRUE(shell.errors.empty());
        before = ReadText(projectFile);
        ASSERT_FALSE(before.empty());
    }
    void paintMask(int frame, std::uint8_t grey) {
        FrameRecord& record = state.document.frames.at(frame);
        if (record.maskNumber == 0) record.maskNumber = state.document.masks.nextNumber++;
        ASSERT_TRUE(SavePictureFile(GreyMask(8, 6, [&](int, int) { return grey; }),
                                    state.document.masks.workingFile(record.maskNumber), PictureFormat::Png));
    }
    // Saves in a child process prepared by limit (a file-size limit, dropped capabilities), and
    // returns the error codes it showed, or "skip: ..." when it could not be prepared.
    std::vector<std::string> saveInChild(const std::function<std::string()>& limit) {
        const std::string codesFile = workingFolder.file("codes.txt");
        const pid_t child = ::fork();
        if (child == 0) {
            std::string result = limit();
            if (result.empty()) {
                SaveProject(state.document, state.session, state.view, state.services, false);
                for (const std::string& code : codesOf(shell)) result += code + "\n";
            }
            WriteFileBytes(codesFile, std::vector<std::uint8_t>(result.begin(), result.end()));
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        std::vector<std::string> codes;
        const std::string text = ReadText(codesFile);
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1)
            codes.push_back(text.substr(start, end - start));
        if (codes.empty() && !text.empty()) codes.push_back(text);
        return codes;
    }
    // The project opened in a fresh program is the one saved first.
    void expectOldProjectOpens() {
        EXPECT_EQ(ReadText(projectFile), before);
        RecordingShell freshShell;
        TempFolder freshWorking;
        EditorTestState fresh{freshShell, freshWorking.path(), projectFolder.path()};
        OpenProject(fresh.document, fresh.session, fresh.view, fresh.services, projectFile);
        EXPECT_TRUE(freshShell.errors.empty());
        ASSERT_EQ(fresh.document.frames.size(), 2);
        EXPECT_EQ(fresh.document.header.title, "Film");
        ASSERT_NE(fresh.document.frames.at(0).maskNumber, 0);
        EXPECT_EQ(fresh.document.frames.at(1).maskNumber, 0);
        Image mask;
        ASSERT_EQ(LoadPictureFile(fresh.document.masks.workingFile(fresh.document.frames.at(0).maskNumber), mask),
                  LoadResult::Ok);
        EXPECT_EQ(mask.blue(3, 3), 200);
        // No temporary file is left behind.
        for (const auto& folder : {projectFolder.path(), projectFolder.file("masks/")})
            for (const FolderEntry& entry : ListFolder(folder))
                EXPECT_NE(entry.name[0], '.') << folder << entry.name;
    }
};

TEST_F(InterruptedSave, AReadOnlyFolderKeepsTheOldProject) {
    paintMask(0, 10);
    ASSERT_EQ(::chmod(projectFolder.path().c_str(), 0555), 0);
    ASSERT_EQ(::chmod(projectFolder.file("masks").c_str(), 0555), 0);
    const auto codes = saveInChild([&]() -> std::string {
        if (::geteuid() == 0 && !dropFileCapabilities()) return "skip: cannot drop capabilities";
        if (CanWriteFile(projectFolder.file("probe"))) return "skip: the folder stays writable";
        return {};
    });
    ::chmod(projectFolder.path().c_str(), 0755);
    ::chmod(projectFolder.file("masks").c_str(), 0755);
    if (!codes.empty() && codes[0].rfind("skip", 0) == 0) GTEST_SKIP() << codes[0];
    EXPECT_EQ(codes, std::vector<std::string>{"330-11-1"});
    expectOldProjectOpens();
}

TEST_F(InterruptedSave, AFullDiskKeepsTheOldProjectAndItsMasks) {
    // The new masks fit, the project file with its long comment does not.
    paintMask(0, 10);
    paintMask(1, 20);
    state.document.header.comment = std::string(6000, 'c');
    const auto codes = saveInChild([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? std::string()
                                                      : std::string("skip: no file-size limit");
    });
    if (!codes.empty() && codes[0].rfind("skip", 0) == 0) GTEST_SKIP() << codes[0];
    EXPECT_EQ(codes, std::vector<std::string>{"330-11-1"});
    EXPECT_FALSE(IsRegularFile(projectFolder.file("masks/2.mask")));
    expectOldProjectOpens();
}

TEST_F(InterruptedSave, AMaskFileThatIsAFolderIsReportedAndTheRestSaved) {
    paintMask(1, 20);  // frame 2 gets a mask whose file name is taken by a folder
    ASSERT_TRUE(MakeFolder(projectFolder.file("masks/2.mask")));
    SaveProject(state.document, state.session, state.view, state.services, false);
    EXPECT_EQ(codesOf(shell), std::vector<std::string>{"140-11-300"});
    EXPECT_TRUE(IsFolder(projectFolder.file("masks/2.mask")));
    expectOldProjectOpens();
}

// Frames saved with copies of their pictures and then swapped: each copy is read before any is
// replaced, so frame 1's new copy does not overwrite frame 2's picture before it is copied.
TEST_F(InterruptedSave, SwappedFramesKeepTheirPicturesUnderAFrameTemplate) {
    state.document.header.frameTemplate = "img/$Nr_$Layer";
    SaveProject(state.document, state.session, state.view, state.services, false);
    ASSERT_TRUE(shell.errors.empty());
    ASSERT_EQ(state.document.frames.at(0).layerSource[0], projectFolder.file("img/1_1.png"));
    std::swap(state.document.frames.at(0).layerSource[0], state.document.frames.at(1).layerSource[0]);
    SaveProject(state.document, state.session, state.view, state.services, false);
    EXPECT_TRUE(shell.errors.empty());
    Image first, second;
    ASSERT_EQ(LoadPictureFile(projectFolder.file("img/1_1.png"), first), LoadResult::Ok);
    ASSERT_EQ(LoadPictureFile(projectFolder.file("img/2_1.png"), second), LoadResult::Ok);
    EXPECT_EQ(first.red(0, 0), 100);  // the picture of the frame that was second
    EXPECT_EQ(second.red(0, 0), 60);
}

}  // namespace
}  // namespace morvel
