#include "platform/files.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <algorithm>
#include <filesystem>

#include <csignal>
#include <cstdio>

#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::ReadText;
using testing::TempFolder;

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(Files, ReadingRefusesWhatIsNoRegularFileWithoutBlocking) {
    TempFolder folder;
    const std::string fifo = folder.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadFileBytes(fifo));  // would block forever if it were opened for reading
    EXPECT_FALSE(ReadFileBytes(folder.path()));
    EXPECT_FALSE(ReadFileBytes("/dev/zero"));
    EXPECT_FALSE(ReadFileBytes(folder.file("missing")));
    const std::string small = folder.write("small", "12345");
    EXPECT_FALSE(ReadFileBytes(small, 4));
    ASSERT_TRUE(ReadFileBytes(small, 5));
    EXPECT_EQ(ReadFileBytes(small)->size(), 5u);
}

// A write that fails half-way (here: the file size limit, as a full disk would) leaves the old
// file whole and no temporary file beside it.
TEST(Files, AFailedWriteKeepsTheOldContent) {
    TempFolder folder;
    const std::string path = folder.write("mask.tmp", "old content");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileBytes(path, std::vector<std::uint8_t>(4096, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(path), "old content");
    EXPECT_EQ(ListFolder(folder.path()).size(), 1u);
}

TEST(Files, WritingReplacesAndRefusesFoldersAndMissingFolders) {
    TempFolder folder;
    const std::string path = folder.write("a", "a longer old content");
    EXPECT_TRUE(WriteFileBytes(path, bytes("new")));
    EXPECT_EQ(ReadText(path), "new");
    EXPECT_FALSE(WriteFileBytes(folder.path(), bytes("x")));
    EXPECT_FALSE(WriteFileBytes(folder.file("gone/a"), bytes("x")));
    EXPECT_FALSE(WriteFileBytes(path + "/below-a-file", bytes("x")));
    EXPECT_FALSE(WriteFileBytes("/dev/full", bytes("x")));
    EXPECT_TRUE(CanWriteFile(folder.file("b")));
    EXPECT_FALSE(CanWriteFile(folder.file("gone/b")));
    EXPECT_FALSE(CanWriteFile(folder.path()));
    EXPECT_EQ(ListFolder(folder.path()).size(), 1u);
}

TEST(Files, CopyingAndListing) {
    TempFolder folder;
    const std::string source = folder.write("source", "content");
    ASSERT_TRUE(MakeFolder(folder.file("sub")));
    EXPECT_TRUE(MakeFolder(folder.file("sub")));  // an existing folder is fine
    EXPECT_FALSE(MakeFolder(source));             // a file is not
    EXPECT_TRUE(CopyFileBytes(source, folder.file("sub/copy")));
    EXPECT_EQ(ReadText(folder.file("sub/copy")), "content");
    EXPECT_FALSE(CopyFileBytes(folder.file("missing"), folder.file("copy2")));
    int files = 0;
    int folders = 0;
    for (const FolderEntry& entry : ListFolder(folder.path())) (entry.isFile ? files : folders)++;
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folders, 1);
}

TEST(Files, LinkingNamesTheReadableFileByItsWholePath) {
    TempFolder folder;
    const std::string source = folder.write("source", "content");
    const std::string target = folder.write("target", "old");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    EXPECT_TRUE(LinkReadableFile("source", target));  // relative to where the program runs
    std::filesystem::current_path(before);
    EXPECT_EQ(ReadText(target), "content");
    char resolved[PATH_MAX] = {};
    ASSERT_GT(::readlink(target.c_str(), resolved, sizeof resolved - 1), 0);
    EXPECT_EQ(resolved[0], '/');
    for (const std::string& refused :
         {folder.file("missing"), folder.path(), std::string("/dev/zero")}) {
        EXPECT_FALSE(LinkReadableFile(refused, folder.file("other"))) << refused;
    }
    EXPECT_FALSE(IsRegularFile(folder.file("other")));
}

// A save or export killed on the way leaves hidden staging files; the next one into that folder
// removes them, and nothing else.
TEST(Files, LeftoverStagingFilesGoWithTheNextWriteIntoTheirFolder) {
    TempFolder folder;
    for (const char* name : {".frame_1.png.morvel-a1B2c3", ".notes.morvel-x", "frame.morvel-a1B2c3"})
        std::fclose(std::fopen(folder.file(name).c_str(), "w"));  // as a killed program left them
    EXPECT_TRUE(IsStagingName(".Film.mvl.morvel-ZZ09zz"));
    EXPECT_FALSE(IsStagingName(".Film.mvl.morvel-ZZ09z!"));
    ASSERT_TRUE(WriteFileBytes(folder.file("out.png"), std::vector<std::uint8_t>{1}));
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder.path())) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".notes.morvel-x", "frame.morvel-a1B2c3", "out.png"}));
}

TEST(Files, PathParts) {
    EXPECT_EQ(FolderPart("/film/take.png"), "/film/");
    EXPECT_EQ(FilePart("/film/take.png"), "take.png");
    EXPECT_EQ(FolderPart("take.png"), "");
    EXPECT_EQ(FilePart("take.png"), "take.png");
    EXPECT_EQ(TemporaryFolder().back(), '/');
    EXPECT_EQ(ExecutableFolder().back(), '/');
}

}  // namespace
}  // namespace morvel
